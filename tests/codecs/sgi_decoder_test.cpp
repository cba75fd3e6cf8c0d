#include "imaging/engine/codecs/sgi_decoder.h"

#include <gtest/gtest.h>

#include "imaging/engine/codecs/file_format.h"
#include "imaging/engine/status_codes.h"
#include "tests/codecs/decode_helpers.h"

using namespace fixtures;

namespace {

constexpr int kW = 7;
constexpr int kH = 4;

// Channel c of pixel (x, y): red, green, blue from the test picture, the
// fourth channel an alpha that must be dropped; 16-bit samples carry the
// 8-bit value in both bytes.
uint16_t Sample(int c, int x, int y, int bpc) {
    const Bgr p = Colour(x, y);
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
            const Bgr want = Colour(sx, y);
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

}  // namespace
