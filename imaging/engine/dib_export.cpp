#include "imaging/engine/dib_export.h"

#include <cstring>

HGLOBAL P_ConvertToDIB(const PixBitmap* b, int32_t type) {
    if (!b || type != 0 || !(b->Flags & kBitmapAllocated) || !b->Data) return nullptr;
    if (b->BitsPerPixel != 8 && b->BitsPerPixel != 24) return nullptr;
    if (b->Width <= 0 || b->Height <= 0 || (b->BitsPerPixel == 8 && !b->Palette)) return nullptr;
    // Each row is read whole from the bitmap; the rows must lie inside its memory.
    const int64_t rowPixelBytes = int64_t{b->Width} * (b->BitsPerPixel / 8);
    if (b->BytesPerLine < rowPixelBytes ||
        uint64_t(b->BytesPerLine) * uint64_t(b->Height - 1) + uint64_t(rowPixelBytes) > b->Size)
        return nullptr;
    const uint32_t stride = DibRowStride(b->Width, b->BitsPerPixel);
    const uint32_t colors = b->BitsPerPixel == 8 ? 256 : 0;
    const uint64_t pixelBytes = uint64_t{stride} * uint64_t(b->Height);
    const uint64_t total = sizeof(BITMAPINFOHEADER) + uint64_t{colors} * 4 + pixelBytes;
    if (stride == 0 || pixelBytes > kMaxBitmapBytes) return nullptr;
    HGLOBAL block = GlobalAlloc(GHND, total);
    if (!block) return nullptr;
    auto* bytes = static_cast<uint8_t*>(GlobalLock(block));
    BITMAPINFOHEADER h{};
    h.biSize = sizeof(BITMAPINFOHEADER);
    h.biWidth = b->Width;
    h.biHeight = b->Height;
    h.biPlanes = 1;
    h.biBitCount = static_cast<uint16_t>(b->BitsPerPixel);
    h.biCompression = BI_RGB;
    h.biSizeImage = static_cast<uint32_t>(pixelBytes);
    // Dots per inch to dots per metre, rounded.
    h.biXPelsPerMeter = static_cast<int32_t>((int64_t{b->XResolution} * 10000 + 127) / 254);
    h.biYPelsPerMeter = static_cast<int32_t>((int64_t{b->YResolution} * 10000 + 127) / 254);
    h.biClrUsed = colors;
    std::memcpy(bytes, &h, sizeof h);
    if (colors) std::memcpy(bytes + sizeof h, b->Palette, colors * 4);
    uint8_t* pixels = bytes + sizeof h + colors * 4;
    for (int32_t y = 0; y < b->Height; ++y) {
        std::memcpy(pixels + size_t(b->Height - 1 - y) * stride, PixRow(*b, y),
                    static_cast<size_t>(rowPixelBytes));
    }
    GlobalUnlock(block);
    return block;
}
