// SPDX-License-Identifier: GPL-3.0-or-later
#include "imaging/engine/color_ops.h"

#include <gtest/gtest.h>

#include <vector>

#include "imaging/engine/status_callback.h"
#include "imaging/engine/status_codes.h"

namespace {

struct Bgr {
    int b, g, r;
    bool operator==(const Bgr&) const = default;
};

std::ostream& operator<<(std::ostream& os, const Bgr& p) {
    return os << "(b " << p.b << ", g " << p.g << ", r " << p.r << ")";
}

// An owned engine bitmap for one test.
class TestBitmap {
public:
    TestBitmap(int32_t width, int32_t height, int32_t bits) {
        P_InitBitmap(&bm_, sizeof bm_, width, height, bits);
        EXPECT_EQ(P_AllocateBitmap(&bm_, sizeof bm_), pix::kSuccess);
        // Poison the row padding, which no operation may touch.
        const int32_t used = width * bits / 8;
        for (int32_t y = 0; y < height; ++y)
            for (int32_t i = used; i < bm_.BytesPerLine; ++i) PixRow(bm_, y)[i] = 0xA5;
    }
    ~TestBitmap() { P_FreeBitmap(&bm_); }
    PixBitmap* get() { return &bm_; }
    void set(int32_t x, int32_t y, Bgr p) {
        uint8_t* q = PixRow(bm_, y) + 3 * x;
        q[0] = uint8_t(p.b);
        q[1] = uint8_t(p.g);
        q[2] = uint8_t(p.r);
    }
    Bgr at(int32_t x, int32_t y) const {
        const uint8_t* q = PixRow(bm_, y) + 3 * x;
        return {q[0], q[1], q[2]};
    }
    bool paddingIntact() const {
        const int32_t used = bm_.Width * bm_.BitsPerPixel / 8;
        for (int32_t y = 0; y < bm_.Height; ++y)
            for (int32_t i = used; i < bm_.BytesPerLine; ++i)
                if (PixRow(bm_, y)[i] != 0xA5) return false;
        return true;
    }

private:
    PixBitmap bm_{};
};

struct PixelCase {
    int32_t change;
    Bgr before, after;
};

// Runs `op` with `change` on a 3 x 1 bitmap holding the case's pixel in the
// middle (a width of 3 leaves 3 bytes of padding per row).
template <typename Op>
void ExpectPixels(Op op, const std::vector<PixelCase>& cases) {
    for (const PixelCase& c : cases) {
        TestBitmap bm(3, 1, 24);
        bm.set(1, 0, c.before);
        ASSERT_EQ(op(bm.get(), c.change), pix::kSuccess);
        EXPECT_EQ(bm.at(1, 0), c.after) << "change " << c.change << " on " << c.before;
        EXPECT_EQ(bm.at(0, 0), (Bgr{0, 0, 0}));
        EXPECT_TRUE(bm.paddingIntact());
    }
}

TEST(Saturation, MovesChannelsRelativeToTheIntegerGrey) {
    ExpectPixels(P_ChangeBitmapSaturation,
                 {
                     // -1000: exactly the grey, (299 R + 587 G + 114 B + 500) / 1000.
                     {-1000, {0, 0, 255}, {76, 76, 76}},
                     {-1000, {0, 255, 0}, {150, 150, 150}},
                     {-1000, {255, 0, 0}, {29, 29, 29}},
                     {-1000, {30, 20, 10}, {18, 18, 18}},
                     {-1000, {255, 255, 255}, {255, 255, 255}},
                     {0, {50, 100, 200}, {50, 100, 200}},
                     // grey 124
                     {500, {50, 100, 200}, {13, 88, 238}},
                     {-500, {50, 100, 200}, {87, 112, 162}},
                     // halves go away from the grey
                     {-500, {100, 100, 101}, {100, 100, 101}},
                     {-500, {100, 100, 99}, {100, 100, 99}},
                     {-500, {100, 100, 103}, {100, 100, 102}},
                     // grey 150; clamped at both ends
                     {1000, {0, 128, 250}, {0, 106, 255}},
                 });
}

TEST(Intensity, ScalesEachChannelRoundedAndClamped) {
    ExpectPixels(P_ChangeBitmapIntensity, {
                                              {0, {0, 128, 255}, {0, 128, 255}},
                                              {100, {200, 250, 5}, {220, 255, 6}},
                                              {-500, {255, 3, 1}, {128, 2, 1}},
                                              {-1000, {255, 3, 1}, {0, 0, 0}},
                                              {-3000, {255, 3, 1}, {0, 0, 0}},
                                          });
}

TEST(Invert, GivesTheComplementAndTwiceRestores) {
    TestBitmap bm(5, 2, 24);
    bm.set(0, 0, {0, 1, 255});
    bm.set(4, 1, {128, 127, 200});
    ASSERT_EQ(P_InvertBitmap(bm.get()), pix::kSuccess);
    EXPECT_EQ(bm.at(0, 0), (Bgr{255, 254, 0}));
    EXPECT_EQ(bm.at(4, 1), (Bgr{127, 128, 55}));
    EXPECT_EQ(bm.at(2, 1), (Bgr{255, 255, 255}));
    ASSERT_EQ(P_InvertBitmap(bm.get()), pix::kSuccess);
    EXPECT_EQ(bm.at(0, 0), (Bgr{0, 1, 255}));
    EXPECT_EQ(bm.at(2, 1), (Bgr{0, 0, 0}));
    EXPECT_TRUE(bm.paddingIntact());
}

TEST(ColorOps, PaletteBitmapsChangeTheirPaletteNotTheirIndices) {
    TestBitmap bm(3, 2, 8);
    PixBitmap* b = bm.get();
    PixRow(*b, 0)[0] = 7;
    b->Palette[7] = RGBQUAD{0, 0, 255, 0};
    b->Palette[8] = RGBQUAD{50, 100, 200, 0};

    ASSERT_EQ(P_ChangeBitmapSaturation(b, -1000), pix::kSuccess);
    EXPECT_EQ(b->Palette[7].rgbRed, 76);
    EXPECT_EQ(b->Palette[7].rgbGreen, 76);
    EXPECT_EQ(b->Palette[7].rgbBlue, 76);
    EXPECT_EQ(b->Palette[8].rgbBlue, 124);
    EXPECT_EQ(b->Palette[200].rgbRed, 200);  // grey ramp entries stay grey

    ASSERT_EQ(P_InvertBitmap(b), pix::kSuccess);
    EXPECT_EQ(b->Palette[7].rgbRed, 179);
    EXPECT_EQ(b->Palette[0].rgbBlue, 255);

    ASSERT_EQ(P_ChangeBitmapIntensity(b, -500), pix::kSuccess);
    EXPECT_EQ(b->Palette[0].rgbGreen, 128);
    EXPECT_EQ(PixRow(*b, 0)[0], 7);
    EXPECT_EQ(PixRow(*b, 0)[1], 0);
    EXPECT_TRUE(bm.paddingIntact());
}

TEST(ColorOps, BitmapWithoutPixelsIsRefused) {
    PixBitmap empty{};
    P_InitBitmap(&empty, sizeof empty, 4, 4, 24);
    EXPECT_EQ(P_ChangeBitmapSaturation(&empty, -1000), pix::kInvalidBitmap);
    EXPECT_EQ(P_ChangeBitmapIntensity(&empty, 0), pix::kInvalidBitmap);
    EXPECT_EQ(P_InvertBitmap(&empty), pix::kInvalidBitmap);
    EXPECT_EQ(P_ColorResBitmap(&empty, 24), pix::kInvalidBitmap);
    EXPECT_EQ(P_InvertBitmap(nullptr), pix::kInvalidBitmap);
}

// Records each report and answers 0 from the `stopAt`-th report on.
struct Recorder {
    std::vector<int32_t> percents;
    size_t stopAt = SIZE_MAX;

    static int32_t Callback(int32_t percent, void* self) {
        auto* r = static_cast<Recorder*>(self);
        r->percents.push_back(percent);
        return r->percents.size() >= r->stopAt ? 0 : 1;
    }
};

class WithStatusCallback : public ::testing::Test {
protected:
    void SetUp() override { P_SetStatusCallBack(&Recorder::Callback, nullptr, &recorder, nullptr); }
    void TearDown() override { P_SetStatusCallBack(nullptr, nullptr, nullptr, nullptr); }
    Recorder recorder;
};

TEST_F(WithStatusCallback, ReportsBandsUpToAHundred) {
    TestBitmap bm(4, 100, 24);
    ASSERT_EQ(P_InvertBitmap(bm.get()), pix::kSuccess);
    EXPECT_EQ(recorder.percents, (std::vector<int32_t>{32, 64, 96, 100}));
}

TEST_F(WithStatusCallback, StopsWhenTheCallbackSaysSo) {
    recorder.stopAt = 1;
    TestBitmap bm(4, 100, 24);
    EXPECT_EQ(P_ChangeBitmapSaturation(bm.get(), 1000), pix::kUserAbort);
    EXPECT_EQ(recorder.percents.size(), 1u);
    recorder.percents.clear();
    EXPECT_EQ(P_InvertBitmap(bm.get()), pix::kUserAbort);
    EXPECT_EQ(bm.at(0, 0), (Bgr{255, 255, 255}));  // the first band was done
    EXPECT_EQ(bm.at(0, 99), (Bgr{0, 0, 0}));       // the last one not
    EXPECT_EQ(recorder.percents.size(), 1u);
}

TEST_F(WithStatusCallback, StoppedDepthChangeLeavesTheBitmapAsItWas) {
    recorder.stopAt = 2;
    TestBitmap bm(4, 100, 8);
    const PixBitmap before = *bm.get();
    EXPECT_EQ(P_ColorResBitmap(bm.get(), 24), pix::kUserAbort);
    EXPECT_EQ(bm.get()->BitsPerPixel, 8);
    EXPECT_EQ(bm.get()->Data, before.Data);
    EXPECT_EQ(bm.get()->Palette, before.Palette);
}

TEST(ColorRes, PaletteBitmapBecomes24BitThroughItsPalette) {
    TestBitmap bm(5, 3, 8);
    PixBitmap* b = bm.get();
    b->Palette[9] = RGBQUAD{1, 2, 3, 0};
    PixRow(*b, 0)[0] = 9;
    PixRow(*b, 2)[4] = 200;  // grey ramp
    b->XResolution = 300;
    ASSERT_EQ(P_ColorResBitmap(b, 24), pix::kSuccess);
    EXPECT_EQ(b->BitsPerPixel, 24);
    EXPECT_EQ(b->BytesPerLine, 16);
    EXPECT_EQ(b->Width, 5);
    EXPECT_EQ(b->Height, 3);
    EXPECT_EQ(b->XResolution, 300);
    EXPECT_EQ(b->Palette, nullptr);
    EXPECT_EQ(bm.at(0, 0), (Bgr{1, 2, 3}));
    EXPECT_EQ(bm.at(4, 2), (Bgr{200, 200, 200}));
    EXPECT_EQ(bm.at(1, 0), (Bgr{0, 0, 0}));

    // Already 24 bits: nothing to do; other depths are not offered.
    const uint8_t* data = b->Data;
    EXPECT_EQ(P_ColorResBitmap(b, 24), pix::kSuccess);
    EXPECT_EQ(b->Data, data);
    EXPECT_EQ(P_ColorResBitmap(b, 8), pix::kNotSupported);
    EXPECT_EQ(b->BitsPerPixel, 24);
}

}  // namespace
