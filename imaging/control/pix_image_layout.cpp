// Layout and painting of TPixImage: size modes, zoom, rectangles, scroll
// ranges, centring, and the paint with its background fill.
#include <QPaintEvent>
#include <QPainter>
#include <QRegion>
#include <algorithm>
#include <cfenv>
#include <cmath>

#include "imaging/control/pix_image.h"
#include "imaging/engine/status_codes.h"
#include "imaging/engine/ui/paint.h"

namespace {
QRect ToQRect(const PixRect& r) {
    return QRect(r.Left, r.Top, r.Width, r.Height);
}
}  // namespace

int32_t TPixImage::ScaleExtent(int32_t n, double z) {
    if (z == 0) return 1;
    // long double carries a 64-bit mantissa here, so n x z is exact; nearbyintl
    // rounds halves to the even neighbour in the default rounding mode.
    const long double value = z > 0 ? static_cast<long double>(n) * static_cast<long double>(z)
                                    : static_cast<long double>(n) / (1.0L - z);
    return static_cast<int32_t>(std::nearbyintl(value));
}

void TPixImage::SetPaintSizeMode(TPaintSizeMode mode) {
    m_paintSizeMode = mode;
    if (mode == smNormal) {
        m_scrollX = 0;
        m_scrollY = 0;
        m_zoomX = 1.0;
        m_zoomY = 1.0;
        m_destRect.Width = m_bitmapWidth;
        m_destRect.Height = m_bitmapHeight;
    }
    if (m_constructing) return;
    UpdateLayout(true);
    if (m_autoRepaint) update();
}

int32_t TPixImage::PaintZoomFactor() const {
    const double z = m_paintSizeMode == smStretch ? std::min(m_zoomX, m_zoomY) : m_zoomX;
    return static_cast<int32_t>(std::lround(z * 100));
}

void TPixImage::SetPaintZoomFactor(int32_t percent) {
    if (percent < 0) {
        m_lastStatus = pix::kInvalidParameter;
        throw EPixImageError(Name() + " \nPaintZoomFactor: Invalid value passed.");
    }
    m_zoomX = percent / 100.0;
    m_zoomY = m_zoomX;
    SetPaintSizeMode(smZoom);
}

void TPixImage::SetBackColor(const QColor& color) {
    m_backColor = color;
    if (m_autoRepaint) update();
}

void TPixImage::SetCenterImage(bool on) {
    m_centerImage = on;
    if (m_constructing) return;
    UpdateLayout(true);
    if (m_autoRepaint) update();
}

void TPixImage::ComputeDestination() {
    const int32_t w = m_bitmapWidth;
    const int32_t h = m_bitmapHeight;
    if (w == 0 || h == 0) {
        m_destRect.Width = 0;
        m_destRect.Height = 0;
        if (m_autoScroll) {
            m_hScrollRange = 0;
            m_vScrollRange = 0;
        }
        return;
    }
    const int32_t iw = width() - 2 * m_frameWidth;
    const int32_t ih = height() - 2 * m_frameWidth;
    switch (m_paintSizeMode) {
        case smNormal:
        case smZoom:
            m_destRect.Width = ScaleExtent(w, m_zoomX);
            m_destRect.Height = ScaleExtent(h, m_zoomY);
            break;
        case smStretch:
            m_zoomX = double(iw) / w;
            m_zoomY = double(ih) / h;
            m_destRect.Width = iw;
            m_destRect.Height = ih;
            break;
        case smFitSides:
            m_zoomX = double(iw) / w;
            m_zoomY = m_zoomX;
            m_destRect.Width = ScaleExtent(w, m_zoomX);
            m_destRect.Height = ScaleExtent(h, m_zoomY);
            break;
        case smFit: {
            m_zoomX = double(iw) / w;
            m_zoomY = double(ih) / h;
            if (m_zoomX > m_zoomY) {
                m_zoomX = m_zoomY;
            } else {
                m_zoomY = m_zoomX;
            }
            m_destRect.Width = ScaleExtent(w, m_zoomX);
            m_destRect.Height = ScaleExtent(h, m_zoomY);
            break;
        }
    }
    m_paintClipRect = m_destRect;
}

void TPixImage::UpdateLayout(bool recompute) {
    if (m_destroying || m_inLayout) return;
    m_inLayout = true;
    const int32_t iw = width() - 2 * m_frameWidth;
    const int32_t ih = height() - 2 * m_frameWidth;
    if (recompute && m_autoSetRects) ComputeDestination();
    m_vScrollRange = std::max(0, m_destRect.Height - ih);
    m_hScrollRange = std::max(0, m_destRect.Width - iw);
    m_scrollX = std::clamp(m_scrollX, 0, m_hScrollRange);
    m_scrollY = std::clamp(m_scrollY, 0, m_vScrollRange);
    if (m_autoSize && m_imageAllocated) {
        resize(m_destRect.Width + 2 * m_frameWidth, m_destRect.Height + 2 * m_frameWidth);
    } else if (m_autoScroll) {
        m_destRect.Left = -m_scrollX;
        m_destRect.Top = -m_scrollY;
    }
    if (m_autoSetRects) {
        m_paintClipRect = m_destRect;
        m_paintedDest = m_destRect;
    }
    if (m_centerImage) CenterDestination();
    m_inLayout = false;
}

void TPixImage::CenterDestination() {
    const int32_t cw = width();
    const int32_t ch = height();
    if (m_destRect.Width < cw) {
        m_destRect.Left = cw / 2 - m_destRect.Width / 2;
    }
    if (m_destRect.Height < ch) {
        m_destRect.Top = static_cast<int32_t>(std::trunc(ch / 2.0 - m_destRect.Height / 2.0));
    }
    m_paintClipRect.Left = m_destRect.Left;
    m_paintClipRect.Top = m_destRect.Top;
    m_paintedDest = m_destRect;
}

void TPixImage::resizeEvent(QResizeEvent* e) {
    UpdateLayout(true);
    QWidget::resizeEvent(e);
}

void TPixImage::paintEvent(QPaintEvent* e) {
    if (!isVisible() || m_painting) return;
    m_painting = true;
    // The paint reports to this control while it runs.
    TPixImage* const previousHead = ExchangeChainHead(this);
    if (m_autoScroll && !m_autoSize && !m_centerImage) {
        m_destRect.Left = -m_scrollX;
        m_destRect.Top = -m_scrollY;
    }
    QPainter painter(this);
    const QRect clientRect = rect();
    const QRect inner =
        clientRect.adjusted(m_frameWidth, m_frameWidth, -m_frameWidth, -m_frameWidth);
    const QRect canvasClip = e->rect();
    m_changePending = false;
    const bool hasImage = m_imageAllocated && (m_bitmap.Flags & kBitmapAllocated);
    QRect p = ToQRect(m_paintClipRect);
    p.setWidth(p.width() + m_scrollX);
    p.setHeight(p.height() + m_scrollY);
    p = p.translated(m_frameWidth, m_frameWidth).intersected(clientRect);
    const QRect d = ToQRect(m_destRect).translated(m_frameWidth, m_frameWidth);
    m_paintedDest = PixRect{d.x(), d.y(), d.width(), d.height()};
    const QRect f = p.intersected(canvasClip);
    if (hasImage) {
        if (!m_transparent) {
            if (m_backErase) {
                painter.fillRect(inner, m_backColor);
            } else {
                // Only the area outside the picture is filled, so it never flickers.
                const QRegion outside = QRegion(clientRect).subtracted(QRegion(f.intersected(d)));
                for (const QRect& r : outside) painter.fillRect(r, m_backColor);
            }
        }
        const uint32_t savedMode = P_GetDisplayMode();
        // The paint settings' defaults: ordered dither, normal two-colour
        // scaling, automatic palette, normal scaling.
        P_SetDisplayMode(kDisplayControlPaint, kDisplayControlPaint);
        P_SetDisplayMode(kDisplayDitherMask, kDisplayDitherOrdered);
        P_SetDisplayMode(kDisplayBitonalMask, kDisplayBitonalNormal);
        P_SetDisplayMode(kDisplayPaletteMask, kDisplayPaletteAuto);
        P_SetDisplayMode(kDisplayScalingMask, kDisplayScalingNormal);
        P_PaintDC(&painter, &m_bitmap, ToQRect(m_sourceRect), ToQRect(m_sourceClipRect), d, f,
                  SRCCOPY);
        P_SetDisplayMode(kDisplayModeAllBits, savedMode);
    } else {
        painter.fillRect(inner, m_backColor);
    }
    m_painting = false;
    ExchangeChainHead(previousHead);
}
