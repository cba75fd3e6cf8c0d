// SPDX-License-Identifier: GPL-3.0-or-later
#include "imaging/engine/codecs/cineon_decoder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <utility>

#include "imaging/engine/codecs/file_format.h"
#include "imaging/engine/status_codes.h"
#include "tests/imaging/engine/codecs/decode_helpers.h"

using namespace fixtures;

namespace {

// Display values of 10-bit codes: linear light between reference black (95)
// and white (685), sRGB-encoded. ImageMagick's reading of the same codes
// (`-colorspace sRGB`) agrees within one level.
struct CurveCase {
    uint32_t code;
    uint8_t display;
};

TEST(CineonCurve, KeyCodesShowAsOnScreen) {
    const CurveCase cases[] = {{0, 0},     {95, 0},    {100, 1},   {150, 17},  {200, 31},
                               {300, 58},  {400, 90},  {470, 119}, {500, 133}, {600, 190},
                               {684, 254}, {685, 255}, {686, 255}, {1023, 255}};
    for (const CurveCase& c : cases)
        EXPECT_EQ(pix::CineonDisplayValue(c.code, 10), c.display) << "code " << c.code;
    // Code 470, an 18 % grey card, is 18 % linear light and shows as mid grey.
    EXPECT_NEAR(pix::CineonLinearLight(470), 0.18, 0.005);
    EXPECT_EQ(pix::CineonLinearLight(95), 0.0);
    EXPECT_EQ(pix::CineonLinearLight(685), 1.0);
    for (uint32_t c = 1; c < 1024; ++c)
        EXPECT_GE(pix::CineonDisplayValue(c, 10), pix::CineonDisplayValue(c - 1, 10)) << c;
}

TEST(CineonCurve, OtherDepthsScaleToTenBits) {
    EXPECT_EQ(pix::CineonDisplayValue(470 * 4, 12), 119);
    EXPECT_EQ(pix::CineonDisplayValue(470 * 4 + 1, 12), 119);
    EXPECT_EQ(pix::CineonDisplayValue(171, 8), 255);  // 171 * 1023 / 255 = 686
    EXPECT_EQ(pix::CineonDisplayValue(117, 8), 118);  // 469.4, next to the grey card
    EXPECT_EQ(pix::CineonDisplayValue(24, 8), 0);     // 96.3
    EXPECT_EQ(pix::CineonDisplayValue(65535, 16), 255);
    EXPECT_EQ(pix::CineonDisplayValue(30109, 16), 119);  // 470.0 in ten bits
    EXPECT_EQ(pix::CineonDisplayValue(6081, 16), 0);     // 94.9 in ten bits
}

// A file written from an 8-bit picture with the inverse curve reads back
// within 1 level, in either byte order.
class CineonRoundTrip : public testing::TestWithParam<bool> {};

TEST_P(CineonRoundTrip, ReadsBackWithinOneLevel) {
    constexpr int kW = 16, kH = 16;
    std::vector<CineonPixel> pixels;
    for (int y = 0; y < kH; ++y)
        for (int x = 0; x < kW; ++x) {
            const Bgr p = Color(x, y);
            pixels.push_back(
                {CineonCodeFor(p.r), CineonCodeFor(p.g), CineonCodeFor(uint8_t(x * 16 + y))});
        }
    Decoded d(CineonFile(kW, kH, pixels, GetParam()));
    ASSERT_EQ(d.status, pix::kSuccess);
    EXPECT_EQ(d.info.format, pix::kFormatCineon);
    ASSERT_EQ(d.bitmap.BitsPerPixel, 24);
    for (int y = 0; y < kH; ++y)
        for (int x = 0; x < kW; ++x) {
            const Bgr got = d.At(x, y);
            const Bgr p = Color(x, y);
            EXPECT_LE(std::abs(got.r - p.r), 1) << x << "," << y;
            EXPECT_LE(std::abs(got.g - p.g), 1) << x << "," << y;
            EXPECT_LE(std::abs(got.b - (x * 16 + y)), 1) << x << "," << y;
        }
}

INSTANTIATE_TEST_SUITE_P(ByteOrders, CineonRoundTrip, testing::Values(true, false),
                         [](const auto& info) {
                             return info.param ? "big_endian" : "little_endian";
                         });

TEST(Cineon, ChannelsLandInBgrOrder) {
    Decoded d(CineonFile(2, 1, {{685, 95, 95}, {95, 95, 685}}, true));
    ASSERT_EQ(d.status, pix::kSuccess);
    EXPECT_EQ(d.At(0, 0), (Bgr{0, 0, 255}));
    EXPECT_EQ(d.At(1, 0), (Bgr{255, 0, 0}));
}

// Packings: each case lays out 3 pixels per line and 2 lines by hand. Samples
// go into units of `unitBits` bits, `perUnit` at a time, left- or
// right-justified; lines start on a unit. Tight cases (unitBits 0) run all
// samples of a line together and start lines on a 32-bit word.
struct PackingCase {
    const char* name;
    int channels;
    int bits;
    int packing;
    int unitBits;
    int perUnit;
    bool left;
    bool littleEndian = false;  // units (32-bit words when tight) stored low byte first
    uint32_t linePadding = 0;
};

constexpr uint32_t kPixelsPerLine = 3;
constexpr uint32_t kLines = 2;

// Codes spread over the curve's range from black to white at every depth.
uint32_t CodeAt(int bits, int line, int i, int channel, int channels) {
    const uint32_t max = (1u << bits) - 1;
    const uint32_t lo = 95 * max / 1023, hi = 685 * max / 1023;
    const int n = (line * int(kPixelsPerLine) + i) * channels + channel + 1;
    return lo + uint32_t(n) * (hi - lo) / 20;
}

Bytes PackLines(const PackingCase& c) {
    BitWriter w;
    for (int line = 0; line < int(kLines); ++line) {
        std::vector<uint32_t> samples;
        for (int i = 0; i < int(kPixelsPerLine); ++i)
            for (int ch = 0; ch < c.channels; ++ch)
                samples.push_back(CodeAt(c.bits, line, i, ch, c.channels));
        if (c.unitBits == 0) {
            for (uint32_t s : samples) w.Put(s, c.bits);
            w.Align(32);
        } else {
            const int pad = c.unitBits - c.perUnit * c.bits;
            for (size_t at = 0; at < samples.size(); at += size_t(c.perUnit)) {
                if (!c.left) w.Put(0, pad);
                for (int k = 0; k < c.perUnit; ++k)
                    w.Put(at + k < samples.size() ? samples[at + k] : 0, c.bits);
                if (c.left) w.Put(0, pad);
            }
        }
        for (uint32_t p = 0; p < c.linePadding; ++p) w.Put(0xEE, 8);
    }
    Bytes data = w.bytes();
    const size_t unit = c.unitBits == 0 ? 4 : size_t(c.unitBits) / 8;
    if (c.littleEndian)
        for (size_t at = 0; at + unit <= data.size(); at += unit)
            std::reverse(data.begin() + std::ptrdiff_t(at),
                         data.begin() + std::ptrdiff_t(at + unit));
    return data;
}

class CineonPacking : public testing::TestWithParam<PackingCase> {};

TEST_P(CineonPacking, DecodesEverySample) {
    const PackingCase& c = GetParam();
    CineonHeader h;
    h.pixelsPerLine = kPixelsPerLine;
    h.lines = kLines;
    h.channels = c.channels;
    h.bits = c.bits;
    h.packing = c.packing;
    h.bigEndian = !c.littleEndian;
    h.linePadding = c.linePadding;
    const Bytes file = CineonFile(h, PackLines(c));
    Decoded d(file);
    ASSERT_EQ(d.status, pix::kSuccess);
    EXPECT_EQ(d.info.fileBitsPerPixel, c.channels * c.bits);
    ASSERT_EQ(d.info.width, int(kPixelsPerLine));
    ASSERT_EQ(d.info.height, int(kLines));
    auto want = [&](int line, int i, int ch) {
        return pix::CineonDisplayValue(CodeAt(c.bits, line, i, ch, c.channels), c.bits);
    };
    if (c.channels == 1) {
        ASSERT_EQ(d.bitmap.BitsPerPixel, 8);
        EXPECT_TRUE(d.info.grey);
        for (int y = 0; y < int(kLines); ++y)
            for (int x = 0; x < int(kPixelsPerLine); ++x)
                EXPECT_EQ(d.Index(x, y), want(y, x, 0)) << x << "," << y;
    } else {
        ASSERT_EQ(d.bitmap.BitsPerPixel, 24);
        for (int y = 0; y < int(kLines); ++y)
            for (int x = 0; x < int(kPixelsPerLine); ++x)
                EXPECT_EQ(d.At(x, y), (Bgr{want(y, x, 2), want(y, x, 1), want(y, x, 0)}))
                    << x << "," << y;
    }
    // One byte less than the last line needs is a read error.
    const size_t padding = c.linePadding;
    Bytes cut(file.begin(), file.end() - std::ptrdiff_t(padding) - 1);
    Decoded short_(cut);
    EXPECT_EQ(short_.status, pix::kFileRead);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, CineonPacking,
    testing::Values(PackingCase{"rgb10_words_left", 3, 10, 5, 32, 3, true},
                    PackingCase{"rgb10_words_right", 3, 10, 6, 32, 3, false},
                    PackingCase{"rgb10_tight", 3, 10, 0, 0, 0, true},
                    PackingCase{"rgb10_tight_little_endian", 3, 10, 0, 0, 0, true, true},
                    PackingCase{"rgb10_words_line_padding", 3, 10, 5, 32, 3, true, false, 6},
                    PackingCase{"grey10_words_left", 1, 10, 5, 32, 3, true},
                    PackingCase{"grey10_tight", 1, 10, 0, 0, 0, true},
                    PackingCase{"grey12_tight", 1, 12, 0, 0, 0, true},
                    PackingCase{"rgb12_tight", 3, 12, 0, 0, 0, true},
                    PackingCase{"rgb8_words_left", 3, 8, 5, 32, 4, true},
                    PackingCase{"grey8_bytes", 1, 8, 1, 8, 1, true},
                    PackingCase{"grey8_tight", 1, 8, 0, 8, 1, true},
                    PackingCase{"rgb8_halfwords_right", 3, 8, 4, 16, 2, false},
                    PackingCase{"rgb10_halfwords_left", 3, 10, 3, 16, 1, true},
                    PackingCase{"grey10_bytes_right", 1, 10, 2, 16, 1, false},
                    PackingCase{"rgb12_words_left", 3, 12, 5, 16, 1, true},
                    PackingCase{"grey12_words_right", 1, 12, 6, 16, 1, false},
                    PackingCase{"rgb16_words", 3, 16, 5, 16, 1, true},
                    PackingCase{"grey16_tight", 1, 16, 0, 16, 1, true},
                    PackingCase{"rgb16_tight_little_endian", 3, 16, 0, 16, 1, true, true}),
    [](const auto& info) { return std::string(info.param.name); });

// Orientations: where sample i of file line L lands. The grids list the
// upright picture row by row as L * 3 + i.
struct OrientationCase {
    int orientation;
    int width, height;
    std::vector<std::vector<int>> grid;
};

class CineonOrientation : public testing::TestWithParam<OrientationCase> {};

TEST_P(CineonOrientation, PlacesLinesAndPixels) {
    const OrientationCase& c = GetParam();
    CineonHeader h;
    h.pixelsPerLine = kPixelsPerLine;
    h.lines = kLines;
    h.channels = 1;
    h.bits = 8;
    h.packing = 1;
    h.orientation = c.orientation;
    Bytes data;
    for (int n = 0; n < 6; ++n) data.push_back(uint8_t(40 + n * 25));
    Decoded d(CineonFile(h, data));
    ASSERT_EQ(d.status, pix::kSuccess);
    ASSERT_EQ(d.info.width, c.width);
    ASSERT_EQ(d.info.height, c.height);
    for (int y = 0; y < c.height; ++y)
        for (int x = 0; x < c.width; ++x)
            EXPECT_EQ(d.Index(x, y), pix::CineonDisplayValue(uint32_t(40 + c.grid[y][x] * 25), 8))
                << x << "," << y;
}

INSTANTIATE_TEST_SUITE_P(Cases, CineonOrientation,
                         testing::Values(OrientationCase{0, 3, 2, {{0, 1, 2}, {3, 4, 5}}},
                                         OrientationCase{1, 3, 2, {{3, 4, 5}, {0, 1, 2}}},
                                         OrientationCase{2, 3, 2, {{2, 1, 0}, {5, 4, 3}}},
                                         OrientationCase{3, 3, 2, {{5, 4, 3}, {2, 1, 0}}},
                                         OrientationCase{4, 2, 3, {{0, 3}, {1, 4}, {2, 5}}},
                                         OrientationCase{5, 2, 3, {{3, 0}, {4, 1}, {5, 2}}},
                                         OrientationCase{6, 2, 3, {{2, 5}, {1, 4}, {0, 3}}},
                                         OrientationCase{7, 2, 3, {{5, 2}, {4, 1}, {3, 0}}}),
                         [](const auto& info) {
                             return "orientation_" + std::to_string(info.param.orientation);
                         });

TEST(Cineon, TransposedColorSwapsWidthAndHeight) {
    CineonHeader h;
    h.pixelsPerLine = 2;  // a line is a column of two pixels
    h.lines = 1;
    h.orientation = 4;
    Decoded d(CineonFile(h, [&] {
        BitWriter words;
        words.Put((685u << 22) | (95u << 12) | (95u << 2), 32);
        words.Put((95u << 22) | (95u << 12) | (685u << 2), 32);
        return words.bytes();
    }()));
    ASSERT_EQ(d.status, pix::kSuccess);
    ASSERT_EQ(d.info.width, 1);
    ASSERT_EQ(d.info.height, 2);
    EXPECT_EQ(d.At(0, 0), (Bgr{0, 0, 255}));
    EXPECT_EQ(d.At(0, 1), (Bgr{255, 0, 0}));
}

// Headers that cannot be read: each changes one field of a valid grey file.
struct BadHeaderCase {
    const char* name;
    size_t at;
    std::vector<uint8_t> bytes;  // written at `at`
    int32_t status;
    int channels = 3;
};

class CineonBadHeader : public testing::TestWithParam<BadHeaderCase> {};

TEST_P(CineonBadHeader, IsRefused) {
    CineonHeader h;
    h.pixelsPerLine = 4;
    h.lines = 2;
    const BadHeaderCase& c = GetParam();
    h.channels = c.channels;
    Bytes file = CineonFile(h, Bytes(32, 0x40));
    std::copy(c.bytes.begin(), c.bytes.end(), file.begin() + std::ptrdiff_t(c.at));
    Decoded d(file);
    EXPECT_EQ(d.status, c.status);
    EXPECT_EQ(d.bitmap.Width, 0);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, CineonBadHeader,
    testing::Values(
        BadHeaderCase{"two_channels", 193, {2}, pix::kSubTypeUnsupported},
        BadHeaderCase{"nine_bits", 198, {9}, pix::kSubTypeUnsupported},
        BadHeaderCase{"channels_of_two_depths", 198 + 28, {12}, pix::kSubTypeUnsupported},
        BadHeaderCase{"line_interleaved_colour", 680, {1}, pix::kSubTypeUnsupported},
        BadHeaderCase{"packing_7", 681, {7}, pix::kSubTypeUnsupported},
        BadHeaderCase{"orientation_8", 192, {8}, pix::kSubTypeUnsupported},
        BadHeaderCase{"zero_lines", 204, {0, 0, 0, 0}, pix::kInvalidSize, 1},
        BadHeaderCase{"channels_of_two_widths", 200 + 28, {0, 0, 0, 5}, pix::kFileFormat},
        BadHeaderCase{
            "pixels_over_1gib", 200, {0, 0, 0xFF, 0xFF, 0, 0, 0xFF, 0xFF}, pix::kNoMemory, 1},
        BadHeaderCase{"huge_line_padding", 684, {0xFF, 0xFF, 0xFF, 0xF0}, pix::kFileRead},
        BadHeaderCase{"offset_past_end", 4, {0x7F, 0, 0, 0}, pix::kFileRead},
        BadHeaderCase{"offset_inside_header", 4, {0, 0, 0, 8}, pix::kFileFormat}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
