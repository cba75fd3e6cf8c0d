// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>
#include <png.h>

#include "imaging/engine/codecs/file_format.h"
#include "imaging/engine/codecs/png_decoder.h"
#include "imaging/engine/codecs/tiff_decoder.h"
#include "imaging/engine/status_codes.h"
#include "tests/imaging/engine/codecs/decode_helpers.h"

using namespace fixtures;

namespace {

constexpr int kW = 19;
constexpr int kH = 11;

// The fixture palette (16 entries) of PNG and TIFF palette files.
RGBQUAD FixturePalette(int i) {
    return RGBQUAD{uint8_t(i * 5), uint8_t(255 - i * 9), uint8_t(i * 16), 0};
}

// Alpha of the fixture pixels: 255 for files without alpha.
using AlphaAt = int (*)(int x, int y);
int Opaque(int, int) {
    return 255;
}
uint8_t OverWhite(int v, int a) {
    return uint8_t((v * a + 255 * (255 - a) + 127) / 255);
}

void ExpectColorPicture(const Decoded& d, AlphaAt alpha = Opaque) {
    ASSERT_EQ(d.bitmap.BitsPerPixel, 24);
    for (int y = 0; y < kH; ++y)
        for (int x = 0; x < kW; ++x) {
            const Bgr p = Color(x, y);
            const int a = alpha(x, y);
            ASSERT_EQ(d.At(x, y), (Bgr{OverWhite(p.b, a), OverWhite(p.g, a), OverWhite(p.r, a)}))
                << x << "," << y;
        }
}

void ExpectGreyPicture(const Decoded& d, int bits, AlphaAt alpha = Opaque) {
    ASSERT_EQ(d.bitmap.BitsPerPixel, 8);
    EXPECT_TRUE(d.info.grey);
    for (int y = 0; y < kH; ++y)
        for (int x = 0; x < kW; ++x) {
            const int levels = (1 << bits) - 1;
            const int want = (GreyLevel(x, y) >> (8 - bits)) * 255 / levels;
            ASSERT_EQ(d.Index(x, y), OverWhite(want, alpha(x, y))) << x << "," << y;
        }
}

void ExpectPalettePicture(const Decoded& d) {
    ASSERT_EQ(d.bitmap.BitsPerPixel, 8);
    EXPECT_FALSE(d.info.grey);
    EXPECT_EQ(d.bitmap.Colors, 16);
    for (int i = 0; i < 16; ++i) {
        EXPECT_EQ(d.bitmap.Palette[i].rgbRed, FixturePalette(i).rgbRed) << i;
        EXPECT_EQ(d.bitmap.Palette[i].rgbGreen, FixturePalette(i).rgbGreen) << i;
        EXPECT_EQ(d.bitmap.Palette[i].rgbBlue, FixturePalette(i).rgbBlue) << i;
    }
    for (int y = 0; y < kH; ++y)
        for (int x = 0; x < kW; ++x) ASSERT_EQ(d.Index(x, y), (x + y) % 16) << x << "," << y;
}

struct PngCase {
    const char* name;
    int colorType;
    int bitDepth;
    bool interlaced;
};

class Png : public testing::TestWithParam<PngCase> {};

TEST_P(Png, DecodesAtFileDepth) {
    const PngCase& c = GetParam();
    Decoded d(PngFile(kW, kH, c.colorType, c.bitDepth, c.interlaced));
    ASSERT_EQ(d.status, pix::kSuccess);
    EXPECT_EQ(d.info.format, pix::kFormatPng);
    EXPECT_EQ(d.info.interlaced, c.interlaced);
    switch (c.colorType) {
        case PNG_COLOR_TYPE_PALETTE:
            ExpectPalettePicture(d);
            break;
        case PNG_COLOR_TYPE_GRAY:
            ExpectGreyPicture(d, std::min(c.bitDepth, 8));
            break;
        case PNG_COLOR_TYPE_GRAY_ALPHA:
            ExpectGreyPicture(d, 8, [](int x, int) { return int(uint8_t(x * 17)); });
            break;
        case PNG_COLOR_TYPE_RGB_ALPHA:
            ExpectColorPicture(d, [](int, int y) { return y * 23; });
            break;
        default:
            ExpectColorPicture(d);
            break;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, Png,
    testing::Values(PngCase{"rgb_8", PNG_COLOR_TYPE_RGB, 8, false},
                    PngCase{"rgb_8_interlaced", PNG_COLOR_TYPE_RGB, 8, true},
                    PngCase{"rgba_16_interlaced", PNG_COLOR_TYPE_RGB_ALPHA, 16, true},
                    PngCase{"grey_16", PNG_COLOR_TYPE_GRAY, 16, false},
                    PngCase{"grey_2", PNG_COLOR_TYPE_GRAY, 2, false},
                    PngCase{"grey_alpha_8", PNG_COLOR_TYPE_GRAY_ALPHA, 8, false},
                    PngCase{"palette_4", PNG_COLOR_TYPE_PALETTE, 4, false}),
    [](const auto& info) { return std::string(info.param.name); });

// Transparent parts are drawn over white. Half-transparent black (alpha 128)
// rounds to 127; alpha 127 gives 128.
TEST(PngTransparency, RgbaAndGreyAlphaOverWhite) {
    PngLayout rgba;
    rgba.width = 5;
    rgba.colorType = PNG_COLOR_TYPE_RGB_ALPHA;
    rgba.samples = {0, 0, 0, 128, 0, 0, 0, 127, 200, 30, 10, 0, 10, 20, 30, 255, 200, 100, 0, 64};
    Decoded d(PngFile(rgba));
    ASSERT_EQ(d.status, pix::kSuccess);
    ASSERT_EQ(d.bitmap.BitsPerPixel, 24);
    EXPECT_EQ(d.At(0, 0), (Bgr{127, 127, 127}));
    EXPECT_EQ(d.At(1, 0), (Bgr{128, 128, 128}));
    EXPECT_EQ(d.At(2, 0), (Bgr{255, 255, 255}));
    EXPECT_EQ(d.At(3, 0), (Bgr{30, 20, 10}));
    EXPECT_EQ(d.At(4, 0), (Bgr{191, 216, 241}));

    PngLayout grey;
    grey.width = 3;
    grey.colorType = PNG_COLOR_TYPE_GRAY_ALPHA;
    grey.samples = {0, 128, 100, 0, 100, 255};
    Decoded g(PngFile(grey));
    ASSERT_EQ(g.status, pix::kSuccess);
    ASSERT_EQ(g.bitmap.BitsPerPixel, 8);
    EXPECT_EQ(g.Index(0, 0), 127);
    EXPECT_EQ(g.Index(1, 0), 255);
    EXPECT_EQ(g.Index(2, 0), 100);
}

TEST(PngTransparency, PaletteAlphasBlendTheEntries) {
    PngLayout s;
    s.width = 3;
    s.colorType = PNG_COLOR_TYPE_PALETTE;
    s.palette = {Bgr{0, 0, 0}, Bgr{0, 0, 255}, Bgr{255, 0, 0}};  // black, red, blue
    s.paletteAlpha = {128, 0};  // the blue entry has no alpha and stays opaque
    s.samples = {0, 1, 2};
    Decoded d(PngFile(s));
    ASSERT_EQ(d.status, pix::kSuccess);
    ASSERT_EQ(d.bitmap.BitsPerPixel, 8);
    auto shown = [&](int x) {
        const RGBQUAD& q = d.bitmap.Palette[d.Index(x, 0)];
        return Bgr{q.rgbBlue, q.rgbGreen, q.rgbRed};
    };
    EXPECT_EQ(shown(0), (Bgr{127, 127, 127}));
    EXPECT_EQ(shown(1), (Bgr{255, 255, 255}));
    EXPECT_EQ(shown(2), (Bgr{255, 0, 0}));
}

TEST(PngTransparency, TransparentColorBecomesWhite) {
    PngLayout rgb;
    rgb.width = 2;
    rgb.colorType = PNG_COLOR_TYPE_RGB;
    rgb.samples = {10, 20, 30, 10, 20, 31};
    rgb.transparentColor = {10, 20, 30};
    Decoded d(PngFile(rgb));
    ASSERT_EQ(d.status, pix::kSuccess);
    EXPECT_EQ(d.At(0, 0), (Bgr{255, 255, 255}));
    EXPECT_EQ(d.At(1, 0), (Bgr{31, 20, 10}));

    PngLayout grey;
    grey.width = 2;
    grey.colorType = PNG_COLOR_TYPE_GRAY;
    grey.samples = {7, 8};
    grey.transparentColor = {7};
    Decoded g(PngFile(grey));
    ASSERT_EQ(g.status, pix::kSuccess);
    ASSERT_EQ(g.bitmap.BitsPerPixel, 8);
    EXPECT_EQ(g.Index(0, 0), 255);
    EXPECT_EQ(g.Index(1, 0), 8);
}

class Tiff : public testing::TestWithParam<std::string> {};

TEST_P(Tiff, DecodesAtFileDepth) {
    Decoded d(TiffFile(kW, kH, GetParam()));
    ASSERT_EQ(d.status, pix::kSuccess);
    EXPECT_EQ(d.info.format, pix::kFormatTiff);
    if (GetParam() == "grey")
        ExpectGreyPicture(d, 8);
    else if (GetParam() == "palette4")
        ExpectPalettePicture(d);
    else
        ExpectColorPicture(d);
}

INSTANTIATE_TEST_SUITE_P(Cases, Tiff, testing::Values("rgb", "grey", "palette4", "rgb-tiled-lzw"),
                         [](const auto& info) {
                             std::string n = info.param;
                             for (char& ch : n)
                                 if (ch == '-') ch = '_';
                             return n;
                         });

// A palette file whose colour map lacks its last byte (the writer stores the
// map last) is refused, at either depth, and not drawn as grey.
class TiffShortColorMap : public testing::TestWithParam<std::string> {};

TEST_P(TiffShortColorMap, IsAReadError) {
    const Bytes whole = TiffFile(kW, kH, GetParam());
    Decoded full(whole);
    ASSERT_EQ(full.status, pix::kSuccess);
    EXPECT_FALSE(full.info.grey);
    Decoded d(Bytes(whole.begin(), whole.end() - 1));
    EXPECT_EQ(d.status, pix::kFileRead);
    EXPECT_EQ(d.bitmap.Width, 0);
}

INSTANTIATE_TEST_SUITE_P(Depths, TiffShortColorMap, testing::Values("palette4", "palette8"));

}  // namespace
