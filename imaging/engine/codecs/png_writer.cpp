// SPDX-License-Identifier: GPL-3.0-or-later
#include "imaging/engine/codecs/png_writer.h"

#include <libdeflate.h>
#include <png.h>
#include <zlib.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <new>

#include "imaging/engine/status_codes.h"
#include "platform/pixel_memory.h"

namespace pix {
namespace {

bool IsGreyRamp(const PixBitmap& b) {
    if (!b.Palette) return true;
    for (int i = 0; i < 256; ++i) {
        const RGBQUAD& c = b.Palette[i];
        if (c.rgbBlue != i || c.rgbGreen != i || c.rgbRed != i) return false;
    }
    return true;
}

// Whether the first 2^bits palette entries are the even grey ramp of that depth.
bool IsGreyLevels(const PixBitmap& b, int bits) {
    if (bits == 8) return IsGreyRamp(b);
    const int n = 1 << bits;
    for (int i = 0; i < n; ++i) {
        const int v = (i * 255 + (n - 1) / 2) / (n - 1);
        const RGBQUAD& c = b.Palette[i];
        if (c.rgbBlue != v || c.rgbGreen != v || c.rgbRed != v) return false;
    }
    return true;
}

bool AllGrey24(const PixBitmap& b) {
    for (int32_t y = 0; y < b.Height; ++y) {
        const uint8_t* p = PixRow(b, y);
        for (int32_t x = 0; x < b.Width; ++x, p += 3)
            if (p[0] != p[1] || p[1] != p[2]) return false;
    }
    return true;
}

void OnError(png_structp png, png_const_charp) {
    png_longjmp(png, 1);
}
void OnWarning(png_structp, png_const_charp) {}
void OnWrite(png_structp png, png_bytep data, size_t length) {
    auto* out = static_cast<std::vector<uint8_t>*>(png_get_io_ptr(png));
    out->insert(out->end(), data, data + length);
}
void OnFlush(png_structp) {}

// Runs libpng; kept free of objects with destructors because libpng leaves
// through longjmp.
// `greyRow`, when given, holds one row: the 24-bit picture is grey and is
// written as 8-bit grey through it.
// `bits` below 8: indices packed at that depth.
int32_t Write(png_structp png, png_infop info, const PixBitmap& b, int bits, bool grey,
              const PngEncoding& encoding, uint8_t* greyRow, std::vector<uint8_t>* out) {
    if (setjmp(png_jmpbuf(png))) return kNoMemory;
    png_set_write_fn(png, out, OnWrite, OnFlush);
    const int type = greyRow                ? PNG_COLOR_TYPE_GRAY
                     : b.BitsPerPixel == 24 ? PNG_COLOR_TYPE_RGB
                     : grey                 ? PNG_COLOR_TYPE_GRAY
                                            : PNG_COLOR_TYPE_PALETTE;
    png_set_IHDR(png, info, uint32_t(b.Width), uint32_t(b.Height), bits < 8 ? bits : 8, type,
                 PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    if (encoding.level >= 0) png_set_compression_level(png, encoding.level);
    const int strategy = type == PNG_COLOR_TYPE_RGB ? encoding.strategy : encoding.greyStrategy;
    if (strategy >= 0) png_set_compression_strategy(png, strategy);
    if (type == PNG_COLOR_TYPE_PALETTE || bits < 8)
        png_set_filter(png, PNG_FILTER_TYPE_BASE, PNG_FILTER_NONE);
    else if (encoding.filters != 0)
        png_set_filter(png, PNG_FILTER_TYPE_BASE, encoding.filters);
    png_color palette[256];
    if (type == PNG_COLOR_TYPE_PALETTE) {
        const int n = bits < 8 ? 1 << bits : 256;
        for (int i = 0; i < n; ++i)
            palette[i] =
                png_color{b.Palette[i].rgbRed, b.Palette[i].rgbGreen, b.Palette[i].rgbBlue};
        png_set_PLTE(png, info, palette, n);
    }
    const double metersPerInch = 0.0254;
    png_set_pHYs(png, info, png_uint_32(b.XResolution / metersPerInch + 0.5),
                 png_uint_32(b.YResolution / metersPerInch + 0.5), PNG_RESOLUTION_METER);
    png_write_info(png, info);
    if (type == PNG_COLOR_TYPE_RGB) png_set_bgr(png);
    if (bits < 8) png_set_packing(png);
    for (int32_t y = 0; y < b.Height; ++y) {
        const uint8_t* row = PixRow(b, y);
        if (greyRow) {
            for (int32_t x = 0; x < b.Width; ++x) greyRow[x] = row[3 * size_t(x)];
            row = greyRow;
        }
        png_write_row(png, row);
    }
    png_write_end(png, info);
    return kSuccess;
}

// The PNG filter type of a single PNG_FILTER_* bit, or -1.
int FilterType(int filters) {
    switch (filters) {
        case PNG_FILTER_NONE:
            return PNG_FILTER_VALUE_NONE;
        case PNG_FILTER_SUB:
            return PNG_FILTER_VALUE_SUB;
        case PNG_FILTER_UP:
            return PNG_FILTER_VALUE_UP;
        case PNG_FILTER_AVG:
            return PNG_FILTER_VALUE_AVG;
        case PNG_FILTER_PAETH:
            return PNG_FILTER_VALUE_PAETH;
        default:
            return -1;
    }
}

// Filters one row of `n` bytes, `bpp` bytes a pixel, against the row above
// (zeros for the first row); out[0] takes the filter type.
void FilterRow(int type, const uint8_t* cur, const uint8_t* prev, size_t n, int bpp, uint8_t* out) {
    *out++ = uint8_t(type);
    const size_t b = size_t(bpp);
    switch (type) {
        case PNG_FILTER_VALUE_NONE:
            std::memcpy(out, cur, n);
            break;
        case PNG_FILTER_VALUE_SUB:
            std::memcpy(out, cur, b);
            for (size_t i = b; i < n; ++i) out[i] = uint8_t(cur[i] - cur[i - b]);
            break;
        case PNG_FILTER_VALUE_UP:
            for (size_t i = 0; i < n; ++i) out[i] = uint8_t(cur[i] - prev[i]);
            break;
        case PNG_FILTER_VALUE_AVG:
            for (size_t i = 0; i < b; ++i) out[i] = uint8_t(cur[i] - prev[i] / 2);
            for (size_t i = b; i < n; ++i) out[i] = uint8_t(cur[i] - (cur[i - b] + prev[i]) / 2);
            break;
        default:
            for (size_t i = 0; i < b; ++i) out[i] = uint8_t(cur[i] - prev[i]);
            for (size_t i = b; i < n; ++i) {
                const int a = cur[i - b], up = prev[i], c = prev[i - b];
                const int pa = std::abs(up - c), pb = std::abs(a - c),
                          pc = std::abs(a + up - 2 * c);
                const int pred = pa <= pb && pa <= pc ? a : pb <= pc ? up : c;
                out[i] = uint8_t(cur[i] - pred);
            }
            break;
    }
}

void Put32(std::vector<uint8_t>* out, uint32_t v) {
    const uint8_t b[4] = {uint8_t(v >> 24), uint8_t(v >> 16), uint8_t(v >> 8), uint8_t(v)};
    out->insert(out->end(), b, b + 4);
}

// Appends a chunk whose data already stand at the end of `out`, from `start`
// on: its length before them and its CRC after them.
void CloseChunk(std::vector<uint8_t>* out, size_t start) {
    const uint32_t length = uint32_t(out->size() - start - 4);
    for (int i = 0; i < 4; ++i) (*out)[start - 4 + size_t(i)] = uint8_t(length >> (24 - 8 * i));
    Put32(out, uint32_t(crc32(0, out->data() + start, uInt(out->size() - start))));
}

// Opens a chunk: room for its length, then its type; returns where the type
// begins, for CloseChunk.
size_t OpenChunk(std::vector<uint8_t>* out, const char* type) {
    Put32(out, 0);
    const size_t start = out->size();
    out->insert(out->end(), type, type + 4);
    return start;
}

struct CompressorDeleter {
    void operator()(libdeflate_compressor* c) const { libdeflate_free_compressor(c); }
};

// A picture-sized buffer, freed when it goes out of scope.
struct PixelBuffer {
    explicit PixelBuffer(size_t bytes)
        : data(static_cast<uint8_t*>(AllocatePixelMemory(bytes, false))) {}
    ~PixelBuffer() { reset(); }
    PixelBuffer(const PixelBuffer&) = delete;
    PixelBuffer& operator=(const PixelBuffer&) = delete;
    void reset() {
        FreePixelMemory(data);
        data = nullptr;
    }
    uint8_t* data;
};

// Writes an 8-bit grey or 24-bit RGB PNG itself: the rows filtered with one
// filter into one buffer, which libdeflate compresses in one piece into a
// single IDAT chunk. libdeflate at its fastest level takes less than half of
// zlib's time at level 1 for a smaller file. The filtered rows take a
// picture's size at most, and the compressed rows about their own size or
// less; the buffers come from the pixel memory, so that in a batch they reuse
// the blocks that the photo and the passes freed.
int32_t WriteWhole(const PixBitmap& b, bool greyFrom24, const PngEncoding& encoding,
                   std::vector<uint8_t>* out) {
    const int type = FilterType(encoding.filters);
    const int bpp = b.BitsPerPixel == 24 && !greyFrom24 ? 3 : 1;
    const size_t n = size_t(b.Width) * size_t(bpp);
    // Buffers that are written before they are read, left uninitialised.
    const size_t size = (n + 1) * size_t(b.Height);
    PixelBuffer filtered(size);
    if (!filtered.data) return kNoMemory;
    std::vector<uint8_t> rows(2 * n, 0);
    uint8_t* cur = rows.data();
    uint8_t* prev = rows.data() + n;
    for (int32_t y = 0; y < b.Height; ++y) {
        const uint8_t* src = PixRow(b, y);
        uint8_t* row = filtered.data + size_t(y) * (n + 1);
        if (bpp == 3 && type == PNG_FILTER_VALUE_SUB) {
            // The default, in one pass from the BGR pixels.
            *row++ = PNG_FILTER_VALUE_SUB;
            uint8_t r = 0, g = 0, bl = 0;
            for (size_t x = 0; x < n; x += 3) {
                row[x] = uint8_t(src[x + 2] - r);
                row[x + 1] = uint8_t(src[x + 1] - g);
                row[x + 2] = uint8_t(src[x] - bl);
                r = src[x + 2];
                g = src[x + 1];
                bl = src[x];
            }
            continue;
        }
        if (bpp == 3) {
            for (size_t x = 0; x < n; x += 3) {
                cur[x] = src[x + 2];
                cur[x + 1] = src[x + 1];
                cur[x + 2] = src[x];
            }
        } else if (greyFrom24) {
            for (int32_t x = 0; x < b.Width; ++x) cur[x] = src[3 * size_t(x)];
        } else {
            std::memcpy(cur, src, n);
        }
        FilterRow(type, cur, prev, n, bpp, row);
        std::swap(cur, prev);
    }
    std::unique_ptr<libdeflate_compressor, CompressorDeleter> compressor(
        libdeflate_alloc_compressor(encoding.level < 0 ? 6 : encoding.level));
    if (!compressor) return kNoMemory;
    const size_t bound = libdeflate_zlib_compress_bound(compressor.get(), size);
    PixelBuffer packed(bound);
    if (!packed.data) return kNoMemory;
    const size_t packedSize =
        libdeflate_zlib_compress(compressor.get(), filtered.data, size, packed.data, bound);
    if (packedSize == 0) return kNoMemory;
    filtered.reset();

    static const uint8_t kSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    out->assign(kSignature, kSignature + 8);
    size_t start = OpenChunk(out, "IHDR");
    Put32(out, uint32_t(b.Width));
    Put32(out, uint32_t(b.Height));
    const uint8_t header[5] = {8, uint8_t(bpp == 3 ? PNG_COLOR_TYPE_RGB : PNG_COLOR_TYPE_GRAY), 0,
                               0, 0};
    out->insert(out->end(), header, header + 5);
    CloseChunk(out, start);
    const double metersPerInch = 0.0254;
    start = OpenChunk(out, "pHYs");
    Put32(out, uint32_t(b.XResolution / metersPerInch + 0.5));
    Put32(out, uint32_t(b.YResolution / metersPerInch + 0.5));
    out->push_back(PNG_RESOLUTION_METER);
    CloseChunk(out, start);
    out->reserve(out->size() + packedSize + 24);
    start = OpenChunk(out, "IDAT");
    out->insert(out->end(), packed.data, packed.data + packedSize);
    CloseChunk(out, start);
    start = OpenChunk(out, "IEND");
    CloseChunk(out, start);
    return kSuccess;
}
}  // namespace

int32_t EncodePng(const PixBitmap& b, std::vector<uint8_t>* out, const PngEncoding& encoding,
                  int32_t bits) {
    static_assert(PngEncoding{}.filters == PNG_FILTER_SUB &&
                  kFastStreamPng.filters == PNG_FILTER_PAETH &&
                  kFastStreamPng.greyStrategy == Z_RLE);
    if (!(b.Flags & kBitmapAllocated) || !b.Data) return kInvalidBitmap;
    if (b.BitsPerPixel != 8 && b.BitsPerPixel != 24) return kInvalidBitsPerPixel;
    if (bits == 0) bits = b.BitsPerPixel;
    if ((bits == 24) != (b.BitsPerPixel == 24) ||
        (bits != 1 && bits != 4 && bits != 8 && bits != 24))
        return kInvalidBitsPerPixel;
    out->clear();
    const bool greyFrom24 = encoding.greyAsGrey && b.BitsPerPixel == 24 && AllGrey24(b);
    const bool grey = b.BitsPerPixel == 8 && IsGreyLevels(b, bits);
    if (encoding.libdeflate && FilterType(encoding.filters) >= 0 &&
        (bits == 24 || (bits == 8 && grey))) {
        int32_t status = kNoMemory;
        try {
            status = WriteWhole(b, greyFrom24, encoding, out);
        } catch (const std::bad_alloc&) {
        }
        if (status != kSuccess) out->clear();
        return status;
    }
    // The same bitmap through libpng: with the stream's fast settings when
    // libdeflate was asked for.
    const PngEncoding& streamed = encoding.libdeflate ? kFastStreamPng : encoding;
    std::vector<uint8_t> greyRow;
    if (greyFrom24) greyRow.assign(size_t(b.Width), 0);
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, OnError, OnWarning);
    png_infop info = png ? png_create_info_struct(png) : nullptr;
    if (!info) {
        png_destroy_write_struct(&png, nullptr);
        return kNoMemory;
    }
    const int32_t status =
        Write(png, info, b, bits, grey, streamed, greyRow.empty() ? nullptr : greyRow.data(), out);
    png_destroy_write_struct(&png, &info);
    if (status != kSuccess) out->clear();
    return status;
}

}  // namespace pix
