#include "imaging/engine/codecs/png_writer.h"

#include <png.h>

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
int32_t Write(png_structp png, png_infop info, const PixBitmap& b, bool grey,
              std::vector<uint8_t>* out) {
    if (setjmp(png_jmpbuf(png))) return kNoMemory;
    png_set_write_fn(png, out, OnWrite, OnFlush);
    const int type = b.BitsPerPixel == 24 ? PNG_COLOR_TYPE_RGB
                     : grey               ? PNG_COLOR_TYPE_GRAY
                                          : PNG_COLOR_TYPE_PALETTE;
    png_set_IHDR(png, info, uint32_t(b.Width), uint32_t(b.Height), 8, type, PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_color palette[256];
    if (type == PNG_COLOR_TYPE_PALETTE) {
        for (int i = 0; i < 256; ++i)
            palette[i] =
                png_color{b.Palette[i].rgbRed, b.Palette[i].rgbGreen, b.Palette[i].rgbBlue};
        png_set_PLTE(png, info, palette, 256);
    }
    const double metersPerInch = 0.0254;
    png_set_pHYs(png, info, png_uint_32(b.XResolution / metersPerInch + 0.5),
                 png_uint_32(b.YResolution / metersPerInch + 0.5), PNG_RESOLUTION_METER);
    png_write_info(png, info);
    if (type == PNG_COLOR_TYPE_RGB) png_set_bgr(png);
    for (int32_t y = 0; y < b.Height; ++y) png_write_row(png, PixRow(b, y));
    png_write_end(png, info);
    return kSuccess;
}

}  // namespace

int32_t EncodePng(const PixBitmap& b, std::vector<uint8_t>* out) {
    if (!(b.Flags & kBitmapAllocated) || !b.Data) return kInvalidBitmap;
    if (b.BitsPerPixel != 8 && b.BitsPerPixel != 24) return kInvalidBitsPerPixel;
    out->clear();
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, OnError, OnWarning);
    png_infop info = png ? png_create_info_struct(png) : nullptr;
    if (!info) {
        png_destroy_write_struct(&png, nullptr);
        return kNoMemory;
    }
    const int32_t status = Write(png, info, b, b.BitsPerPixel == 8 && IsGreyRamp(b), out);
    png_destroy_write_struct(&png, &info);
    if (status != kSuccess) out->clear();
    return status;
}

}  // namespace pix
