// SPDX-License-Identifier: GPL-3.0-or-later
#include "imaging/engine/dib_export.h"

#include <cstring>
#include <optional>

HGLOBAL P_ConvertToDIB(const PixBitmap* b, int32_t type) {
    if (!b || type != 0 || !(b->Flags & kBitmapAllocated) || !b->Data) return nullptr;
    if (b->BitsPerPixel != 8 && b->BitsPerPixel != 24) return nullptr;
    if (b->Width <= 0 || b->Height <= 0 || (b->BitsPerPixel == 8 && !b->Palette)) return nullptr;
    // Each row is read whole from the bitmap; the rows must lie inside its memory.
    const int64_t rowPixelBytes = int64_t{b->Width} * (b->BitsPerPixel / 8);
    if (b->BytesPerLine < rowPixelBytes ||
        uint64_t(b->BytesPerLine) * uint64_t(b->Height - 1) + uint64_t(rowPixelBytes) > b->Size)
        return nullptr;
    BITMAPINFOHEADER h{};
    h.biSize = sizeof(BITMAPINFOHEADER);
    h.biWidth = b->Width;
    h.biHeight = b->Height;
    h.biPlanes = 1;
    h.biBitCount = static_cast<uint16_t>(b->BitsPerPixel);
    h.biCompression = BI_RGB;
    // Dots per inch to dots per metre, rounded.
    h.biXPelsPerMeter = static_cast<int32_t>((int64_t{b->XResolution} * 10000 + 127) / 254);
    h.biYPelsPerMeter = static_cast<int32_t>((int64_t{b->YResolution} * 10000 + 127) / 254);
    h.biClrUsed = b->BitsPerPixel == 8 ? 256 : 0;
    const std::optional<DibShape> shape = ReadDibHeader(h);
    if (!shape || shape->pixelBytes > kMaxBitmapBytes) return nullptr;
    h.biSizeImage = static_cast<uint32_t>(shape->pixelBytes);
    const size_t stride = shape->stride;
    HGLOBAL block = GlobalAlloc(GHND, shape->pixelOffset + shape->pixelBytes);
    if (!block) return nullptr;
    auto* bytes = static_cast<uint8_t*>(GlobalLock(block));
    std::memcpy(bytes, &h, sizeof h);
    if (shape->colors) std::memcpy(bytes + sizeof h, b->Palette, size_t{shape->colors} * 4);
    uint8_t* pixels = bytes + shape->pixelOffset;
    for (int32_t y = 0; y < b->Height; ++y) {
        std::memcpy(pixels + size_t(b->Height - 1 - y) * stride, PixRow(*b, y),
                    static_cast<size_t>(rowPixelBytes));
    }
    GlobalUnlock(block);
    return block;
}
