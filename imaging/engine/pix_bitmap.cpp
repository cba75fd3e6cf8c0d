// SPDX-License-Identifier: GPL-3.0-or-later
#include "imaging/engine/pix_bitmap.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "imaging/engine/status_codes.h"
#include "platform/pixel_memory.h"

namespace {

constexpr size_t kPaletteBytes = 256 * sizeof(RGBQUAD);

bool ValidSize(uint32_t structSize) {
    return structSize == sizeof(PixBitmap);
}

// Row bytes for the engine's own memory: rows padded to 4 bytes like a DIB, so
// that a bitmap converts to a DIB row by row.
int32_t RowBytes(int32_t width, int32_t bits) {
    return static_cast<int32_t>(DibRowStride(width, bits));
}

}  // namespace

int32_t P_InitBitmap(PixBitmap* b, uint32_t structSize, int32_t width, int32_t height,
                     int32_t bitsPerPixel) {
    if (!b) return pix::kInvalidBitmap;
    if (!ValidSize(structSize)) return pix::kInvalidStructSize;
    std::memset(b, 0, sizeof(PixBitmap));
    b->StructSize = structSize;
    b->Order = kOrderBGR;
    b->ViewPerspective = 1;
    b->XResolution = 96;
    b->YResolution = 96;
    if (width <= 0 || height <= 0) return pix::kSuccess;
    if (width > kMaxBitmapSide || height > kMaxBitmapSide) return pix::kInvalidSize;
    if (bitsPerPixel != 8 && bitsPerPixel != 24) return -27;
    b->Width = width;
    b->Height = height;
    b->BitsPerPixel = bitsPerPixel;
    b->BytesPerLine = RowBytes(width, bitsPerPixel);
    b->Colors = bitsPerPixel == 8 ? 256 : 0;
    return pix::kSuccess;
}

int32_t P_AllocateBitmap(PixBitmap* b, uint32_t structSize) {
    if (!b) return pix::kInvalidBitmap;
    if (!ValidSize(structSize)) return pix::kInvalidStructSize;
    if (b->Width <= 0 || b->Height <= 0 || b->Width > kMaxBitmapSide || b->Height > kMaxBitmapSide)
        return pix::kInvalidSize;
    if (b->BitsPerPixel != 8 && b->BitsPerPixel != 24) return -27;
    // Rows shorter than their pixels would let every later writer run past the block.
    if (b->BytesPerLine < int64_t{b->Width} * (b->BitsPerPixel / 8)) return pix::kInvalidParameter;
    const uint64_t bytes = uint64_t(b->BytesPerLine) * uint64_t(b->Height);
    if (bytes > kMaxBitmapBytes) return pix::kNoMemory;
    if (b->Flags & kBitmapAllocated) P_FreeBitmap(b);
    // One block: the palette (8-bit only) followed by the rows.
    const size_t paletteBytes = b->BitsPerPixel == 8 ? kPaletteBytes : 0;
    auto* block = static_cast<uint8_t*>(AllocatePixelMemory(paletteBytes + bytes, true));
    if (!block) return pix::kNoMemory;
    if (paletteBytes) {
        auto* pal = reinterpret_cast<RGBQUAD*>(block);
        for (int i = 0; i < 256; ++i) {
            const auto v = static_cast<uint8_t>(i);
            pal[i] = RGBQUAD{v, v, v, 0};
        }
        b->Palette = pal;
        b->Colors = 256;
    } else {
        b->Palette = nullptr;
    }
    b->Data = block + paletteBytes;
    b->Size = bytes;
    b->Flags |= kBitmapAllocated;
    return pix::kSuccess;
}

int32_t P_FreeBitmap(PixBitmap* b) {
    if (!b) return pix::kInvalidBitmap;
    if (b->Flags & kBitmapAllocated) {
        uint8_t* block = b->Palette ? reinterpret_cast<uint8_t*>(b->Palette) : b->Data;
        FreePixelMemory(block);
    }
    b->Data = nullptr;
    b->Palette = nullptr;
    b->Size = 0;
    b->Flags &= ~kBitmapAllocated;
    return pix::kSuccess;
}

int32_t P_CopyBitmap(PixBitmap* dst, const PixBitmap* src, uint32_t structSize) {
    if (!dst || !src) return pix::kInvalidBitmap;
    if (!ValidSize(structSize)) return pix::kInvalidStructSize;
    if (dst == src) return pix::kSuccess;
    if (dst->StructSize == sizeof(PixBitmap)) P_FreeBitmap(dst);
    std::memcpy(dst, src, sizeof(PixBitmap));
    dst->Data = nullptr;
    dst->Palette = nullptr;
    dst->Size = 0;
    dst->Flags &= ~kBitmapAllocated;
    if (!(src->Flags & kBitmapAllocated)) return pix::kSuccess;
    const int32_t status = P_AllocateBitmap(dst, structSize);
    if (status != pix::kSuccess) {
        P_InitBitmap(dst, structSize, 0, 0, 0);
        return status;
    }
    std::memcpy(dst->Data, src->Data, std::min(src->Size, dst->Size));
    if (src->Palette && dst->Palette) std::memcpy(dst->Palette, src->Palette, kPaletteBytes);
    return pix::kSuccess;
}

int32_t P_CopyBitmapHandle(PixBitmap* dst, const PixBitmap* src, uint32_t structSize) {
    if (!dst || !src) return pix::kInvalidBitmap;
    if (!ValidSize(structSize)) return pix::kInvalidStructSize;
    std::memcpy(dst, src, sizeof(PixBitmap));
    return pix::kSuccess;
}

int32_t P_GetBitmapRow(const PixBitmap* b, int32_t row, uint8_t* buffer, uint32_t bytes) {
    if (!b || !(b->Flags & kBitmapAllocated) || !b->Data) return pix::kInvalidBitmap;
    if (!buffer || row < 0 || row >= b->Height) return pix::kInvalidParameter;
    const uint32_t rowBytes = uint32_t(b->Width) * uint32_t(b->BitsPerPixel / 8);
    const uint32_t n = std::min(bytes, rowBytes);
    std::memcpy(buffer, PixRow(*b, row), n);
    return int32_t(n);
}
