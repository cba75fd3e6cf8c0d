#include "sketch/dib_layout.h"

#include <cstring>

#include "platform/dib.h"

namespace sketch {

std::optional<DibLayout> FindDibLayout(const uint8_t* block, size_t blockSize) {
    if (!block || blockSize < sizeof(BITMAPINFOHEADER)) return std::nullopt;
    BITMAPINFOHEADER h;
    std::memcpy(&h, block, sizeof h);
    if (h.biSize < sizeof(BITMAPINFOHEADER) || h.biBitCount != 24 || h.biCompression != BI_RGB)
        return std::nullopt;
    if (h.biWidth <= 0 || h.biHeight == 0 || h.biHeight == INT32_MIN) return std::nullopt;
    const uint64_t stride = DibRowStride(h.biWidth, 24);
    if (stride == 0) return std::nullopt;
    const uint64_t rows = h.biHeight < 0 ? -int64_t{h.biHeight} : int64_t{h.biHeight};
    const uint64_t offset = uint64_t{h.biSize} + uint64_t{4} * h.biClrUsed;
    // stride < 2^31 and rows < 2^31, so neither sum nor product overflows.
    if (offset > blockSize || stride * rows > blockSize - offset) return std::nullopt;
    DibLayout layout;
    layout.pixelOffset = static_cast<size_t>(offset);
    layout.stride = static_cast<size_t>(stride);
    layout.width = h.biWidth;
    layout.height = static_cast<int32_t>(rows);
    return layout;
}

}  // namespace sketch
