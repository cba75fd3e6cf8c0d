// SPDX-License-Identifier: GPL-3.0-or-later
#include "imaging/engine/codecs/bmp_decoder.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>

#include "imaging/engine/codecs/file_format.h"
#include "imaging/engine/status_codes.h"
#include "tests/imaging/engine/codecs/decode_helpers.h"

using namespace fixtures;

namespace {

constexpr int kW = 5;
constexpr int kH = 3;

RGBQUAD PaletteEntry(int i) {
    return RGBQUAD{uint8_t(i * 30), uint8_t(255 - i * 20), uint8_t(i * 7), 0};
}

struct IndexCase {
    const char* name;
    uint32_t header;
    uint16_t bpp;
    bool topDown;
    int colors;  // palette entries written (colorsUsed when below 2^bpp)
};

class BmpIndexed : public testing::TestWithParam<IndexCase> {};

TEST_P(BmpIndexed, DecodesIndicesAndPalette) {
    const IndexCase& c = GetParam();
    std::vector<std::vector<uint8_t>> rows(kH, std::vector<uint8_t>(kW));
    for (int y = 0; y < kH; ++y)
        for (int x = 0; x < kW; ++x) rows[y][x] = uint8_t((x * 3 + y) % c.colors);
    BmpLayout s;
    s.headerSize = c.header;
    s.height = c.topDown ? -kH : kH;
    s.bpp = c.bpp;
    for (int i = 0; i < c.colors; ++i) s.palette.push_back(PaletteEntry(i));
    s.colorsUsed = c.colors < (1 << c.bpp) ? uint32_t(c.colors) : 0;
    s.pixels = PackIndexRows(rows, c.bpp, c.topDown);
    Decoded d(BmpFile(s));
    ASSERT_EQ(d.status, pix::kSuccess);
    EXPECT_EQ(d.bitmap.BitsPerPixel, 8);
    EXPECT_EQ(d.info.fileBitsPerPixel, c.bpp);
    EXPECT_EQ(d.bitmap.Colors, c.colors);
    for (int i = 0; i < c.colors; ++i) {
        EXPECT_EQ(d.bitmap.Palette[i].rgbBlue, PaletteEntry(i).rgbBlue) << i;
        EXPECT_EQ(d.bitmap.Palette[i].rgbGreen, PaletteEntry(i).rgbGreen) << i;
        EXPECT_EQ(d.bitmap.Palette[i].rgbRed, PaletteEntry(i).rgbRed) << i;
    }
    for (int y = 0; y < kH; ++y)
        for (int x = 0; x < kW; ++x) EXPECT_EQ(d.Index(x, y), rows[y][x]) << x << "," << y;
}

INSTANTIATE_TEST_SUITE_P(Cases, BmpIndexed,
                         testing::Values(IndexCase{"core_1bit", 12, 1, false, 2},
                                         IndexCase{"info_1bit", 40, 1, false, 2},
                                         IndexCase{"info_4bit_short_palette", 40, 4, false, 11},
                                         IndexCase{"core_4bit", 12, 4, false, 16},
                                         IndexCase{"info_8bit", 40, 8, false, 256},
                                         IndexCase{"info_8bit_7_colours_top_down", 40, 8, true, 7},
                                         IndexCase{"v5_8bit", 124, 8, false, 200}),
                         [](const auto& info) { return std::string(info.param.name); });

uint8_t Expand(uint32_t v, int bits) {
    return uint8_t(std::lround(v * 255.0 / ((1 << bits) - 1)));
}

struct ColorCase {
    const char* name;
    uint32_t header;
    uint16_t bpp;
    uint32_t compression;
    std::vector<uint32_t> masks;
    bool topDown;
    std::function<uint32_t(Bgr)> encode;
    std::function<Bgr(Bgr)> expect;
};

class BmpColor : public testing::TestWithParam<ColorCase> {};

TEST_P(BmpColor, DecodesToBgr) {
    const ColorCase& c = GetParam();
    const int bytes = c.bpp / 8;
    const size_t stride = ((kW * c.bpp + 31) / 32) * 4;
    BmpLayout s;
    s.headerSize = c.header;
    s.height = c.topDown ? -kH : kH;
    s.bpp = c.bpp;
    s.compression = c.compression;
    s.masks = c.masks;
    s.pixels.assign(stride * kH, 0xEE);  // padding bytes must not matter
    for (int y = 0; y < kH; ++y) {
        const int fileRow = c.topDown ? y : kH - 1 - y;
        for (int x = 0; x < kW; ++x) {
            const uint32_t v = c.encode(Color(x, y));
            for (int i = 0; i < bytes; ++i)
                s.pixels[fileRow * stride + x * bytes + i] = uint8_t(v >> (8 * i));
        }
    }
    Decoded d(BmpFile(s));
    ASSERT_EQ(d.status, pix::kSuccess);
    ASSERT_EQ(d.bitmap.BitsPerPixel, 24);
    EXPECT_EQ(d.info.format, pix::kFormatBmp);
    for (int y = 0; y < kH; ++y)
        for (int x = 0; x < kW; ++x) EXPECT_EQ(d.At(x, y), c.expect(Color(x, y))) << x << "," << y;
}

const auto kBgr24 = [](Bgr p) { return uint32_t(p.b) | uint32_t(p.g) << 8 | uint32_t(p.r) << 16; };
const auto kSame = [](Bgr p) { return p; };
const auto k555 = [](Bgr p) {
    return uint32_t(p.r >> 3) << 10 | uint32_t(p.g >> 3) << 5 | uint32_t(p.b >> 3);
};
const auto k555Expect = [](Bgr p) {
    return Bgr{Expand(p.b >> 3, 5), Expand(p.g >> 3, 5), Expand(p.r >> 3, 5)};
};
const auto k565 = [](Bgr p) {
    return uint32_t(p.r >> 3) << 11 | uint32_t(p.g >> 2) << 5 | uint32_t(p.b >> 3);
};
const auto k565Expect = [](Bgr p) {
    return Bgr{Expand(p.b >> 3, 5), Expand(p.g >> 2, 6), Expand(p.r >> 3, 5)};
};
// Red in the low byte, blue in the third: masks decide, not the usual order.
const auto kRgbx = [](Bgr p) {
    return uint32_t(p.r) | uint32_t(p.g) << 8 | uint32_t(p.b) << 16 | 0xFF000000u;
};
// Ten bits per channel: the top eight are the value.
const auto k1010 = [](Bgr p) {
    return (uint32_t(p.r) << 2 | 3) << 20 | (uint32_t(p.g) << 2) << 10 | (uint32_t(p.b) << 2 | 1);
};

INSTANTIATE_TEST_SUITE_P(
    Cases, BmpColor,
    testing::Values(ColorCase{"info_24", 40, 24, BI_RGB, {}, false, kBgr24, kSame},
                    ColorCase{"core_24", 12, 24, BI_RGB, {}, false, kBgr24, kSame},
                    ColorCase{"v4_24_top_down", 108, 24, BI_RGB, {}, true, kBgr24, kSame},
                    ColorCase{"info_32", 40, 32, BI_RGB, {}, false, kBgr24, kSame},
                    ColorCase{"v5_32_ignores_masks_without_bitfields",
                              124,
                              32,
                              BI_RGB,
                              {0xFF, 0xFF00, 0xFF0000},
                              false,
                              kBgr24,
                              kSame},
                    ColorCase{"info_16_default_555", 40, 16, BI_RGB, {}, false, k555, k555Expect},
                    ColorCase{"info_16_bitfields_565_after_header",
                              40,
                              16,
                              BI_BITFIELDS,
                              {0xF800, 0x07E0, 0x001F},
                              false,
                              k565,
                              k565Expect},
                    ColorCase{"rgb_masks_header_565_top_down",
                              52,
                              16,
                              BI_BITFIELDS,
                              {0xF800, 0x07E0, 0x001F},
                              true,
                              k565,
                              k565Expect},
                    ColorCase{"rgba_masks_header_32_rgbx",
                              56,
                              32,
                              BI_BITFIELDS,
                              {0xFF, 0xFF00, 0xFF0000, 0xFF000000},
                              false,
                              kRgbx,
                              kSame},
                    ColorCase{"v4_32_ten_bit_masks",
                              108,
                              32,
                              BI_BITFIELDS,
                              {0x3FF00000, 0x000FFC00, 0x000003FF},
                              false,
                              k1010,
                              kSame}),
    [](const auto& info) { return std::string(info.param.name); });

// RLE8 with runs, an absolute run, a delta that skips a row, a run past the
// row's end (cut) and the end of bitmap; RLE4 with odd nibble counts; and an
// end of bitmap before the last row, which leaves the rest at index 0.
TEST(BmpRle, Rle8RunsAbsoluteDeltaAndEnd) {
    BmpLayout s;
    s.width = 6;
    s.height = 4;
    s.bpp = 8;
    s.compression = BI_RLE8;
    for (int i = 0; i < 8; ++i) s.palette.push_back(PaletteEntry(i));
    s.pixels = {3, 1, 0, 3, 2, 3, 4, 0, 0, 0,  // row 0: 1 1 1 2 3 4 (absolute run padded)
                0, 2, 2, 1,                    // delta: right 2, up 1 (row 1 stays 0)
                2, 5, 0, 0,                    // row 2 from x = 2: 5 5
                8, 6, 0, 1};                   // row 3: 6 x 8, cut at 6; end
    Decoded d(BmpFile(s));
    ASSERT_EQ(d.status, pix::kSuccess);
    const uint8_t want[4][6] = {
        {6, 6, 6, 6, 6, 6}, {0, 0, 5, 5, 0, 0}, {0, 0, 0, 0, 0, 0}, {1, 1, 1, 2, 3, 4}};
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 6; ++x) EXPECT_EQ(d.Index(x, y), want[y][x]) << x << "," << y;
}

TEST(BmpRle, Rle4NibblesAndEarlyEnd) {
    BmpLayout s;
    s.width = 5;
    s.height = 3;
    s.bpp = 4;
    s.compression = BI_RLE4;
    for (int i = 0; i < 16; ++i) s.palette.push_back(PaletteEntry(i));
    s.pixels = {5, 0x12, 0,    0,            // row 0: 1 2 1 2 1
                0, 3,    0x34, 0x50, 0, 1};  // row 1: absolute 3 4 5, then end before row 2
    Decoded d(BmpFile(s));
    ASSERT_EQ(d.status, pix::kSuccess);
    const uint8_t want[3][5] = {{0, 0, 0, 0, 0}, {3, 4, 5, 0, 0}, {1, 2, 1, 2, 1}};
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 5; ++x) EXPECT_EQ(d.Index(x, y), want[y][x]) << x << "," << y;
}

TEST(BmpInfo, ResolutionAndGreyPalette) {
    BmpLayout s;
    s.bpp = 8;
    for (int i = 0; i < 256; ++i)
        s.palette.push_back(RGBQUAD{uint8_t(i), uint8_t(i), uint8_t(i), 0});
    s.pixels =
        PackIndexRows(std::vector<std::vector<uint8_t>>(kH, std::vector<uint8_t>(kW, 9)), 8, false);
    Decoded d(BmpFile(s));
    ASSERT_EQ(d.status, pix::kSuccess);
    EXPECT_TRUE(d.info.grey);
    EXPECT_EQ(d.info.xResolution, 96);  // 3780 dots per metre
    EXPECT_EQ(d.bitmap.XResolution, 96);
}

}  // namespace
