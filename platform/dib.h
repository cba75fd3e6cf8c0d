// SPDX-License-Identifier: GPL-3.0-or-later
// Device-independent bitmap structures, byte for byte as DIB consumers expect
// them, and the one reader of where a DIB's colour table and pixel rows lie.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>

#pragma pack(push, 1)
struct BITMAPINFOHEADER {
    uint32_t biSize;
    int32_t biWidth;
    int32_t biHeight;
    uint16_t biPlanes;
    uint16_t biBitCount;
    uint32_t biCompression;
    uint32_t biSizeImage;
    int32_t biXPelsPerMeter;
    int32_t biYPelsPerMeter;
    uint32_t biClrUsed;
    uint32_t biClrImportant;
};

struct RGBQUAD {
    uint8_t rgbBlue;
    uint8_t rgbGreen;
    uint8_t rgbRed;
    uint8_t rgbReserved;
};

struct BITMAPINFO {
    BITMAPINFOHEADER bmiHeader;
    RGBQUAD bmiColors[1];
};
#pragma pack(pop)

static_assert(sizeof(BITMAPINFOHEADER) == 40);
static_assert(offsetof(BITMAPINFOHEADER, biBitCount) == 14);
static_assert(offsetof(BITMAPINFOHEADER, biClrUsed) == 32);
static_assert(sizeof(RGBQUAD) == 4);
static_assert(sizeof(BITMAPINFO) == 44);

constexpr uint32_t BI_RGB = 0;
constexpr uint32_t BI_RLE8 = 1;
constexpr uint32_t BI_RLE4 = 2;
constexpr uint32_t BI_BITFIELDS = 3;

// Bytes of one DIB row: width x bits rounded up to whole 32-bit words. Returns 0
// when the result would not fit in 32 bits.
constexpr uint32_t DibRowStride(int64_t width, int64_t bitCount) {
    if (width <= 0 || bitCount <= 0) return 0;
    const int64_t bits = width * bitCount;
    const int64_t bytes = ((bits + 31) / 32) * 4;
    return bytes > INT32_MAX ? 0 : static_cast<uint32_t>(bytes);
}

// Colour table entries that a header implies: biClrUsed, or the full table for
// depths up to 8 when biClrUsed is 0.
constexpr uint32_t DibColorCount(const BITMAPINFOHEADER& h) {
    if (h.biClrUsed != 0) return h.biClrUsed;
    return h.biBitCount <= 8 ? (1u << h.biBitCount) : 0;
}

// The parts of an uncompressed DIB as its header describes them. Offsets count
// from the header's first byte; memory row 0 is the bottom picture row of a
// bottom-up DIB and the top one of a top-down DIB.
struct DibShape {
    int32_t width = 0;
    int32_t rows = 0;  // |biHeight|
    bool topDown = false;
    uint16_t bitCount = 0;
    uint32_t colors = 0;       // colour table entries (DibColorCount)
    uint32_t stride = 0;       // bytes of one row (DibRowStride)
    uint64_t pixelOffset = 0;  // biSize + 4 x colors
    uint64_t pixelBytes = 0;   // stride x rows
};

// The shape of an uncompressed (BI_RGB) DIB header with a header of at least
// 40 bytes, a positive width, a height other than 0 and INT32_MIN, and rows
// whose size fits in 32 bits; nothing otherwise.
std::optional<DibShape> ReadDibHeader(const BITMAPINFOHEADER& h);

// The shape of the packed DIB in `block` (header, colour table, rows), or
// nothing when the block is too small for its header, its colour table or the
// rows the header describes, or the header is not one ReadDibHeader accepts.
std::optional<DibShape> ReadPackedDib(const uint8_t* block, size_t blockSize);
