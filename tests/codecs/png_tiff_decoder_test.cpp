#include <gtest/gtest.h>
#include <png.h>

#include "imaging/engine/codecs/file_format.h"
#include "imaging/engine/codecs/png_decoder.h"
#include "imaging/engine/codecs/tiff_decoder.h"
#include "imaging/engine/status_codes.h"
#include "tests/codecs/decode_helpers.h"

using namespace fixtures;

namespace {

constexpr int kW = 19;
constexpr int kH = 11;

// The fixture palette (16 entries) of PNG and TIFF palette files.
RGBQUAD FixturePalette(int i) {
    return RGBQUAD{uint8_t(i * 5), uint8_t(255 - i * 9), uint8_t(i * 16), 0};
}

void ExpectColourPicture(const Decoded& d) {
    ASSERT_EQ(d.bitmap.BitsPerPixel, 24);
    for (int y = 0; y < kH; ++y)
        for (int x = 0; x < kW; ++x) ASSERT_EQ(d.At(x, y), Colour(x, y)) << x << "," << y;
}

void ExpectGreyPicture(const Decoded& d, int bits) {
    ASSERT_EQ(d.bitmap.BitsPerPixel, 8);
    EXPECT_TRUE(d.info.grey);
    for (int y = 0; y < kH; ++y)
        for (int x = 0; x < kW; ++x) {
            const int levels = (1 << bits) - 1;
            const int want = (GreyLevel(x, y) >> (8 - bits)) * 255 / levels;
            ASSERT_EQ(d.Index(x, y), want) << x << "," << y;
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
        case PNG_COLOR_TYPE_GRAY_ALPHA:
            ExpectGreyPicture(d, std::min(c.bitDepth, 8));
            break;
        default:
            ExpectColourPicture(d);
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
        ExpectColourPicture(d);
}

INSTANTIATE_TEST_SUITE_P(Cases, Tiff, testing::Values("rgb", "grey", "palette4", "rgb-tiled-lzw"),
                         [](const auto& info) {
                             std::string n = info.param;
                             for (char& ch : n)
                                 if (ch == '-') ch = '_';
                             return n;
                         });

}  // namespace
