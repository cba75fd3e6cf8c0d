// SPDX-License-Identifier: GPL-3.0-or-later
#include "imaging/engine/ui/adjust_preview.h"

#include <cstring>
#include <new>

#include "imaging/engine/status_codes.h"

namespace {

QImage::Format FormatOf(const PixBitmap& b) {
    return b.BitsPerPixel == 8 ? QImage::Format_Grayscale8 : QImage::Format_BGR888;
}

}  // namespace

AdjustPreview::AdjustPreview(const PixBitmap& source, QSize box, Operation operation)
    : operation_(operation) {
    const QImage::Format format = FormatOf(source);
    // A view onto the bitmap's rows; scaled() makes the copy.
    const QImage whole(source.Data, source.Width, source.Height, source.BytesPerLine, format);
    QSize size(source.Width, source.Height);
    if (size.width() > box.width() || size.height() > box.height())
        size.scale(box, Qt::KeepAspectRatio);
    size = size.expandedTo(QSize(1, 1));
    before_ =
        whole.scaled(size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation).convertToFormat(format);
    if (before_.isNull()) throw std::bad_alloc();

    P_InitBitmap(&work_, sizeof work_, before_.width(), before_.height(), source.BitsPerPixel);
    if (P_AllocateBitmap(&work_, sizeof work_) != pix::kSuccess) throw std::bad_alloc();
}

AdjustPreview::~AdjustPreview() {
    P_FreeBitmap(&work_);
}

QImage AdjustPreview::After(int32_t value) {
    const size_t rowBytes = size_t(work_.Width) * size_t(work_.BitsPerPixel / 8);
    for (int32_t y = 0; y < work_.Height; ++y)
        std::memcpy(PixRow(work_, y), before_.constScanLine(y), rowBytes);
    operation_(&work_, value);
    QImage after(work_.Width, work_.Height, before_.format());
    if (after.isNull()) throw std::bad_alloc();
    for (int32_t y = 0; y < work_.Height; ++y)
        std::memcpy(after.scanLine(y), PixRow(work_, y), rowBytes);
    return after;
}
