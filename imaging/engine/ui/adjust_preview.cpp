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
    : m_operation(operation) {
    const QImage::Format format = FormatOf(source);
    // A view onto the bitmap's rows; scaled() makes the copy.
    const QImage whole(source.Data, source.Width, source.Height, source.BytesPerLine, format);
    QSize size(source.Width, source.Height);
    if (size.width() > box.width() || size.height() > box.height())
        size.scale(box, Qt::KeepAspectRatio);
    size = size.expandedTo(QSize(1, 1));
    m_before =
        whole.scaled(size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation).convertToFormat(format);
    if (m_before.isNull()) throw std::bad_alloc();

    P_InitBitmap(&m_work, sizeof m_work, m_before.width(), m_before.height(), source.BitsPerPixel);
    if (P_AllocateBitmap(&m_work, sizeof m_work) != pix::kSuccess) throw std::bad_alloc();
}

AdjustPreview::~AdjustPreview() {
    P_FreeBitmap(&m_work);
}

QImage AdjustPreview::After(int32_t value) {
    const size_t rowBytes = size_t(m_work.Width) * size_t(m_work.BitsPerPixel / 8);
    for (int32_t y = 0; y < m_work.Height; ++y)
        std::memcpy(PixRow(m_work, y), m_before.constScanLine(y), rowBytes);
    m_operation(&m_work, value);
    QImage after(m_work.Width, m_work.Height, m_before.format());
    if (after.isNull()) throw std::bad_alloc();
    for (int32_t y = 0; y < m_work.Height; ++y)
        std::memcpy(after.scanLine(y), PixRow(m_work, y), rowBytes);
    return after;
}
