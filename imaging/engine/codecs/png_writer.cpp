#include "imaging/engine/codecs/png_writer.h"

#include <png.h>
#include <zlib.h>

#include <algorithm>

#include "imaging/engine/status_codes.h"

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

}  // namespace

int32_t EncodePng(const PixBitmap& b, std::vector<uint8_t>* out, const PngEncoding& encoding,
                  int32_t bits) {
    static_assert(PngEncoding{}.filters == PNG_FILTER_PAETH && PngEncoding{}.greyStrategy == Z_RLE);
    if (!(b.Flags & kBitmapAllocated) || !b.Data) return kInvalidBitmap;
    if (b.BitsPerPixel != 8 && b.BitsPerPixel != 24) return kInvalidBitsPerPixel;
    if (bits == 0) bits = b.BitsPerPixel;
    if ((bits == 24) != (b.BitsPerPixel == 24) ||
        (bits != 1 && bits != 4 && bits != 8 && bits != 24))
        return kInvalidBitsPerPixel;
    out->clear();
    std::vector<uint8_t> greyRow;
    if (encoding.greyAsGrey && b.BitsPerPixel == 24 && AllGrey24(b)) {
        greyRow.assign(size_t(b.Width), 0);
    }
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, OnError, OnWarning);
    png_infop info = png ? png_create_info_struct(png) : nullptr;
    if (!info) {
        png_destroy_write_struct(&png, nullptr);
        return kNoMemory;
    }
    const int32_t status = Write(png, info, b, bits, b.BitsPerPixel == 8 && IsGreyLevels(b, bits),
                                 encoding, greyRow.empty() ? nullptr : greyRow.data(), out);
    png_destroy_write_struct(&png, &info);
    if (status != kSuccess) out->clear();
    return status;
}

}  // namespace pix
