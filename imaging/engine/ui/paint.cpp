// SPDX-License-Identifier: GPL-3.0-or-later
#include "imaging/engine/ui/paint.h"

#include <QImage>
#include <QPainter>
#include <cmath>

#include "imaging/engine/status_codes.h"

namespace {
uint32_t g_displayMode = 0;

// A QImage over the bitmap's own memory, without copying it.
QImage WrapBitmap(const PixBitmap& b) {
    if (b.BitsPerPixel == 24) {
        return QImage(b.Data, b.Width, b.Height, b.BytesPerLine, QImage::Format_BGR888);
    }
    QImage image(b.Data, b.Width, b.Height, b.BytesPerLine, QImage::Format_Indexed8);
    QList<QRgb> table(256);
    for (int i = 0; i < 256; ++i) {
        const RGBQUAD q = b.Palette ? b.Palette[i] : RGBQUAD{uint8_t(i), uint8_t(i), uint8_t(i), 0};
        table[i] = qRgb(q.rgbRed, q.rgbGreen, q.rgbBlue);
    }
    image.setColorTable(table);
    return image;
}
}  // namespace

int32_t P_PaintDC(QPainter* painter, const PixBitmap* b, const QRect& src, const QRect& srcClip,
                  const QRect& dst, const QRect& dstClip, uint32_t /*rop*/) {
    if (!painter || !b || !(b->Flags & kBitmapAllocated) || !b->Data) return pix::kInvalidBitmap;
    if (b->BitsPerPixel != 8 && b->BitsPerPixel != 24) return pix::kInvalidBitmap;
    if (src.isEmpty() || dst.isEmpty()) return pix::kInvalidParameter;
    const QRect source = src.intersected(srcClip).intersected(QRect(0, 0, b->Width, b->Height));
    if (source.isEmpty()) return pix::kInvalidParameter;
    // Where the clipped source lands: the same proportion of the destination.
    const double sx = double(dst.width()) / src.width();
    const double sy = double(dst.height()) / src.height();
    const QRectF target(dst.x() + (source.x() - src.x()) * sx,
                        dst.y() + (source.y() - src.y()) * sy, source.width() * sx,
                        source.height() * sy);
    const QImage image = WrapBitmap(*b).copy(source);
    painter->save();
    painter->setClipRect(dstClip, Qt::IntersectClip);
    const QSize size(int(std::lround(target.width())), int(std::lround(target.height())));
    if (size.width() > 0 && size.height() > 0 && size != image.size()) {
        // Area-averaging resample: downscaled photos stay free of aliasing.
        painter->drawImage(target.topLeft(),
                           image.scaled(size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation));
    } else {
        painter->drawImage(target, image);
    }
    painter->restore();
    return pix::kSuccess;
}

uint32_t P_SetDisplayMode(uint32_t mask, uint32_t value) {
    const uint32_t previous = g_displayMode;
    g_displayMode = (g_displayMode & ~mask) | (value & mask);
    return previous;
}

uint32_t P_GetDisplayMode() {
    return g_displayMode;
}
