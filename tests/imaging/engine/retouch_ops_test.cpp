// SPDX-License-Identifier: GPL-3.0-or-later
#include "imaging/engine/retouch_ops.h"

#include <gtest/gtest.h>

#include <vector>

#include "imaging/engine/color_ops.h"
#include "imaging/engine/status_codes.h"

namespace {

// An owned engine bitmap whose row padding is poisoned, since no operation may
// touch it.
class TestBitmap {
public:
    TestBitmap(int32_t width, int32_t height, int32_t bits) {
        P_InitBitmap(&bm_, sizeof bm_, width, height, bits);
        EXPECT_EQ(P_AllocateBitmap(&bm_, sizeof bm_), pix::kSuccess);
        for (int32_t y = 0; y < height; ++y)
            for (int32_t i = used(); i < bm_.BytesPerLine; ++i) PixRow(bm_, y)[i] = 0xA5;
    }
    ~TestBitmap() { P_FreeBitmap(&bm_); }
    PixBitmap* get() { return &bm_; }
    int32_t used() const { return bm_.Width * bm_.BitsPerPixel / 8; }
    // Row-major channel bytes, padding left out.
    void fill(const std::vector<int>& bytes) {
        size_t k = 0;
        for (int32_t y = 0; y < bm_.Height; ++y)
            for (int32_t i = 0; i < used(); ++i) PixRow(bm_, y)[i] = uint8_t(bytes.at(k++));
    }
    std::vector<int> bytes() const {
        std::vector<int> out;
        for (int32_t y = 0; y < bm_.Height; ++y)
            for (int32_t i = 0; i < used(); ++i) out.push_back(PixRow(bm_, y)[i]);
        return out;
    }
    bool paddingIntact() const {
        for (int32_t y = 0; y < bm_.Height; ++y)
            for (int32_t i = used(); i < bm_.BytesPerLine; ++i)
                if (PixRow(bm_, y)[i] != 0xA5) return false;
        return true;
    }

private:
    PixBitmap bm_{};
};

// Interleaves three planes into blue-green-red bytes.
std::vector<int> Bgr(const std::vector<int>& b, const std::vector<int>& g,
                     const std::vector<int>& r) {
    std::vector<int> out;
    for (size_t i = 0; i < b.size(); ++i) out.insert(out.end(), {b[i], g[i], r[i]});
    return out;
}

// A 3 x 2 picture:   10 20 30
//                    40 50 60
// Amount 100 gives 2 v - m. The corner (0, 0) sees rows 0, 0, 1 and columns
// 0, 0, 1: m = (10+10+20 + 10+10+20 + 40+40+50) / 9 = 23.33, so 20 - 23.33
// clamps to 0. (1, 0): m = 270 / 9 = 30 gives 10. (2, 0): m = 330 / 9 gives
// 23.33 -> 23. (0, 1): m = 300 / 9 gives 46.67 -> 47. (1, 1): m = 40 gives
// 60. (2, 1): m = 420 / 9 gives 73.33 -> 73.
const std::vector<int> kSmall = {10, 20, 30, 40, 50, 60};
const std::vector<int> kSmallSharpened = {0, 10, 23, 47, 60, 73};

TEST(Sharpen, GreyFixtureWorkedByHandIncludingTheEdges) {
    TestBitmap bm(3, 2, 8);
    bm.fill(kSmall);
    ASSERT_EQ(P_SharpenBitmap(bm.get(), 100), pix::kSuccess);
    EXPECT_EQ(bm.bytes(), kSmallSharpened);
    EXPECT_TRUE(bm.paddingIntact());
}

TEST(Sharpen, ChannelsOfATrueColorPictureAreSharpenedApart) {
    // Green is flat and stays; red is 255 minus blue, so it comes out as 255
    // minus blue's unrounded value: 258.3 -> 255, 245, 231.67 -> 232,
    // 208.33 -> 208, 195, 181.67 -> 182.
    TestBitmap bm(3, 2, 24);
    bm.fill(Bgr(kSmall, std::vector<int>(6, 100), {245, 235, 225, 215, 205, 195}));
    ASSERT_EQ(P_SharpenBitmap(bm.get(), 100), pix::kSuccess);
    EXPECT_EQ(bm.bytes(),
              Bgr(kSmallSharpened, std::vector<int>(6, 100), {255, 245, 232, 208, 195, 182}));
    EXPECT_TRUE(bm.paddingIntact());
}

TEST(Sharpen, RoundsTheNewValueHalfAwayFromZero) {
    // One row, so every neighbourhood is three copies of three columns.
    struct Case {
        std::vector<int> before;
        int32_t amount;
        std::vector<int> after;
    };
    const Case cases[] = {
        // Middle: m = 11, 10 - 1 x 0.5 = 9.5 -> 10 (rounding the step alone
        // would give 9). Edges: 11 + 0.33 x 0.5 -> 11, 12 + 0.67 x 0.5 -> 12.
        {{11, 10, 12}, 50, {11, 10, 12}},
        // Middle: m = 10, 11 + 0.5 = 11.5 -> 12. Left: m = 29 / 3, 9 - 0.33 -> 9.
        // Right: m = 31 / 3, 10 - 0.17 -> 10.
        {{9, 11, 10}, 50, {9, 12, 10}},
        // Amount 1000 clamps both ways: m = 85 everywhere.
        {{0, 255, 0}, 1000, {0, 255, 0}},
        {{100, 200, 100}, 1000, {0, 255, 0}},
        // Amount 10: 100 - 3.33 -> 97, 200 + 3.33 -> 203; the right edge is flat.
        {{100, 200, 200}, 10, {97, 203, 200}},
    };
    for (const Case& c : cases) {
        TestBitmap bm(3, 1, 8);
        bm.fill(c.before);
        ASSERT_EQ(P_SharpenBitmap(bm.get(), c.amount), pix::kSuccess);
        EXPECT_EQ(bm.bytes(), c.after) << "amount " << c.amount << " on " << c.before[0] << ","
                                       << c.before[1] << "," << c.before[2];
    }
}

TEST(Sharpen, AmountZeroAndFlatPicturesChangeNothing) {
    TestBitmap bm(3, 2, 8);
    bm.fill(kSmall);
    ASSERT_EQ(P_SharpenBitmap(bm.get(), 0), pix::kSuccess);
    EXPECT_EQ(bm.bytes(), kSmall);

    TestBitmap flat(5, 4, 24);
    flat.fill(std::vector<int>(60, 77));
    ASSERT_EQ(P_SharpenBitmap(flat.get(), 1000), pix::kSuccess);
    EXPECT_EQ(flat.bytes(), std::vector<int>(60, 77));
}

TEST(Sharpen, OnePixelPictureIsItsOwnNeighbourhood) {
    TestBitmap bm(1, 1, 24);
    bm.fill({1, 128, 255});
    ASSERT_EQ(P_SharpenBitmap(bm.get(), 1000), pix::kSuccess);
    EXPECT_EQ(bm.bytes(), (std::vector<int>{1, 128, 255}));
}

TEST(Brightness, IsTheIntensityArithmetic) {
    std::vector<int> all;
    for (int v = 0; v < 256; ++v) all.push_back(v);
    for (int32_t change : {-1000, -333, -1, 0, 1, 250, 999, 1000}) {
        TestBitmap bm(256, 1, 8), reference(256, 1, 24);
        bm.fill(all);
        reference.fill(Bgr(all, all, all));
        ASSERT_EQ(P_ChangeBitmapBrightness(bm.get(), change), pix::kSuccess);
        ASSERT_EQ(P_ChangeBitmapIntensity(reference.get(), change), pix::kSuccess);
        const std::vector<int> expected = reference.bytes();
        std::vector<int> blue;
        for (size_t i = 0; i < expected.size(); i += 3) blue.push_back(expected[i]);
        EXPECT_EQ(bm.bytes(), blue) << "change " << change;
        // The grey picture's indices changed; its palette is still the ramp.
        EXPECT_TRUE(pix::IsRetouchable(bm.get()));
    }
    // Spot values: 101 x 1.25 = 126.25 -> 126, 255 x 1.25 clamps, 3 x 1.25 -> 4;
    // halving rounds halves up: 50.5 -> 51, 127.5 -> 128, 1.5 -> 2.
    TestBitmap bm(3, 1, 24);
    bm.fill({101, 255, 3, 101, 255, 3, 0, 0, 0});
    ASSERT_EQ(P_ChangeBitmapBrightness(bm.get(), 250), pix::kSuccess);
    EXPECT_EQ(bm.bytes(), (std::vector<int>{126, 255, 4, 126, 255, 4, 0, 0, 0}));
    EXPECT_TRUE(bm.paddingIntact());
    bm.fill({101, 255, 3, 0, 0, 0, 0, 0, 0});
    ASSERT_EQ(P_ChangeBitmapBrightness(bm.get(), -500), pix::kSuccess);
    EXPECT_EQ(bm.bytes(), (std::vector<int>{51, 128, 2, 0, 0, 0, 0, 0, 0}));
}

TEST(Retouch, RefusesWhatItCannotWorkOnAndLeavesItUnchanged) {
    using Op = int32_t (*)(PixBitmap*, int32_t);
    for (Op op : {Op(P_ChangeBitmapBrightness), Op(P_SharpenBitmap)}) {
        EXPECT_EQ(op(nullptr, 10), pix::kInvalidBitmap);
        PixBitmap empty{};
        P_InitBitmap(&empty, sizeof empty, 4, 4, 24);
        EXPECT_EQ(op(&empty, 10), pix::kInvalidBitmap);

        TestBitmap palette(3, 2, 8);
        palette.fill(kSmall);
        palette.get()->Palette[7].rgbRed = 200;
        EXPECT_EQ(op(palette.get(), 10), pix::kInvalidBitsPerPixel);
        EXPECT_EQ(palette.bytes(), kSmall);
        EXPECT_EQ(palette.get()->Palette[20].rgbRed, 20);

        TestBitmap grey(3, 2, 8);
        grey.fill(kSmall);
        EXPECT_EQ(op(grey.get(), 1001), pix::kInvalidParameter);
        EXPECT_EQ(op(grey.get(), -1001), pix::kInvalidParameter);
        EXPECT_EQ(grey.bytes(), kSmall);
    }
    TestBitmap grey(3, 2, 8);
    grey.fill(kSmall);
    EXPECT_EQ(P_SharpenBitmap(grey.get(), -1), pix::kInvalidParameter);
    EXPECT_EQ(P_ChangeBitmapBrightness(grey.get(), -1000), pix::kSuccess);
    EXPECT_EQ(grey.bytes(), std::vector<int>(6, 0));
}

}  // namespace
