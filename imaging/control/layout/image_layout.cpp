// SPDX-License-Identifier: GPL-3.0-or-later
#include "imaging/control/layout/image_layout.h"

#include <algorithm>
#include <cmath>

int32_t ImageLayout::ScaleExtent(int32_t n, double z) {
    if (z == 0) return 1;
    // long double carries a 64-bit mantissa here, so n x z is exact; nearbyintl
    // rounds halves to the even neighbour in the default rounding mode.
    const long double value = z > 0 ? static_cast<long double>(n) * static_cast<long double>(z)
                                    : static_cast<long double>(n) / (1.0L - z);
    return static_cast<int32_t>(std::nearbyintl(value));
}

void ImageLayout::SetBitmapExtent(int32_t width, int32_t height) {
    bitmapWidth = width;
    bitmapHeight = height;
    if (!autoSetRects) return;
    scrollX = 0;
    scrollY = 0;
    sourceRect = PixRect{0, 0, bitmapWidth, bitmapHeight};
    sourceClipRect = sourceRect;
}

void ImageLayout::SetPaintSizeMode(TPaintSizeMode mode) {
    paintSizeMode = mode;
    if (mode != smNormal) return;
    scrollX = 0;
    scrollY = 0;
    zoomX = 1.0;
    zoomY = 1.0;
    destRect.Width = bitmapWidth;
    destRect.Height = bitmapHeight;
}

void ImageLayout::SetZoomPercent(int32_t percent) {
    zoomX = percent / 100.0;
    zoomY = zoomX;
    SetPaintSizeMode(smZoom);
}

int32_t ImageLayout::ZoomPercent() const {
    const double z = paintSizeMode == smStretch ? std::min(zoomX, zoomY) : zoomX;
    return static_cast<int32_t>(std::lround(z * 100));
}

void ImageLayout::ResetOrigin() {
    destRect.Left = destRect.Top = 0;
    paintClipRect.Left = paintClipRect.Top = 0;
}

void ImageLayout::ComputeDestination(int32_t iw, int32_t ih) {
    const int32_t w = bitmapWidth;
    const int32_t h = bitmapHeight;
    if (w == 0 || h == 0) {
        destRect.Width = 0;
        destRect.Height = 0;
        if (autoScroll) {
            hScrollRange = 0;
            vScrollRange = 0;
        }
        return;
    }
    switch (paintSizeMode) {
        case smNormal:
        case smZoom:
            destRect.Width = ScaleExtent(w, zoomX);
            destRect.Height = ScaleExtent(h, zoomY);
            break;
        case smStretch:
            zoomX = double(iw) / w;
            zoomY = double(ih) / h;
            destRect.Width = iw;
            destRect.Height = ih;
            break;
        case smFitSides:
            zoomX = double(iw) / w;
            zoomY = zoomX;
            destRect.Width = ScaleExtent(w, zoomX);
            destRect.Height = ScaleExtent(h, zoomY);
            break;
        case smFit:
            zoomX = double(iw) / w;
            zoomY = double(ih) / h;
            if (zoomX > zoomY) {
                zoomX = zoomY;
            } else {
                zoomY = zoomX;
            }
            destRect.Width = ScaleExtent(w, zoomX);
            destRect.Height = ScaleExtent(h, zoomY);
            break;
    }
    paintClipRect = destRect;
}

std::optional<PixSize> ImageLayout::Arrange(bool recompute, PixSize client, bool hasImage) {
    const int32_t iw = client.Width - 2 * frameWidth;
    const int32_t ih = client.Height - 2 * frameWidth;
    if (recompute && autoSetRects) ComputeDestination(iw, ih);
    vScrollRange = std::max(0, destRect.Height - ih);
    hScrollRange = std::max(0, destRect.Width - iw);
    scrollX = std::clamp(scrollX, 0, hScrollRange);
    scrollY = std::clamp(scrollY, 0, vScrollRange);
    std::optional<PixSize> wanted;
    if (autoSize && hasImage) {
        wanted = PixSize{destRect.Width + 2 * frameWidth, destRect.Height + 2 * frameWidth};
    } else if (autoScroll) {
        destRect.Left = -scrollX;
        destRect.Top = -scrollY;
    }
    if (autoSetRects) {
        paintClipRect = destRect;
        paintedDest = destRect;
    }
    return wanted;
}

void ImageLayout::Center(PixSize client) {
    if (!centerImage) return;
    if (destRect.Width < client.Width) {
        destRect.Left = client.Width / 2 - destRect.Width / 2;
    }
    if (destRect.Height < client.Height) {
        destRect.Top =
            static_cast<int32_t>(std::trunc(client.Height / 2.0 - destRect.Height / 2.0));
    }
    paintClipRect.Left = destRect.Left;
    paintClipRect.Top = destRect.Top;
    paintedDest = destRect;
}

ImageLayout::PaintPlacement ImageLayout::PlaceForPaint() {
    if (autoScroll && !autoSize && !centerImage) {
        destRect.Left = -scrollX;
        destRect.Top = -scrollY;
    }
    PaintPlacement placement;
    placement.area = PixRect{paintClipRect.Left + frameWidth, paintClipRect.Top + frameWidth,
                             paintClipRect.Width + scrollX, paintClipRect.Height + scrollY};
    placement.dest = PixRect{destRect.Left + frameWidth, destRect.Top + frameWidth, destRect.Width,
                             destRect.Height};
    paintedDest = placement.dest;
    return placement;
}
