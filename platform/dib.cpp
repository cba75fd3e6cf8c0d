// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/dib.h"

#include <cstring>

std::optional<DibShape> ReadDibHeader(const BITMAPINFOHEADER& h) {
    if (h.biSize < sizeof(BITMAPINFOHEADER) || h.biCompression != BI_RGB) return std::nullopt;
    if (h.biWidth <= 0 || h.biHeight == 0 || h.biHeight == INT32_MIN) return std::nullopt;
    const uint32_t stride = DibRowStride(h.biWidth, h.biBitCount);
    if (stride == 0) return std::nullopt;
    DibShape shape;
    shape.width = h.biWidth;
    shape.topDown = h.biHeight < 0;
    shape.rows = shape.topDown ? -h.biHeight : h.biHeight;
    shape.bitCount = h.biBitCount;
    shape.colors = DibColorCount(h);
    shape.stride = stride;
    // Each term is below 2^32, and stride and rows below 2^31: no overflow.
    shape.pixelOffset = uint64_t{h.biSize} + uint64_t{4} * shape.colors;
    shape.pixelBytes = uint64_t{stride} * uint64_t(shape.rows);
    return shape;
}

std::optional<DibShape> ReadPackedDib(const uint8_t* block, size_t blockSize) {
    if (!block || blockSize < sizeof(BITMAPINFOHEADER)) return std::nullopt;
    BITMAPINFOHEADER h;
    std::memcpy(&h, block, sizeof h);
    const std::optional<DibShape> shape = ReadDibHeader(h);
    if (!shape || shape->pixelOffset > blockSize ||
        shape->pixelBytes > blockSize - shape->pixelOffset)
        return std::nullopt;
    return shape;
}
