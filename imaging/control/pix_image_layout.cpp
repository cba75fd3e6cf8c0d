// SPDX-License-Identifier: GPL-3.0-or-later
// Layout properties and painting of TPixImage: size mode, zoom and centring
// settings (the arithmetic is ImageLayout's), and the paint with its
// background fill.
#include <QPaintEvent>
#include <QPainter>
#include <QRegion>

#include "imaging/control/pix_image.h"
#include "imaging/engine/status_codes.h"
#include "imaging/engine/ui/paint.h"

namespace {
QRect ToQRect(const PixRect& r) {
    return QRect(r.Left, r.Top, r.Width, r.Height);
}
}  // namespace

void TPixImage::SetPaintSizeMode(TPaintSizeMode mode) {
    layout_.SetPaintSizeMode(mode);
    Relayout();
}

int32_t TPixImage::PaintZoomFactor() const {
    return layout_.ZoomPercent();
}

void TPixImage::SetPaintZoomFactor(int32_t percent) {
    if (percent < 0) {
        lastStatus_ = pix::kInvalidParameter;
        throw EPixImageError(Name() + " \nPaintZoomFactor: Invalid value passed.");
    }
    layout_.SetZoomPercent(percent);
    Relayout();
}

void TPixImage::SetBackColor(const QColor& color) {
    backColor_ = color;
    if (autoRepaint_) update();
}

void TPixImage::SetCenterImage(bool on) {
    layout_.centerImage = on;
    Relayout();
}

void TPixImage::resizeEvent(QResizeEvent* e) {
    UpdateLayout(true);
    QWidget::resizeEvent(e);
}

void TPixImage::paintEvent(QPaintEvent* e) {
    if (!isVisible() || painting_) return;
    painting_ = true;
    // The paint reports to this control while it runs.
    TPixImage* const previousHead = ExchangeChainHead(this);
    const ImageLayout::PaintPlacement placement = layout_.PlaceForPaint();
    QPainter painter(this);
    const QRect clientRect = rect();
    const int32_t frame = layout_.frameWidth;
    const QRect inner = clientRect.adjusted(frame, frame, -frame, -frame);
    const QRect canvasClip = e->rect();
    changePending_ = false;
    const bool hasImage = imageAllocated_ && (bitmap_.Flags & kBitmapAllocated);
    const QRect p = ToQRect(placement.area).intersected(clientRect);
    const QRect d = ToQRect(placement.dest);
    const QRect f = p.intersected(canvasClip);
    if (hasImage) {
        if (!transparent_) {
            if (backErase_) {
                painter.fillRect(inner, backColor_);
            } else {
                // Only the area outside the picture is filled, so it never flickers.
                const QRegion outside = QRegion(clientRect).subtracted(QRegion(f.intersected(d)));
                for (const QRect& r : outside) painter.fillRect(r, backColor_);
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
        P_PaintDC(&painter, &bitmap_, ToQRect(layout_.sourceRect), ToQRect(layout_.sourceClipRect),
                  d, f, SRCCOPY);
        P_SetDisplayMode(kDisplayModeAllBits, savedMode);
    } else {
        painter.fillRect(inner, backColor_);
    }
    painting_ = false;
    ExchangeChainHead(previousHead);
}
