#include "imaging/engine/codecs/cineon_decoder.h"

#include <gtest/gtest.h>

#include <cstdlib>

#include "imaging/engine/codecs/file_format.h"
#include "imaging/engine/status_codes.h"
#include "tests/codecs/decode_helpers.h"

using namespace fixtures;

namespace {

TEST(CineonCurve, ReferencePointsAndMonotony) {
    EXPECT_EQ(pix::CineonLogToLinear(0), 0);
    EXPECT_EQ(pix::CineonLogToLinear(95), 0);
    EXPECT_EQ(pix::CineonLogToLinear(685), 255);
    EXPECT_EQ(pix::CineonLogToLinear(1023), 255);
    // Half the density range above black: 10^(-295 * 0.002 / 0.6) of the way up.
    EXPECT_EQ(pix::CineonLogToLinear(390), 24);
    for (uint32_t c = 1; c < 1024; ++c)
        EXPECT_GE(pix::CineonLogToLinear(c), pix::CineonLogToLinear(c - 1)) << c;
}

// A file written from an 8-bit picture with the inverse curve reads back
// within 1 level, in either byte order.
class CineonRoundTrip : public testing::TestWithParam<bool> {};

TEST_P(CineonRoundTrip, ReadsBackWithinOneLevel) {
    constexpr int kW = 16, kH = 16;
    std::vector<CineonPixel> pixels;
    for (int y = 0; y < kH; ++y)
        for (int x = 0; x < kW; ++x) {
            const Bgr p = Colour(x, y);
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
            const Bgr p = Colour(x, y);
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

}  // namespace
