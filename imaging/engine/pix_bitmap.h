// SPDX-License-Identifier: GPL-3.0-or-later
// The engine's bitmap descriptor and the calls that create, copy and free its
// pixel memory. Pixels are 8 bits per channel, rows top to bottom: 24-bit
// blue-green-red, or 8-bit indices into a 256-entry palette (grey files carry a
// grey ramp).
#pragma once

#include <cstddef>
#include <cstdint>

#include "platform/dib.h"

// Flag bits of PixBitmap::Flags.
constexpr uint32_t kBitmapAllocated = 1u << 0;
constexpr uint32_t kBitmapUseLookupTable = 1u << 11;
// Orders of colour channels in a 24-bit bitmap.
constexpr int32_t kOrderBGR = 4;

// Largest pixel memory a bitmap may have; larger requests fail with -1 before
// anything is allocated. Sides are limited to 65535.
constexpr uint64_t kMaxBitmapBytes = uint64_t{1} << 30;
constexpr int32_t kMaxBitmapSide = 65535;

struct PixBitmap {
    uint32_t StructSize;      // 0
    uint32_t Reserved0;       // 4
    int32_t MemoryType;       // 8
    int32_t Width;            // 12
    int32_t Height;           // 16
    int32_t BitsPerPixel;     // 20
    int32_t BytesPerLine;     // 24
    int32_t Order;            // 28: colour order, kOrderBGR
    int32_t Colors;           // 32: palette entries in use (8-bit only)
    uint32_t Flags;           // 36
    int32_t Reserved1[2];     // 40
    int32_t ViewPerspective;  // 48: 1 = top-left; 5 to 8 exchange width and height
    int32_t Reserved2[5];     // 52
    int32_t XResolution;      // 72
    int32_t YResolution;      // 76
    uint8_t* Data;            // 80: first byte of the top row
    RGBQUAD* Palette;         // 88: 256 entries when BitsPerPixel is 8
    uint64_t Size;            // 96: bytes of pixel memory
    uint8_t Reserved3[60];    // 104
};

static_assert(offsetof(PixBitmap, Width) == 12);
static_assert(offsetof(PixBitmap, Height) == 16);
static_assert(offsetof(PixBitmap, BitsPerPixel) == 20);
static_assert(offsetof(PixBitmap, BytesPerLine) == 24);
static_assert(offsetof(PixBitmap, Flags) == 36);
static_assert(offsetof(PixBitmap, ViewPerspective) == 48);
static_assert(offsetof(PixBitmap, XResolution) == 72);
static_assert(offsetof(PixBitmap, YResolution) == 76);
// The record carries native pointers, so its size is not the 32-bit one; the
// offsets that callers read are.

// Fills the descriptor for a bitmap of the given size and depth (8 or 24) with
// no pixel memory; a width or height of 0 gives an empty descriptor.
int32_t P_InitBitmap(PixBitmap* bitmap, uint32_t structSize, int32_t width, int32_t height,
                     int32_t bitsPerPixel);
// Allocates zeroed pixel memory (and a grey-ramp palette for 8 bits) for the
// geometry that P_InitBitmap set. -1 when the size is over the limit or memory
// is short, -11 for a bad width or height, -27 for a depth other than 8 or 24.
int32_t P_AllocateBitmap(PixBitmap* bitmap, uint32_t structSize);
// Frees the pixel memory and clears the allocated bit; the geometry stays.
int32_t P_FreeBitmap(PixBitmap* bitmap);
// Makes dst an independent copy of src, pixels included; dst's own pixel memory
// is freed first. -1 when memory is short (dst is then empty).
int32_t P_CopyBitmap(PixBitmap* dst, const PixBitmap* src, uint32_t structSize);
// Makes dst describe src's pixels without copying them (dst does not own them).
int32_t P_CopyBitmapHandle(PixBitmap* dst, const PixBitmap* src, uint32_t structSize);
// Copies row `row` (0 = top) of an allocated bitmap into `buffer`: the row's
// pixels without padding (Width x BitsPerPixel / 8 bytes), or the first
// `bytes` of them when `bytes` is smaller. Returns the number of bytes copied;
// -2 for a bitmap without pixels, -13 for a null buffer or a row outside it.
int32_t P_GetBitmapRow(const PixBitmap* bitmap, int32_t row, uint8_t* buffer, uint32_t bytes);

// Reaches row `y` (0 = top) of an allocated bitmap.
inline uint8_t* PixRow(const PixBitmap& b, int32_t y) {
    return b.Data + static_cast<size_t>(y) * static_cast<size_t>(b.BytesPerLine);
}
