// SPDX-License-Identifier: GPL-3.0-or-later
// Reduction to 8, 4 and 1 bits: how close the reduced picture stays to the
// original, and that the picture's own colours are kept when they fit.
#include "imaging/engine/codecs/reduce_depth.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>

#include "imaging/engine/status_codes.h"

namespace {

constexpr int kSide = 64;

PixBitmap Picture(bool grey) {
    PixBitmap b;
    P_InitBitmap(&b, sizeof(b), kSide, kSide, 24);
    P_AllocateBitmap(&b, sizeof(b));
    for (int y = 0; y < kSide; ++y)
        for (int x = 0; x < kSide; ++x) {
            uint8_t* p = PixRow(b, y) + 3 * x;
            // Smooth colour gradients with a light pattern: a photograph's worth
            // of distinct colours, far more than 256.
            const int r = x * 4, g = y * 4, bl = (x + y) * 2 + (x * y) % 7;
            p[0] = uint8_t(grey ? r : std::min(bl, 255));
            p[1] = uint8_t(grey ? r : g);
            p[2] = uint8_t(r);
        }
    return b;
}

// Mean over the picture of each channel's absolute difference, and the mean
// of every sample (the brightness), for both pictures.
struct Difference {
    double meanError = 0, meanBefore = 0, meanAfter = 0;
};
Difference Compare(const PixBitmap& a, const PixBitmap& reduced) {
    Difference d;
    for (int y = 0; y < kSide; ++y)
        for (int x = 0; x < kSide; ++x) {
            const uint8_t* p = PixRow(a, y) + 3 * x;
            const RGBQUAD q = reduced.Palette[PixRow(reduced, y)[x]];
            const int after[3] = {q.rgbBlue, q.rgbGreen, q.rgbRed};
            for (int c = 0; c < 3; ++c) {
                d.meanError += std::abs(p[c] - after[c]);
                d.meanBefore += p[c];
                d.meanAfter += after[c];
            }
        }
    const double n = 3.0 * kSide * kSide;
    d.meanError /= n;
    d.meanBefore /= n;
    d.meanAfter /= n;
    return d;
}

struct ReduceCase {
    const char* name;
    bool grey;
    int bits;
    double meanError;  // at most
};
class Reduce : public testing::TestWithParam<ReduceCase> {};

TEST_P(Reduce, StaysCloseAndKeepsTheBrightness) {
    const ReduceCase& c = GetParam();
    PixBitmap source = Picture(c.grey);
    PixBitmap reduced;
    P_InitBitmap(&reduced, sizeof(reduced), 0, 0, 0);
    ASSERT_EQ(pix::ReduceToPalette(source, c.bits, &reduced), pix::kSuccess);
    EXPECT_EQ(reduced.Colors, 1 << c.bits);
    int highest = 0;
    for (int y = 0; y < kSide; ++y)
        for (int x = 0; x < kSide; ++x) highest = std::max<int>(highest, PixRow(reduced, y)[x]);
    EXPECT_LT(highest, 1 << c.bits);
    const Difference d = Compare(source, reduced);
    EXPECT_LE(d.meanError, c.meanError);
    // Error diffusion keeps the overall brightness.
    EXPECT_NEAR(d.meanAfter, d.meanBefore, 2.0);
    if (c.grey) {
        for (int i = 0; i < (1 << c.bits); ++i) {
            const RGBQUAD& q = reduced.Palette[i];
            EXPECT_TRUE(q.rgbRed == q.rgbGreen && q.rgbGreen == q.rgbBlue) << i;
        }
    }
    P_FreeBitmap(&reduced);
    P_FreeBitmap(&source);
}

// The bounds sit a little above what the reduction gives (grey at 4 bits 4.9,
// at 1 bit 84; colour at 8 bits 4.2, at 4 bits 17; error diffusion trades
// a larger error per pixel for the right brightness over an area), far below
// what a palette not made for the picture gives (a fixed 3-3-2 palette at 8
// bits, nearest colour: 13.4).
INSTANTIATE_TEST_SUITE_P(Table, Reduce,
                         testing::Values(ReduceCase{"grey_8", true, 8, 0.0},
                                         ReduceCase{"grey_4", true, 4, 6.0},
                                         ReduceCase{"grey_1", true, 1, 90.0},
                                         ReduceCase{"colour_8", false, 8, 5.0},
                                         ReduceCase{"colour_4", false, 4, 20.0}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(Reduce, KeepsThePicturesOwnColoursWhenTheyFit) {
    PixBitmap b = Picture(false);
    const uint8_t colours[3][3] = {{10, 200, 30}, {250, 0, 128}, {7, 7, 7}};
    for (int y = 0; y < kSide; ++y)
        for (int x = 0; x < kSide; ++x) {
            const uint8_t* c = colours[(x / 5 + y) % 3];
            std::copy(c, c + 3, PixRow(b, y) + 3 * x);
        }
    for (const int bits : {4, 8}) {
        PixBitmap reduced;
        P_InitBitmap(&reduced, sizeof(reduced), 0, 0, 0);
        ASSERT_EQ(pix::ReduceToPalette(b, bits, &reduced), pix::kSuccess);
        EXPECT_EQ(Compare(b, reduced).meanError, 0.0) << bits;
        P_FreeBitmap(&reduced);
    }
    // Three colours do not fit one bit: the two entries are the picture's
    // darkest and brightest ends, not black and white.
    PixBitmap one;
    P_InitBitmap(&one, sizeof(one), 0, 0, 0);
    ASSERT_EQ(pix::ReduceToPalette(b, 1, &one), pix::kSuccess);
    EXPECT_FALSE(one.Palette[0].rgbRed == one.Palette[1].rgbRed &&
                 one.Palette[0].rgbGreen == one.Palette[1].rgbGreen);
    P_FreeBitmap(&one);
    P_FreeBitmap(&b);
}

TEST(Reduce, AnEightBitPictureWhoseIndicesFitIsCopied) {
    PixBitmap b;
    P_InitBitmap(&b, sizeof(b), 9, 3, 8);
    P_AllocateBitmap(&b, sizeof(b));
    for (int i = 0; i < 256; ++i) b.Palette[i] = RGBQUAD{uint8_t(i), 0, uint8_t(255 - i), 0};
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 9; ++x) PixRow(b, y)[x] = uint8_t((x + y) % 16);
    PixBitmap reduced;
    P_InitBitmap(&reduced, sizeof(reduced), 0, 0, 0);
    ASSERT_EQ(pix::ReduceToPalette(b, 4, &reduced), pix::kSuccess);
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 9; ++x) EXPECT_EQ(PixRow(reduced, y)[x], PixRow(b, y)[x]);
    for (int i = 0; i < 16; ++i) EXPECT_EQ(reduced.Palette[i].rgbBlue, i);
    P_FreeBitmap(&reduced);
    EXPECT_EQ(pix::ReduceToPalette(b, 2, &reduced), pix::kInvalidBitsPerPixel);
    P_FreeBitmap(&b);
}

}  // namespace
