// SPDX-License-Identifier: GPL-3.0-or-later
#include "sketch/sketch_pass.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <random>
#include <vector>

#include "tests/sketch/dib_fixture.h"

using sketch::SketchPass;
using sketch_test::MakeDib;
using sketch_test::TestDib;

namespace {

bool Sketch(TestDib& d, int32_t w, int32_t h, int threshold = sketch::kEdgeThreshold) {
    return SketchPass(d.block(), d.size, w, h, threshold);
}

// The pass as a plain per-pixel rule on an untouched copy, for comparison with
// the row-wise implementation on random pictures: every pixel, with rows below
// memory row 0 and columns past the last one repeating the edge pixel.
void ModelPass(TestDib& d, int32_t w, int32_t h, int threshold = 14) {
    const TestDib src = d;
    auto p = [&](int32_t r, int32_t c, int k) {
        return int(const_cast<TestDib&>(src).at(std::max(r, 0), std::min(c, w - 1), k));
    };
    for (int32_t r = h - 1; r >= 0; --r) {
        for (int32_t c = 0; c < w; ++c) {
            int dk[3];
            for (int k = 0; k < 3; ++k) {
                dk[k] = std::max({std::abs(p(r, c, k) - p(r - 2, c, k)),
                                  std::abs(p(r - 2, c + 2, k) - p(r, c + 2, k)),
                                  std::abs(p(r, c + 1, k) - p(r - 2, c + 1, k)),
                                  std::abs(p(r - 1, c + 2, k) - p(r - 1, c, k))});
            }
            const bool edge =
                p(r, c, 2) != 255 && (dk[0] > threshold || dk[1] > threshold || dk[2] > threshold);
            for (int k = 0; k < 3; ++k) d.at(r, c, k) = uint8_t(edge ? dk[k] : 0);
        }
    }
}

// The pass as it was when it left a frame: only memory rows 3 and up and
// columns 1 to w - 3, whose blocks lie inside the picture, were drawn.
void FramedPass(TestDib& d, int32_t w, int32_t h) {
    const TestDib src = d;
    auto p = [&](int32_t r, int32_t c, int k) {
        return int(const_cast<TestDib&>(src).at(r, c, k));
    };
    for (int32_t r = h - 1; r >= 3; --r) {
        for (int32_t c = 1; c <= w - 3; ++c) {
            int dk[3];
            for (int k = 0; k < 3; ++k) {
                dk[k] = std::max({std::abs(p(r, c, k) - p(r - 2, c, k)),
                                  std::abs(p(r - 2, c + 2, k) - p(r, c + 2, k)),
                                  std::abs(p(r, c + 1, k) - p(r - 2, c + 1, k)),
                                  std::abs(p(r - 1, c + 2, k) - p(r - 1, c, k))});
            }
            const bool edge = p(r, c, 2) != 255 && (dk[0] > 14 || dk[1] > 14 || dk[2] > 14);
            for (int k = 0; k < 3; ++k) d.at(r, c, k) = uint8_t(edge ? dk[k] : 0);
        }
    }
}

// In a flat grey 4 x 4 picture with one pixel changed, memory row 3, column 1
// (the one pixel whose block lies inside the picture) takes the largest
// difference of its block.
struct OnePixelCase {
    const char* name;
    int32_t row, column;
    int value;     // grey value given to that one pixel; the rest are 100
    int expected;  // memory row 3, column 1 afterwards
};

class OneTargetTest : public ::testing::TestWithParam<OnePixelCase> {};

TEST_P(OneTargetTest, TargetTakesTheLargestDifferenceAboveThreshold) {
    const OnePixelCase& tc = GetParam();
    TestDib d = MakeDib(4, 4);
    d.fillGrey(100);
    d.setGrey(tc.row, tc.column, uint8_t(tc.value));
    TestDib expected = d;
    ModelPass(expected, 4, 4);
    ASSERT_TRUE(Sketch(d, 4, 4));
    for (int k = 0; k < 3; ++k) EXPECT_EQ(d.at(3, 1, k), tc.expected) << tc.name;
    // The other pixels follow the same rule with the edge pixels repeated.
    EXPECT_EQ(d.storage, expected.storage) << tc.name;
    EXPECT_TRUE(d.paddingAndGuardIntact());
}

INSTANTIATE_TEST_SUITE_P(
    Differences, OneTargetTest,
    ::testing::Values(OnePixelCase{"difference 14 is no edge", 1, 1, 114, 0},
                      OnePixelCase{"difference 15 is an edge", 1, 1, 115, 15},
                      OnePixelCase{"target itself, darker", 3, 1, 40, 60},
                      OnePixelCase{"two rows below, column c+2", 1, 3, 0, 100},
                      OnePixelCase{"same row, column c+2", 3, 3, 130, 30},
                      OnePixelCase{"same row, column c+1", 3, 2, 85, 15},
                      OnePixelCase{"two rows below, column c+1", 1, 2, 86, 0},
                      OnePixelCase{"row below, column c+2", 2, 3, 255, 155},
                      OnePixelCase{"row below, column c", 2, 1, 20, 80},
                      OnePixelCase{"centre of the block is not read", 2, 2, 0, 0},
                      OnePixelCase{"memory row 0 is not in row 3's block", 0, 1, 0, 0},
                      OnePixelCase{"column 0 is not in column 1's block", 3, 0, 0, 0},
                      OnePixelCase{"target with red 255 becomes 0", 3, 1, 255, 0}),
    [](const auto& info) {
        std::string n = info.param.name;
        for (char& ch : n)
            if (!isalnum(static_cast<unsigned char>(ch))) ch = '_';
        return n;
    });

TEST(SketchPass, ChannelsAreJudgedTogetherAndWrittenSeparately) {
    TestDib d = MakeDib(4, 4);
    d.fillGrey(100);
    d.at(1, 1, 0) = 80;   // blue differs by 20: an edge
    d.at(1, 1, 1) = 110;  // green by 10
    ASSERT_TRUE(Sketch(d, 4, 4));
    EXPECT_EQ(d.at(3, 1, 0), 20);
    EXPECT_EQ(d.at(3, 1, 1), 10);
    EXPECT_EQ(d.at(3, 1, 2), 0);
}

TEST(SketchPass, RedByte255TargetBecomesZeroEvenBesideAnEdge) {
    TestDib d = MakeDib(4, 4);
    d.fillGrey(100);
    d.at(3, 1, 2) = 255;  // only the red byte is 255
    d.setGrey(1, 1, 0);   // a strong edge
    ASSERT_TRUE(Sketch(d, 4, 4));
    for (int k = 0; k < 3; ++k) EXPECT_EQ(d.at(3, 1, k), 0);
}

TEST(SketchPass, FlatAreasHaveNoEdgesUpToTheirEdges) {
    for (uint8_t grey : {uint8_t{255}, uint8_t{254}, uint8_t{0}}) {
        TestDib d = MakeDib(7, 6);
        d.fillGrey(grey);
        ASSERT_TRUE(Sketch(d, 7, 6));
        for (int32_t r = 0; r < 6; ++r)
            for (int32_t c = 0; c < 7; ++c)
                EXPECT_EQ(d.at(r, c, 1), 0)
                    << "grey " << int(grey) << " row " << r << " column " << c;
        EXPECT_TRUE(d.paddingAndGuardIntact());
    }
}

// Small pictures whose grey rises by 8 a memory row and 30 a column: a pixel's
// block sees a rise of 16 over two rows and 60 over two columns, less where it
// reaches below memory row 0 (row 1 sees 8 and row 0 sees 0) or past the last
// column (column w - 2 sees 30, column w - 1 sees 0 across and the rows' 16).
// 8 is no edge, so the top-right pixels of rows 0 and 1 are 0.
TEST(SketchPass, EdgePixelsRepeatTheNearestPixelOfThePicture) {
    const struct {
        int32_t w, h;
        std::vector<std::vector<int>> rows;  // memory row 0 first
    } cases[] = {
        {1, 1, {{0}}},
        {2, 2, {{30, 0}, {30, 0}}},
        {1, 4, {{0}, {0}, {16}, {16}}},
        {4, 1, {{60, 60, 30, 0}}},
        {3, 5, {{60, 30, 0}, {60, 30, 0}, {60, 30, 16}, {60, 30, 16}, {60, 30, 16}}},
        {5, 3, {{60, 60, 60, 30, 0}, {60, 60, 60, 30, 0}, {60, 60, 60, 30, 16}}},
        {6,
         4,
         {{60, 60, 60, 60, 30, 0},
          {60, 60, 60, 60, 30, 0},
          {60, 60, 60, 60, 30, 16},
          {60, 60, 60, 60, 30, 16}}},
    };
    for (const auto& tc : cases) {
        TestDib d = MakeDib(tc.w, tc.h);
        for (int32_t r = 0; r < tc.h; ++r)
            for (int32_t c = 0; c < tc.w; ++c) d.setGrey(r, c, uint8_t(20 + 8 * r + 30 * c));
        ASSERT_TRUE(Sketch(d, tc.w, tc.h));
        for (int32_t r = 0; r < tc.h; ++r)
            for (int32_t c = 0; c < tc.w; ++c)
                for (int k = 0; k < 3; ++k)
                    EXPECT_EQ(d.at(r, c, k), tc.rows[size_t(r)][size_t(c)])
                        << tc.w << " x " << tc.h << " row " << r << " column " << c;
        EXPECT_TRUE(d.paddingAndGuardIntact()) << tc.w << " x " << tc.h;
    }
}

TEST(SketchPass, MatchesPerPixelRuleOnRandomPicturesOfManyWidths) {
    std::mt19937 rng(5);
    std::vector<int32_t> widths;
    for (int32_t w = 1; w <= 40; ++w) widths.push_back(w);
    widths.push_back(101);
    widths.push_back(331);
    for (int32_t w : widths) {
        for (int32_t h : {1, 3, 4, 5, 9}) {
            TestDib d = MakeDib(w, h);
            for (int32_t r = 0; r < h; ++r)
                for (int32_t c = 0; c < w; ++c)
                    for (int k = 0; k < 3; ++k) {
                        // Mostly near values, so that edges and non-edges mix.
                        const int v = 120 + int(rng() % 40) - 20;
                        d.at(r, c, k) = uint8_t(rng() % 8 == 0 ? 255 : v);
                    }
            TestDib expected = d, framed = d;
            ModelPass(expected, w, h);
            FramedPass(framed, w, h);
            ASSERT_TRUE(Sketch(d, w, h));
            EXPECT_EQ(d.storage, expected.storage) << w << " x " << h;
            // Inside the old frame every pixel is what it always was.
            for (int32_t r = 3; r < h; ++r)
                for (int32_t c = 1; c <= w - 3; ++c)
                    for (int k = 0; k < 3; ++k)
                        ASSERT_EQ(d.at(r, c, k), framed.at(r, c, k))
                            << w << " x " << h << " row " << r << " column " << c;
        }
    }
}

// The threshold asked for decides alone: a difference of T is no edge, T + 1
// is, and 255 leaves no edge at all.
TEST(SketchPass, TheThresholdAskedForDecidesWhatIsAnEdge) {
    const struct {
        int threshold, difference, expected;
    } cases[] = {{0, 0, 0},       {0, 1, 1},     {6, 6, 0},       {6, 7, 7},    {100, 100, 0},
                 {100, 101, 101}, {254, 254, 0}, {254, 255, 255}, {255, 255, 0}};
    for (const auto& c : cases) {
        TestDib d = MakeDib(4, 4);
        d.fillGrey(0);
        d.setGrey(1, 1, uint8_t(c.difference));
        ASSERT_TRUE(Sketch(d, 4, 4, c.threshold));
        for (int k = 0; k < 3; ++k)
            EXPECT_EQ(d.at(3, 1, k), c.expected)
                << "threshold " << c.threshold << " difference " << c.difference;
    }
    std::mt19937 rng(9);
    for (int threshold : {0, 3, 9, 30, 200}) {
        TestDib d = MakeDib(37, 11);
        for (int32_t r = 0; r < 11; ++r)
            for (int32_t c = 0; c < 37; ++c)
                for (int k = 0; k < 3; ++k) d.at(r, c, k) = uint8_t(100 + rng() % 40);
        TestDib expected = d;
        ModelPass(expected, 37, 11, threshold);
        ASSERT_TRUE(Sketch(d, 37, 11, threshold));
        EXPECT_EQ(d.storage, expected.storage) << "threshold " << threshold;
    }
}

TEST(SketchPass, SizeIsClampedToTheDib) {
    std::mt19937 rng(7);
    TestDib d = MakeDib(6, 5);
    for (int32_t r = 0; r < 5; ++r)
        for (int32_t c = 0; c < 6; ++c) d.setGrey(r, c, uint8_t(rng()));
    TestDib expected = d;
    ModelPass(expected, 6, 5);
    ASSERT_TRUE(Sketch(d, 1000, 800));
    EXPECT_EQ(d.storage, expected.storage);

    // A smaller size only touches its own part.
    TestDib part = MakeDib(8, 8);
    for (int32_t r = 0; r < 8; ++r)
        for (int32_t c = 0; c < 8; ++c) part.setGrey(r, c, uint8_t(rng()));
    TestDib partExpected = part;
    ModelPass(partExpected, 5, 6);
    ASSERT_TRUE(Sketch(part, 5, 6));
    EXPECT_EQ(part.storage, partExpected.storage);

    TestDib none = MakeDib(6, 6);
    none.fillGrey(9);
    const auto before = none.storage;
    EXPECT_TRUE(Sketch(none, 0, 6));
    EXPECT_TRUE(Sketch(none, -5, -5));
    EXPECT_EQ(none.storage, before);
}

TEST(SketchPass, ColorTableAndTopDownRowsAreHonoured) {
    // Pixels after a colour table: the table's entries are never pixels.
    TestDib d = MakeDib(5, 5, 2);
    d.fillGrey(100);
    d.setGrey(1, 1, 0);
    ASSERT_TRUE(Sketch(d, 5, 5));
    EXPECT_EQ(d.at(3, 1, 0), 100);
    for (size_t b = sizeof(BITMAPINFOHEADER); b < d.offset; ++b) EXPECT_EQ(d.storage[b], 0);

    // Top-down DIBs are worked on in memory order too.
    TestDib t = MakeDib(5, 5, 0, true);
    t.fillGrey(100);
    t.setGrey(1, 1, 0);
    ASSERT_TRUE(Sketch(t, 5, 5));
    EXPECT_EQ(t.at(3, 1, 0), 100);
}

TEST(SketchPass, RefusesBlocksThatDoNotHoldAConsistent24BitDib) {
    struct Case {
        const char* name;
        void (*spoil)(TestDib&);
    };
    const Case cases[] = {
        {"8 bits per pixel", [](TestDib& d) { d.storage[14] = 8; }},
        {"compressed", [](TestDib& d) { d.storage[16] = BI_RLE8; }},
        {"block one byte short", [](TestDib& d) { d.size -= 1; }},
        {"block shorter than a header", [](TestDib& d) { d.size = 39; }},
        {"header size below 40", [](TestDib& d) { d.storage[0] = 12; }},
        {"header size past the block", [](TestDib& d) { d.storage[3] = 0x7F; }},
        {"colour table past the block", [](TestDib& d) { d.storage[35] = 0x40; }},
        {"width 0", [](TestDib& d) { std::memset(&d.storage[4], 0, 4); }},
        {"negative width", [](TestDib& d) { d.storage[7] = 0xFF; }},
        {"height 0", [](TestDib& d) { std::memset(&d.storage[8], 0, 4); }},
        {"lowest height",
         [](TestDib& d) {
             const int32_t h = INT32_MIN;
             std::memcpy(&d.storage[8], &h, 4);
         }},
        {"rows past the block", [](TestDib& d) { d.storage[9] = 0x10; }},
    };
    for (const Case& c : cases) {
        TestDib d = MakeDib(6, 6);
        d.fillGrey(50);
        d.setGrey(1, 1, 200);
        c.spoil(d);
        const auto before = d.storage;
        EXPECT_FALSE(SketchPass(d.block(), d.size, 6, 6)) << c.name;
        EXPECT_EQ(d.storage, before) << c.name;
    }
    EXPECT_FALSE(SketchPass(nullptr, 100, 6, 6));
}

}  // namespace
