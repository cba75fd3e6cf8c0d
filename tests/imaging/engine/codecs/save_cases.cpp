// SPDX-License-Identifier: GPL-3.0-or-later
#include "tests/imaging/engine/codecs/save_cases.h"

#include "imaging/engine/codecs/file_format.h"
#include "imaging/engine/codecs/format_table.h"
#include "imaging/engine/codecs/reduce_depth.h"
#include "imaging/engine/codecs/save_depth.h"
#include "imaging/engine/codecs/save_options.h"

namespace fixtures {
namespace {
constexpr int kWidth = 37;  // odd, so that packed and padded rows end mid-byte
constexpr int kHeight = 23;
constexpr int kJpeg = 8;  // tolerance of JPEG at the best quality factor
// Tolerances of lossy JPEG 2000 at quality factors 27 and 150.
constexpr int kJp2Lossy = 8;
constexpr int kJp2VeryLossy = 24;

using pix::kCompressionDeflate;
using pix::kCompressionJpeg;
using pix::kCompressionLzw;
using pix::kCompressionNone;
using pix::kCompressionProgressiveJpeg;
using pix::kCompressionRle;
using pix::kCompressionWavelet;
using pix::kFormatBmp;
using pix::kFormatJ2k;
using pix::kFormatJp2;
using pix::kFormatJpeg;
using pix::kFormatPng;
using pix::kFormatSgi;
using pix::kFormatTiff;

void Put(PixBitmap* b, int x, int y, int r, int g, int bl) {
    uint8_t* p = PixRow(*b, y) + 3 * x;
    p[0] = uint8_t(bl);
    p[1] = uint8_t(g);
    p[2] = uint8_t(r);
}
}  // namespace

const std::vector<SaveCase>& SaveCases() {
    static const std::vector<SaveCase> cases = {
        {"bmp_24", kFormatBmp, Source::kColour24, 24, kCompressionNone, 0},
        {"bmp_8_palette", kFormatBmp, Source::kPalette8, 8, kCompressionNone, 0},
        {"bmp_8_palette_rle", kFormatBmp, Source::kPalette8, 8, kCompressionRle, 0},
        {"bmp_8_grey_rle", kFormatBmp, Source::kGrey8, 8, kCompressionRle, 0},
        {"bmp_8_drawing_rle", kFormatBmp, Source::kDrawing24, 8, kCompressionRle, 0},
        {"bmp_8_from_colour", kFormatBmp, Source::kColour24, 8, kCompressionNone, 0},
        {"bmp_4_few_colours", kFormatBmp, Source::kFewColours24, 4, kCompressionNone, 0},
        {"bmp_4_from_colour", kFormatBmp, Source::kColour24, 4, kCompressionNone, 0},
        {"bmp_1_from_grey", kFormatBmp, Source::kGrey24, 1, kCompressionNone, 0},
        {"bmp_1_from_colour", kFormatBmp, Source::kColour24, 1, kCompressionNone, 0},
        {"png_24", kFormatPng, Source::kColour24, 24, kCompressionDeflate, 0},
        {"png_8_grey", kFormatPng, Source::kGrey8, 8, kCompressionDeflate, 0},
        {"png_8_palette", kFormatPng, Source::kPalette8, 8, kCompressionDeflate, 0},
        {"png_8_from_colour", kFormatPng, Source::kColour24, 8, kCompressionDeflate, 0},
        {"png_4_few_colours", kFormatPng, Source::kFewColours24, 4, kCompressionDeflate, 0},
        {"png_4_from_grey", kFormatPng, Source::kGrey24, 4, kCompressionDeflate, 0},
        {"png_1_from_drawing", kFormatPng, Source::kDrawing24, 1, kCompressionDeflate, 0},
        {"png_1_from_colour", kFormatPng, Source::kColour24, 1, kCompressionDeflate, 0},
        {"tiff_24_none", kFormatTiff, Source::kColour24, 24, kCompressionNone, 0},
        {"tiff_24_lzw", kFormatTiff, Source::kColour24, 24, kCompressionLzw, 0},
        {"tiff_24_deflate", kFormatTiff, Source::kColour24, 24, kCompressionDeflate, 0},
        {"tiff_24_jpeg", kFormatTiff, Source::kColour24, 24, kCompressionJpeg, kJpeg},
        {"tiff_8_grey_jpeg", kFormatTiff, Source::kGrey8, 8, kCompressionJpeg, kJpeg},
        {"tiff_8_colour_to_grey_jpeg", kFormatTiff, Source::kColour24, 8, kCompressionJpeg, kJpeg},
        {"tiff_8_palette_lzw", kFormatTiff, Source::kPalette8, 8, kCompressionLzw, 0},
        {"tiff_8_from_colour", kFormatTiff, Source::kColour24, 8, kCompressionNone, 0},
        {"tiff_4_few_colours", kFormatTiff, Source::kFewColours24, 4, kCompressionLzw, 0},
        {"tiff_4_from_grey", kFormatTiff, Source::kGrey24, 4, kCompressionNone, 0},
        {"tiff_1_from_drawing", kFormatTiff, Source::kDrawing24, 1, kCompressionDeflate, 0},
        {"tiff_1_from_colour", kFormatTiff, Source::kColour24, 1, kCompressionLzw, 0},
        {"jpeg_24", kFormatJpeg, Source::kColour24, 24, kCompressionJpeg, kJpeg},
        {"jpeg_24_progressive", kFormatJpeg, Source::kColour24, 24, kCompressionProgressiveJpeg,
         kJpeg},
        {"jpeg_8_grey", kFormatJpeg, Source::kGrey8, 8, kCompressionJpeg, kJpeg},
        {"jpeg_8_from_colour", kFormatJpeg, Source::kColour24, 8, kCompressionJpeg, kJpeg},
        {"sgi_24_rle", kFormatSgi, Source::kColour24, 24, kCompressionRle, 0},
        {"sgi_24_verbatim", kFormatSgi, Source::kColour24, 24, kCompressionNone, 0},
        {"sgi_8_grey_verbatim", kFormatSgi, Source::kGrey8, 8, kCompressionNone, 0},
        {"sgi_8_from_palette", kFormatSgi, Source::kPalette8, 8, kCompressionRle, 0},
        {"jp2_24", kFormatJp2, Source::kColour24, 24, kCompressionWavelet, 0},
        {"jp2_8_grey", kFormatJp2, Source::kGrey8, 8, kCompressionWavelet, 0},
        {"jp2_8_from_palette", kFormatJp2, Source::kPalette8, 8, kCompressionWavelet, 0},
        {"j2k_24", kFormatJ2k, Source::kColour24, 24, kCompressionWavelet, 0},
        {"j2k_8_grey", kFormatJ2k, Source::kGrey8, 8, kCompressionWavelet, 0},
        // Lossy: the quality factor of libjpeg's quality 90, and a low one.
        {"jp2_24_lossy", kFormatJp2, Source::kColour24, 24, kCompressionWavelet, kJp2Lossy, 27},
        {"j2k_8_drawing_lossy", kFormatJ2k, Source::kDrawing24, 8, kCompressionWavelet,
         kJp2VeryLossy, 150},
    };
    return cases;
}

PixBitmap MakeSource(Source source) {
    PixBitmap b;
    const bool eight = source == Source::kPalette8 || source == Source::kGrey8;
    P_InitBitmap(&b, sizeof(b), kWidth, kHeight, eight ? 8 : 24);
    P_AllocateBitmap(&b, sizeof(b));
    static const int kFew[12][3] = {{255, 255, 255}, {0, 0, 0},       {200, 30, 30}, {30, 200, 30},
                                    {30, 30, 200},   {250, 240, 0},   {0, 128, 128}, {128, 0, 128},
                                    {90, 90, 90},    {180, 180, 180}, {255, 128, 0}, {10, 60, 250}};
    for (int y = 0; y < kHeight; ++y)
        for (int x = 0; x < kWidth; ++x) {
            switch (source) {
                case Source::kColour24:
                    Put(&b, x, y, x * 7 % 256, (y * 11 + x * 3) % 256, (x * y * 5 + 40) % 256);
                    break;
                case Source::kGrey24: {
                    const int v = (x * 255 / (kWidth - 1) + y * 3) % 256;
                    Put(&b, x, y, v, v, v);
                    break;
                }
                case Source::kFewColours24: {
                    const int* c = kFew[(x / 4 + y / 3) % 12];
                    Put(&b, x, y, c[0], c[1], c[2]);
                    break;
                }
                case Source::kDrawing24: {
                    // Paper with a few soft strokes.
                    const bool stroke = (x + y) % 9 < 2 || x == y;
                    const int v = stroke ? 40 + (x * 5) % 60 : 245;
                    Put(&b, x, y, v, v, v);
                    break;
                }
                case Source::kPalette8:
                case Source::kGrey8:
                    PixRow(b, y)[x] = uint8_t((x * 13 + y * 29) % 256);
                    break;
            }
        }
    if (source == Source::kPalette8)
        for (int i = 0; i < 256; ++i)
            b.Palette[i] = RGBQUAD{uint8_t(i), uint8_t(255 - i), uint8_t(i * 7 % 256), 0};
    return b;
}

std::vector<uint8_t> Pixels24(const PixBitmap& b) {
    std::vector<uint8_t> out;
    for (int y = 0; y < b.Height; ++y) {
        const uint8_t* row = PixRow(b, y);
        for (int x = 0; x < b.Width; ++x) {
            if (b.BitsPerPixel == 24) {
                out.insert(out.end(), row + 3 * x, row + 3 * x + 3);
            } else {
                const RGBQUAD c = b.Palette[row[x]];
                out.insert(out.end(), {c.rgbBlue, c.rgbGreen, c.rgbRed});
            }
        }
    }
    return out;
}

std::vector<uint8_t> ExpectedPixels(const SaveCase& c) {
    PixBitmap source = MakeSource(c.source);
    const bool greyOnly = c.format == kFormatJpeg || c.format == kFormatSgi ||
                          c.format == kFormatJp2 || c.format == kFormatJ2k ||
                          (c.format == kFormatTiff && c.compression == kCompressionJpeg);
    std::vector<uint8_t> pixels;
    PixBitmap reduced;
    P_InitBitmap(&reduced, sizeof(reduced), 0, 0, 0);
    if (c.bits == 24 || (c.bits == 8 && source.BitsPerPixel == 8 && !greyOnly)) {
        pixels = Pixels24(source);
    } else if (c.bits == 8 && greyOnly) {
        pix::ConvertForSave(source, 8, true, &reduced);
        pixels = Pixels24(reduced);
    } else {
        pix::ReduceToPalette(source, c.bits, &reduced);
        pixels = Pixels24(reduced);
    }
    P_FreeBitmap(&reduced);
    P_FreeBitmap(&source);
    return pixels;
}

std::string ExtensionOf(int32_t format) {
    return std::string(pix::FindFileFormat(format)->extensions.front());
}

}  // namespace fixtures
