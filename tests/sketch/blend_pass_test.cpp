// SPDX-License-Identifier: GPL-3.0-or-later
#include "sketch/blend_pass.h"

#include <gtest/gtest.h>

#include <cfenv>
#include <cmath>
#include <random>

#include "tests/sketch/dib_fixture.h"

using sketch::BlendMode;
using sketch::BlendPass;
using sketch_test::MakeDib;
using sketch_test::TestDib;

namespace {

bool Blend(TestDib& work, TestDib& view, int32_t w, int32_t h, BlendMode mode) {
    return BlendPass(work.block(), work.size, view.block(), view.size, w, h, mode);
}

struct BlendCase {
    BlendMode mode;
    int work, view, expected;
};

class BlendExamples : public ::testing::TestWithParam<BlendCase> {};

TEST_P(BlendExamples, EveryPixelBlendsToTheExpectedByte) {
    const BlendCase& tc = GetParam();
    TestDib work = MakeDib(5, 4), view = MakeDib(5, 4);
    work.fillGrey(uint8_t(tc.work));
    view.fillGrey(uint8_t(tc.view));
    ASSERT_TRUE(Blend(work, view, 5, 4, tc.mode));
    for (int32_t r = 0; r < 4; ++r)
        for (int32_t c = 0; c < 5; ++c)
            for (int k = 0; k < 3; ++k)
                EXPECT_EQ(view.at(r, c, k), tc.expected)
                    << "work " << tc.work << " view " << tc.view << " at " << r << "," << c;
    EXPECT_TRUE(view.paddingAndGuardIntact());
    EXPECT_TRUE(work.paddingAndGuardIntact());
}

INSTANTIATE_TEST_SUITE_P(Examples, BlendExamples,
                         ::testing::Values(BlendCase{BlendMode::kPencil, 255, 0, 51},
                                           BlendCase{BlendMode::kPencil, 0, 255, 204},
                                           BlendCase{BlendMode::kPencil, 77, 77, 77},
                                           BlendCase{BlendMode::kPencil, 3, 0, 1},        // 0.6
                                           BlendCase{BlendMode::kPencil, 2, 0, 0},        // 0.4
                                           BlendCase{BlendMode::kColorPencil, 2, 0, 0},   // 0.5
                                           BlendCase{BlendMode::kColorPencil, 6, 0, 2},   // 1.5
                                           BlendCase{BlendMode::kColorPencil, 10, 0, 2},  // 2.5
                                           BlendCase{BlendMode::kColorPencil, 0, 2, 2},   // 1.5
                                           BlendCase{BlendMode::kColorPencil, 255, 0, 64},
                                           BlendCase{BlendMode::kColorPencil, 0, 255, 191}));

// Every pair of bytes, in both modes, against the formula computed in double
// precision with the default rounding (halves to even).
TEST(BlendPass, EqualsTheDoubleFormulaForEveryPairOfBytes) {
    ASSERT_EQ(std::fegetround(), FE_TONEAREST);
    constexpr int32_t kW = 130, kH = 176;  // a region of 127 x 173 pixels holds every pair
    for (BlendMode mode : {BlendMode::kPencil, BlendMode::kColorPencil}) {
        const double w = sketch::PhotoWeight(mode);
        TestDib work = MakeDib(kW, kH), view = MakeDib(kW, kH);
        uint32_t pair = 0;
        for (int32_t r = 3; r < kH; ++r)
            for (int32_t c = 1; c <= kW - 3; ++c)
                for (int k = 0; k < 3; ++k, ++pair) {
                    work.at(r, c, k) = uint8_t(pair & 0xFF);
                    view.at(r, c, k) = uint8_t((pair >> 8) & 0xFF);
                }
        ASSERT_GE(pair, 65536u);
        const TestDib before = view;
        ASSERT_TRUE(Blend(work, view, kW, kH, mode));
        for (int32_t r = 3; r < kH; ++r)
            for (int32_t c = 1; c <= kW - 3; ++c)
                for (int k = 0; k < 3; ++k) {
                    const double b = work.at(r, c, k);
                    const double v = const_cast<TestDib&>(before).at(r, c, k);
                    const double exact = std::nearbyint(w * b + (1 - w) * v);
                    ASSERT_EQ(view.at(r, c, k), exact) << "work " << b << " view " << v;
                }
    }
    EXPECT_EQ(sketch::PhotoWeight(BlendMode::kPencil), 0.2);
}

// Any share of the photo in whole percent, every pair of bytes, against the
// exact quotient rounded with halves to even; 20 and 25 are the two modes.
TEST(BlendPass, AnyTonePercentEqualsTheExactFormulaForEveryPairOfBytes) {
    constexpr int32_t kW = 130, kH = 176;
    TestDib work = MakeDib(kW, kH), base = MakeDib(kW, kH);
    uint32_t pair = 0;
    for (int32_t r = 3; r < kH; ++r)
        for (int32_t c = 1; c <= kW - 3; ++c)
            for (int k = 0; k < 3; ++k, ++pair) {
                work.at(r, c, k) = uint8_t(pair & 0xFF);
                base.at(r, c, k) = uint8_t((pair >> 8) & 0xFF);
            }
    for (int percent : {0, 1, 20, 25, 33, 50, 75, 99, 100}) {
        TestDib view = base;
        const auto workRows = sketch::PackedDibRows(work.block(), work.size);
        const auto viewRows = sketch::PackedDibRows(view.block(), view.size);
        ASSERT_TRUE(sketch::BlendPass(*workRows, *viewRows, kW, kH, percent));
        for (int32_t r = 3; r < kH; ++r)
            for (int32_t c = 1; c <= kW - 3; ++c)
                for (int k = 0; k < 3; ++k) {
                    const int b = work.at(r, c, k), v = base.at(r, c, k);
                    const double exact =
                        std::nearbyint((percent * b + (100 - percent) * v) / 100.0);
                    ASSERT_EQ(view.at(r, c, k), exact)
                        << percent << " % of work " << b << " over view " << v;
                }
        EXPECT_TRUE(view.paddingAndGuardIntact());
    }
}

TEST(BlendPass, EveryPixelToTheEdgesIsBlendedPaddingAndWorkDibAreUntouched) {
    std::mt19937 rng(3);
    for (int32_t width = 1; width <= 9; ++width) {
        for (int32_t height : {1, 2, 3, 6}) {
            TestDib work = MakeDib(width, height), view = MakeDib(width, height);
            for (int32_t r = 0; r < height; ++r)
                for (int32_t c = 0; c < width; ++c) {
                    work.setGrey(r, c, 200);
                    view.setGrey(r, c, uint8_t(rng() % 100));
                }
            const TestDib viewBefore = view, workBefore = work;
            ASSERT_TRUE(Blend(work, view, width, height, BlendMode::kColorPencil));
            EXPECT_EQ(work.storage, workBefore.storage);
            EXPECT_TRUE(view.paddingAndGuardIntact());
            for (int32_t r = 0; r < height; ++r)
                for (int32_t c = 0; c < width; ++c) {
                    const int old = const_cast<TestDib&>(viewBefore).at(r, c, 0);
                    // 25 % of 200 over v: round(50 + 0.75 v), halves to even.
                    const int expected = int(std::nearbyint(50 + 0.75 * old));
                    EXPECT_EQ(view.at(r, c, 0), expected)
                        << width << " x " << height << " at " << r << "," << c;
                }
        }
    }
}

TEST(BlendPass, WorksOnlyWhereBothDibsAndTheSizeOverlap) {
    // The work DIB is smaller than the view (a refused photo) and the size is
    // larger than both: only the common 5 x 4 part is blended.
    TestDib work = MakeDib(5, 4), view = MakeDib(8, 9);
    work.fillGrey(255);
    view.fillGrey(0);
    ASSERT_TRUE(Blend(work, view, 1024, 1024, BlendMode::kPencil));
    for (int32_t r = 0; r < 9; ++r)
        for (int32_t c = 0; c < 8; ++c)
            EXPECT_EQ(view.at(r, c, 2), (r < 4 && c < 5) ? 51 : 0) << r << "," << c;
    EXPECT_TRUE(view.paddingAndGuardIntact());
    EXPECT_TRUE(work.paddingAndGuardIntact());
}

TEST(BlendPass, RefusesAnInconsistentDibOnEitherSide) {
    TestDib work = MakeDib(6, 6), view = MakeDib(6, 6);
    work.fillGrey(255);
    TestDib badWork = work;
    badWork.storage[14] = 32;  // 32 bits per pixel
    const auto before = view.storage;
    EXPECT_FALSE(Blend(badWork, view, 6, 6, BlendMode::kPencil));
    EXPECT_EQ(view.storage, before);
    EXPECT_FALSE(BlendPass(work.block(), work.size, view.block(), 39, 6, 6, BlendMode::kPencil));
    EXPECT_EQ(view.storage, before);
}

}  // namespace
