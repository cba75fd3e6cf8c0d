// SPDX-License-Identifier: GPL-3.0-or-later
#include "imaging/engine/codecs/sgi_decoder.h"

#include <gtest/gtest.h>

#include "fuzz/sgi_huge_row.h"
#include "imaging/engine/codecs/file_format.h"
#include "imaging/engine/status_codes.h"
#include "tests/imaging/engine/codecs/decode_helpers.h"

using namespace fixtures;

namespace {

constexpr int kW = 7;
constexpr int kH = 4;

// Channel c of pixel (x, y): red, green, blue from the test picture, the
// fourth channel an alpha that must be dropped; 16-bit samples carry the
// 8-bit value in both bytes.
uint16_t Sample(int c, int x, int y, int bpc) {
    const Bgr p = Color(x, y);
    const uint8_t v = c == 0 ? p.r : c == 1 ? p.g : c == 2 ? p.b : uint8_t(x * 9);
    return bpc == 1 ? v : uint16_t(v * 257);
}

Planes MakePlanes(int channels, int bpc, bool flatRows) {
    Planes planes(channels, std::vector<std::vector<uint16_t>>(kH, std::vector<uint16_t>(kW)));
    for (int c = 0; c < channels; ++c)
        for (int y = 0; y < kH; ++y)
            for (int x = 0; x < kW; ++x)
                planes[c][y][x] = channels <= 2 && c == 0
                                      ? (bpc == 1 ? GreyLevel(x, y) : GreyLevel(x, y) * 257)
                                  : flatRows && y == 1 ? Sample(c, 0, y, bpc)  // long runs
                                                       : Sample(c, x, y, bpc);
    return planes;
}

struct SgiCase {
    const char* name;
    int channels;
    int bpc;
    bool rle;
};

class Sgi : public testing::TestWithParam<SgiCase> {};

TEST_P(Sgi, DecodesEveryPixel) {
    const SgiCase& c = GetParam();
    const Planes planes = MakePlanes(c.channels, c.bpc, true);
    Decoded d(SgiFile(planes, c.bpc, c.rle));
    ASSERT_EQ(d.status, pix::kSuccess);
    EXPECT_EQ(d.info.format, pix::kFormatSgi);
    ASSERT_EQ(d.bitmap.Width, kW);
    ASSERT_EQ(d.bitmap.Height, kH);
    if (c.channels <= 2) {
        ASSERT_EQ(d.bitmap.BitsPerPixel, 8);
        EXPECT_TRUE(d.info.grey);
        for (int y = 0; y < kH; ++y)
            for (int x = 0; x < kW; ++x) EXPECT_EQ(d.Index(x, y), GreyLevel(x, y)) << x << "," << y;
        return;
    }
    ASSERT_EQ(d.bitmap.BitsPerPixel, 24);
    for (int y = 0; y < kH; ++y)
        for (int x = 0; x < kW; ++x) {
            const int sx = y == 1 ? 0 : x;
            const Bgr want = Color(sx, y);
            EXPECT_EQ(d.At(x, y), want) << x << "," << y;
        }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, Sgi,
    testing::Values(SgiCase{"grey_8_verbatim", 1, 1, false}, SgiCase{"grey_8_rle", 1, 1, true},
                    SgiCase{"grey_alpha_16_rle", 2, 2, true},
                    SgiCase{"rgb_8_verbatim", 3, 1, false}, SgiCase{"rgb_8_rle", 3, 1, true},
                    SgiCase{"rgb_16_verbatim", 3, 2, false}, SgiCase{"rgba_8_rle", 4, 1, true},
                    SgiCase{"rgba_16_rle", 4, 2, true}),
    [](const auto& info) { return std::string(info.param.name); });

// 16-bit samples round to the nearest 8-bit level.
TEST(Sgi16, RoundsToNearestLevel) {
    Planes planes(1, std::vector<std::vector<uint16_t>>(
                         1, std::vector<uint16_t>{0, 128, 129, 32896, 65535, 65407}));
    Decoded d(SgiFile(planes, 2, false));
    ASSERT_EQ(d.status, pix::kSuccess);
    const uint8_t want[] = {0, 0, 1, 128, 255, 255};
    for (int x = 0; x < 6; ++x) EXPECT_EQ(d.Index(x, 0), want[x]) << x;
}

// Run-length rows are expanded up to the picture's width and no further:
// runs that would go past it make the file corrupt, however many there are.
struct HugeRowCase {
    const char* name;
    uint16_t width;
    std::vector<uint8_t> pattern;
    size_t rowBytes;
    int32_t status;
};

class SgiRowBounds : public testing::TestWithParam<HugeRowCase> {};

TEST_P(SgiRowBounds, StopsAtTheWidth) {
    const HugeRowCase& c = GetParam();
    Decoded d(fuzzing::SgiFileWithHugeRow(c.width, c.pattern, c.rowBytes));
    EXPECT_EQ(d.status, c.status);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, SgiRowBounds,
    testing::Values(
        // 34 million runs of 127 on a 1-pixel row: a column counter that grew
        // with every run wrapped and the row was written before its buffer.
        HugeRowCase{
            "runs_of_127_on_one_column", 1, {0x7F, 0x00}, size_t{68} << 20, pix::kFileFormat},
        HugeRowCase{"third_run_passes_width",
                    300,
                    {0x7F, 0x01, 0x7F, 0x02, 0x7F, 0x03, 0x00},
                    7,
                    pix::kFileFormat},
        HugeRowCase{"literal_run_passes_width", 3, {0x84, 1, 2, 3, 4, 0x00}, 6, pix::kFileFormat},
        HugeRowCase{"row_ends_without_end_code", 4, {0x84, 1, 2, 3, 4}, 5, pix::kSuccess},
        HugeRowCase{"row_short_without_end_code", 5, {0x84, 1, 2, 3, 4}, 5, pix::kFileRead}),
    [](const auto& info) { return std::string(info.param.name); });

// Two runs that fill the row exactly decode to their values.
TEST(SgiRowBounds, RunsThatFillTheRow) {
    const std::vector<uint8_t> runs{0x7F, 0x40, 0x7F, 0x80, 0x00};
    Decoded d(fuzzing::SgiFileWithHugeRow(254, runs, runs.size()));
    ASSERT_EQ(d.status, pix::kSuccess);
    EXPECT_EQ(d.Index(0, 0), 0x40);
    EXPECT_EQ(d.Index(126, 0), 0x40);
    EXPECT_EQ(d.Index(127, 0), 0x80);
    EXPECT_EQ(d.Index(253, 0), 0x80);
}

}  // namespace
