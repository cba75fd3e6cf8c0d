// SPDX-License-Identifier: GPL-3.0-or-later
#include "bench/small_big_files.h"

// clang-format off
#include <cstdio>
#include <jpeglib.h>
// clang-format on
#include <png.h>

#include <cstdlib>

#include "bench/bench_photo.h"

namespace bench {
namespace {

void Put16(Bytes& b, uint32_t v) {
    b.push_back(uint8_t(v >> 8));
    b.push_back(uint8_t(v));
}
void Put32(Bytes& b, uint32_t v) {
    Put16(b, v >> 16);
    Put16(b, v & 0xFFFF);
}
void PutText(Bytes& b, const char* t) {
    for (int i = 0; i < 4; ++i) b.push_back(uint8_t(t[i]));
}
void Put16Le(Bytes& b, uint32_t v) {
    b.push_back(uint8_t(v));
    b.push_back(uint8_t(v >> 8));
}
void Put32Le(Bytes& b, uint32_t v) {
    Put16Le(b, v & 0xFFFF);
    Put16Le(b, v >> 16);
}

constexpr int kLevels = 5;

Bytes Codestream(int width, int height, int components) {
    Bytes c;
    Put16(c, 0xFF4F);  // SOC
    Put16(c, 0xFF51);  // SIZ
    Put16(c, uint32_t(38 + 3 * components));
    Put16(c, 0);
    Put32(c, uint32_t(width));
    Put32(c, uint32_t(height));
    Put32(c, 0);
    Put32(c, 0);
    Put32(c, uint32_t(width));  // one tile
    Put32(c, uint32_t(height));
    Put32(c, 0);
    Put32(c, 0);
    Put16(c, uint32_t(components));
    for (int i = 0; i < components; ++i) {
        c.push_back(7);  // 8-bit unsigned
        c.push_back(1);
        c.push_back(1);
    }
    Put16(c, 0xFF52);  // COD
    Put16(c, 12);
    c.push_back(0);  // default precincts, no SOP or EPH
    c.push_back(0);  // layer-resolution-component-position
    Put16(c, 1);     // one layer
    c.push_back(components >= 3 ? 1 : 0);
    c.push_back(kLevels);
    c.push_back(4);  // 64 x 64 code-blocks
    c.push_back(4);
    c.push_back(0);
    c.push_back(1);    // reversible 5/3
    Put16(c, 0xFF5C);  // QCD: no quantisation
    Put16(c, 3 + 3 * kLevels + 1);
    c.push_back(0x40);
    for (int i = 0; i < 3 * kLevels + 1; ++i) c.push_back(9 << 3);
    const uint32_t packets = uint32_t((kLevels + 1) * components);
    Put16(c, 0xFF90);  // SOT
    Put16(c, 10);
    Put16(c, 0);
    Put32(c, 12 + 2 + packets);
    c.push_back(0);
    c.push_back(1);
    Put16(c, 0xFF93);  // SOD, then one empty packet header each
    c.insert(c.end(), packets, 0);
    Put16(c, 0xFFD9);  // EOC
    return c;
}

}  // namespace

Bytes EmptyJpeg2000(int width, int height, int components, bool jp2) {
    const Bytes code = Codestream(width, height, components);
    if (!jp2) return code;
    Bytes f = {0, 0, 0, 12, 'j', 'P', ' ', ' ', 0x0D, 0x0A, 0x87, 0x0A};
    Put32(f, 20);
    PutText(f, "ftyp");
    PutText(f, "jp2 ");
    Put32(f, 0);
    PutText(f, "jp2 ");
    Put32(f, 8 + 22 + 15);
    PutText(f, "jp2h");
    Put32(f, 22);
    PutText(f, "ihdr");
    Put32(f, uint32_t(height));
    Put32(f, uint32_t(width));
    Put16(f, uint32_t(components));
    f.push_back(7);
    f.push_back(7);
    f.push_back(0);
    f.push_back(0);
    Put32(f, 15);
    PutText(f, "colr");
    f.push_back(1);
    f.push_back(0);
    f.push_back(0);
    Put32(f, components >= 3 ? 16 : 17);  // sRGB or grey
    Put32(f, uint32_t(8 + code.size()));
    PutText(f, "jp2c");
    f.insert(f.end(), code.begin(), code.end());
    return f;
}

Bytes EmptyRle8Bmp(int width, int height) {
    constexpr uint32_t kPixels = 14 + 40 + 256 * 4;
    Bytes b = {'B', 'M'};
    Put32Le(b, kPixels + 2);
    Put32Le(b, 0);
    Put32Le(b, kPixels);
    Put32Le(b, 40);
    Put32Le(b, uint32_t(width));
    Put32Le(b, uint32_t(height));
    Put16Le(b, 1);
    Put16Le(b, 8);
    Put32Le(b, 1);  // BI_RLE8
    Put32Le(b, 2);
    Put32Le(b, 2835);
    Put32Le(b, 2835);
    Put32Le(b, 256);
    Put32Le(b, 0);
    for (int i = 0; i < 256; ++i) {
        const auto v = uint8_t(i);
        b.insert(b.end(), {v, v, v, 0});
    }
    b.insert(b.end(), {0, 1});  // end of bitmap
    return b;
}

Bytes BlackGrey16Png(int width, int height) {
    Bytes out;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        return {};
    }
    png_set_write_fn(
        png, &out,
        [](png_structp p, png_bytep data, size_t n) {
            auto* o = static_cast<Bytes*>(png_get_io_ptr(p));
            o->insert(o->end(), data, data + n);
        },
        nullptr);
    png_set_compression_level(png, 9);
    png_set_IHDR(png, info, png_uint_32(width), png_uint_32(height), 16, PNG_COLOR_TYPE_GRAY,
                 PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    Bytes row(size_t(width) * 2, 0);
    for (int y = 0; y < height; ++y) png_write_row(png, row.data());
    png_write_end(png, info);
    png_destroy_write_struct(&png, &info);
    return out;
}

namespace {
template <typename RowFn>
Bytes Jpeg(int width, int height, int components, bool progressive, bool fullChroma, RowFn fill) {
    jpeg_compress_struct c{};
    jpeg_error_mgr err{};
    c.err = jpeg_std_error(&err);
    jpeg_create_compress(&c);
    unsigned char* mem = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&c, &mem, &size);
    c.image_width = JDIMENSION(width);
    c.image_height = JDIMENSION(height);
    c.input_components = components;
    c.in_color_space = components == 1 ? JCS_GRAYSCALE : JCS_RGB;
    jpeg_set_defaults(&c);
    jpeg_set_quality(&c, 90, TRUE);
    if (fullChroma) c.comp_info[0].h_samp_factor = c.comp_info[0].v_samp_factor = 1;
    if (progressive) jpeg_simple_progression(&c);
    jpeg_start_compress(&c, TRUE);
    Bytes row(size_t(width) * size_t(components));
    while (c.next_scanline < c.image_height) {
        fill(int(c.next_scanline), row);
        JSAMPROW r = row.data();
        jpeg_write_scanlines(&c, &r, 1);
    }
    jpeg_finish_compress(&c);
    Bytes out(mem, mem + size);
    jpeg_destroy_compress(&c);
    std::free(mem);
    return out;
}
}  // namespace

Bytes FlatProgressiveJpeg(int width, int height, bool fullChroma) {
    return Jpeg(width, height, 3, true, fullChroma, [](int, Bytes& row) {
        for (size_t i = 0; i < row.size(); i += 3) {
            row[i] = 200;
            row[i + 1] = 120;
            row[i + 2] = 40;
        }
    });
}

Bytes GreyJpegPhoto(int width, int height) {
    return Jpeg(width, height, 1, false, false, [width](int y, Bytes& row) {
        for (int x = 0; x < width; ++x) row[size_t(x)] = Sample(x, y, 1);
    });
}

}  // namespace bench
