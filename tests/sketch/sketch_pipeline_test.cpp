// SPDX-License-Identifier: GPL-3.0-or-later
#include "sketch/sketch_pipeline.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "imaging/engine/color_ops.h"
#include "imaging/engine/status_codes.h"

using sketch::BlendMode;
using sketch::DrawSketch;

namespace {

struct Bgr {
    int b, g, r;
    bool operator==(const Bgr&) const = default;
};
std::ostream& operator<<(std::ostream& os, const Bgr& p) {
    return os << "(" << p.b << "," << p.g << "," << p.r << ")";
}
Bgr Grey(int v) {
    return {v, v, v};
}

class Bitmap {
public:
    Bitmap() { P_InitBitmap(&bm_, sizeof bm_, 0, 0, 0); }
    Bitmap(int32_t w, int32_t h, int32_t bits) {
        P_InitBitmap(&bm_, sizeof bm_, w, h, bits);
        P_AllocateBitmap(&bm_, sizeof bm_);
    }
    ~Bitmap() { P_FreeBitmap(&bm_); }
    PixBitmap* get() { return &bm_; }
    const PixBitmap& ref() const { return bm_; }
    // (x, y) with y = 0 the top row of the picture.
    void set(int32_t x, int32_t y, Bgr p) {
        uint8_t* q = PixRow(bm_, y) + 3 * x;
        q[0] = uint8_t(p.b), q[1] = uint8_t(p.g), q[2] = uint8_t(p.r);
    }
    Bgr at(int32_t x, int32_t y) const {
        const uint8_t* q = PixRow(bm_, y) + 3 * x;
        return {q[0], q[1], q[2]};
    }

private:
    PixBitmap bm_{};
};

// A 5 x 4 photo, all (10, 10, 10) but one red pixel of grey 60 in the third
// picture row (memory row 1 of the bottom-up DIB, column 1).
Bitmap Photo() {
    Bitmap photo(5, 4, 24);
    for (int32_t y = 0; y < 4; ++y)
        for (int32_t x = 0; x < 5; ++x) photo.set(x, y, Grey(10));
    photo.set(1, 2, {0, 0, 200});
    return photo;
}

void ExpectPicture(const Bitmap& view, const std::vector<std::vector<Bgr>>& rows) {
    ASSERT_EQ(view.ref().BitsPerPixel, 24);
    ASSERT_EQ(view.ref().Height, int32_t(rows.size()));
    for (size_t y = 0; y < rows.size(); ++y)
        for (size_t x = 0; x < rows[y].size(); ++x)
            EXPECT_EQ(view.at(int32_t(x), int32_t(y)), rows[y][x]) << "x " << x << " y " << y;
}

TEST(DrawSketch, PencilDrawingOfASmallPhoto) {
    Bitmap photo = Photo(), view;
    ASSERT_TRUE(DrawSketch(photo.ref(), BlendMode::kPencil, view.get()).ok());
    // Every pixel whose block holds the grey 60 once is an edge of 50:
    // 255 - 50 = 205, blended with 20 % of grey 10 gives 166, and 176 over the
    // red pixel itself; the others have no edge: 255 -> 206. The blocks of the
    // bottom row (memory row 0) repeat that row below it and see no change.
    const Bgr e = Grey(166), p = Grey(206);
    ExpectPicture(view, {{e, e, p, p, p},  //
                         {p, e, p, p, p},
                         {e, Grey(176), p, p, p},
                         {p, p, p, p, p}});
    EXPECT_EQ(photo.at(1, 2), (Bgr{0, 0, 200}));  // the photo is not changed
}

TEST(DrawSketch, ColorPencilBlendsTheColorPhoto) {
    Bitmap photo = Photo(), view;
    photo.set(2, 0, {40, 80, 120});  // grey 87: this pixel is an edge now too
    ASSERT_TRUE(DrawSketch(photo.ref(), BlendMode::kColorPencil, view.get()).ok());
    // Column 1: edge max(50, 77) = 77 -> 178, blended 25 % with 10: 136.
    // Column 2: edge 77 -> 178, blended with (40, 80, 120): 143.5 -> 144 (even),
    // 153.5 -> 154, 163.5 -> 164.
    EXPECT_EQ(view.at(1, 0), Grey(136));
    EXPECT_EQ(view.at(2, 0), (Bgr{144, 154, 164}));
    // Column 0 sees the 87 two columns to its right too.
    EXPECT_EQ(view.at(0, 0), Grey(136));
}

TEST(DrawSketch, WhitePhotoStaysWhitePaperToItsEdges) {
    for (auto [w, h] : {std::pair{6, 6}, {1, 1}, {2, 3}}) {
        Bitmap photo(w, h, 24), view;
        for (int32_t y = 0; y < h; ++y)
            for (int32_t x = 0; x < w; ++x) photo.set(x, y, Grey(255));
        ASSERT_TRUE(DrawSketch(photo.ref(), BlendMode::kPencil, view.get()).ok());
        for (int32_t y = 0; y < h; ++y)
            for (int32_t x = 0; x < w; ++x)
                EXPECT_EQ(view.at(x, y), Grey(255)) << w << " x " << h << " at " << x << "," << y;
    }
}

TEST(DrawSketch, PalettePhotoSketchesLikeItsColors) {
    Bitmap color = Photo(), palette(5, 4, 8), fromColor, fromPalette;
    palette.get()->Palette[1] = RGBQUAD{0, 0, 200, 0};
    for (int32_t y = 0; y < 4; ++y)
        for (int32_t x = 0; x < 5; ++x) PixRow(*palette.get(), y)[x] = 10;
    PixRow(*palette.get(), 2)[1] = 1;
    ASSERT_TRUE(DrawSketch(color.ref(), BlendMode::kPencil, fromColor.get()).ok());
    ASSERT_TRUE(DrawSketch(palette.ref(), BlendMode::kPencil, fromPalette.get()).ok());
    ASSERT_EQ(fromPalette.ref().BitsPerPixel, 24);
    for (int32_t y = 0; y < 4; ++y)
        for (int32_t x = 0; x < 5; ++x) EXPECT_EQ(fromPalette.at(x, y), fromColor.at(x, y));
}

// An 8-bit photo (a grey ramp or a palette of colours) is drawn straight from
// its palette: the drawing is byte for byte the one of the same photo turned
// to 24 bits first, in both modes and with shading.
TEST(DrawSketch, EightBitPhotoDrawsLikeItsTwentyFourBitCopy) {
    for (const bool grey : {true, false})
        for (const BlendMode mode : {BlendMode::kPencil, BlendMode::kColorPencil})
            for (const bool shading : {false, true}) {
                SCOPED_TRACE(testing::Message()
                             << "grey " << grey << " mode " << int(mode) << " shading " << shading);
                Bitmap photo(23, 17, 8), wide, fromPalette, fromWide;
                PixBitmap& p = *photo.get();
                p.Colors = grey ? 256 : 200;  // indices past 200 read as black
                for (int i = 0; !grey && i < 256; ++i)
                    p.Palette[i] = RGBQUAD{uint8_t(i * 7), uint8_t(255 - i), uint8_t(i * 3), 0};
                for (int32_t y = 0; y < p.Height; ++y)
                    for (int32_t x = 0; x < p.Width; ++x)
                        PixRow(p, y)[x] = uint8_t((x * 37 + y * 11 + (x * y) % 13) % 256);
                ASSERT_EQ(P_CopyBitmap(wide.get(), &p, sizeof p), pix::kSuccess);
                ASSERT_EQ(P_ColorResBitmap(wide.get(), 24), pix::kSuccess);
                sketch::DrawingLook look;
                look.shading = shading;
                ASSERT_TRUE(DrawSketch(photo.ref(), mode, look, fromPalette.get()).ok());
                ASSERT_TRUE(DrawSketch(wide.ref(), mode, look, fromWide.get()).ok());
                ASSERT_EQ(fromPalette.ref().BitsPerPixel, 24);
                int wrong = 0;
                for (int32_t y = 0; y < p.Height; ++y)
                    for (int32_t x = 0; x < p.Width; ++x)
                        if (fromPalette.at(x, y) != fromWide.at(x, y) && wrong++ < 3)
                            ADD_FAILURE() << x << "," << y << ": " << fromPalette.at(x, y)
                                          << " want " << fromWide.at(x, y);
                EXPECT_EQ(wrong, 0);
            }
}

TEST(DrawSketch, APhotoUnderFourPixelsWideIsDrawnToItsEdges) {
    // Red 40 y: grey 12 y, so two picture rows apart differ by 24, an edge:
    // 255 - 24 = 231, blended 25 % with (0, 0, 40 y). The two bottom rows
    // (memory rows 0 and 1) reach below the picture: their blocks repeat the
    // bottom row and see at most 12, no edge: 255.
    Bitmap photo(3, 7, 24), view;
    for (int32_t y = 0; y < 7; ++y)
        for (int32_t x = 0; x < 3; ++x) photo.set(x, y, {0, 0, 40 * y});
    ASSERT_TRUE(DrawSketch(photo.ref(), BlendMode::kColorPencil, view.get()).ok());
    const Bgr expected[7] = {{173, 173, 173}, {173, 173, 183}, {173, 173, 193}, {173, 173, 203},
                             {173, 173, 213}, {191, 191, 241}, {191, 191, 251}};
    for (int32_t y = 0; y < 7; ++y)
        for (int32_t x = 0; x < 3; ++x) EXPECT_EQ(view.at(x, y), expected[y]) << x << "," << y;
}

TEST(DrawSketch, EmptyPhotoIsRefused) {
    Bitmap empty, view;
    const auto result = DrawSketch(empty.ref(), BlendMode::kPencil, view.get());
    EXPECT_EQ(result.message, "Imges empty");
    EXPECT_EQ(result.status, pix::kInvalidBitmap);
}

}  // namespace

namespace {

// A photo-like 97 x 61 picture: gradients, a bright sky, a dark corner and
// texture, so that every branch of both passes is met.
Bitmap GradientPhoto() {
    Bitmap photo(97, 61, 24);
    for (int32_t y = 0; y < 61; ++y)
        for (int32_t x = 0; x < 97; ++x) {
            const int v = y < 15 ? 255 : (x * 3 + y * 2 + (x * y) % 23) % 256;
            photo.set(x, y, {v, (v + x) % 256, x < 20 && y > 40 ? 8 : (v * 7) % 256});
        }
    return photo;
}

// FNV-1a over the drawing's rows.
uint64_t Digest(const Bitmap& b) {
    uint64_t h = 1469598103934665603ull;
    for (int32_t y = 0; y < b.ref().Height; ++y)
        for (int32_t x = 0; x < 3 * b.ref().Width; ++x) {
            h ^= PixRow(b.ref(), y)[x];
            h *= 1099511628211ull;
        }
    return h;
}

// FNV-1a over the pixels inside the frame that the drawing once had: picture
// rows 0 to height - 4 (memory rows 3 and up), columns 1 to width - 3.
uint64_t InteriorDigest(const Bitmap& b) {
    uint64_t h = 1469598103934665603ull;
    for (int32_t y = 0; y + 3 < b.ref().Height; ++y)
        for (int32_t x = 3; x < 3 * (b.ref().Width - 2); ++x) {
            h ^= PixRow(b.ref(), y)[x];
            h *= 1099511628211ull;
        }
    return h;
}

TEST(DrawSketch, DefaultsGiveTheDrawingOfBeforeAndNoFrame) {
    Bitmap photo = GradientPhoto(), pencil, color;
    ASSERT_TRUE(DrawSketch(photo.ref(), BlendMode::kPencil, pencil.get()).ok());
    ASSERT_TRUE(DrawSketch(photo.ref(), BlendMode::kColorPencil, color.get()).ok());
    // Inside the old frame: the digests of the drawings before the look became
    // adjustable and before the frame was drawn on.
    EXPECT_EQ(InteriorDigest(pencil), 11197955200956313330ull);
    EXPECT_EQ(InteriorDigest(color), 14563478931992568476ull);
    // The whole drawing, frame included.
    EXPECT_EQ(Digest(pencil), 408695312312477681ull);
    EXPECT_EQ(Digest(color), 15096140860690229601ull);
}

TEST(DrawSketch, TheDefaultLookIsTheWindowsDrawing) {
    Bitmap photo = GradientPhoto(), plain, looked, explicitTone;
    for (BlendMode mode : {BlendMode::kPencil, BlendMode::kColorPencil}) {
        ASSERT_TRUE(DrawSketch(photo.ref(), mode, plain.get()).ok());
        ASSERT_TRUE(DrawSketch(photo.ref(), mode, sketch::DrawingLook{}, looked.get()).ok());
        sketch::DrawingLook look;
        look.threshold = 14;
        look.tonePercent = mode == BlendMode::kPencil ? 20 : 25;
        ASSERT_TRUE(DrawSketch(photo.ref(), mode, look, explicitTone.get()).ok());
        EXPECT_EQ(Digest(looked), Digest(plain));
        EXPECT_EQ(Digest(explicitTone), Digest(plain));
    }
}

TEST(DrawSketch, ALowerThresholdDrawsMoreStrokes) {
    Bitmap photo = GradientPhoto(), usual, low, none;
    sketch::DrawingLook look;
    look.threshold = 255;
    ASSERT_TRUE(DrawSketch(photo.ref(), BlendMode::kPencil, look, none.get()).ok());
    // A stroke darkens its pixel below what the drawing without any stroke has.
    auto strokes = [&](const Bitmap& drawing) {
        int n = 0;
        for (int32_t y = 0; y < 61; ++y)
            for (int32_t x = 0; x < 97; ++x) n += drawing.at(x, y).g < none.at(x, y).g;
        return n;
    };
    ASSERT_TRUE(
        DrawSketch(photo.ref(), BlendMode::kPencil, sketch::DrawingLook{}, usual.get()).ok());
    look.threshold = 4;
    ASSERT_TRUE(DrawSketch(photo.ref(), BlendMode::kPencil, look, low.get()).ok());
    EXPECT_GT(strokes(usual), 500);
    EXPECT_GT(strokes(low), strokes(usual) + 200);
    // Without strokes there is only paper and 20 % of the photo, to the edges.
    for (int32_t y = 0; y < 61; ++y)
        for (int32_t x = 0; x < 97; ++x) EXPECT_GE(none.at(x, y).g, 204) << x << "," << y;
}

TEST(DrawSketch, MoreToneBringsThePixelsNearerThePhoto) {
    Bitmap photo = GradientPhoto(), grey;
    // The grey photo the pencil blend mixes in: the drawing at 100 %.
    sketch::DrawingLook look;
    look.tonePercent = 100;
    ASSERT_TRUE(DrawSketch(photo.ref(), BlendMode::kPencil, look, grey.get()).ok());
    auto distance = [&](int percent) {
        Bitmap drawing;
        sketch::DrawingLook l;
        l.tonePercent = percent;
        EXPECT_TRUE(DrawSketch(photo.ref(), BlendMode::kPencil, l, drawing.get()).ok());
        long sum = 0;
        for (int32_t y = 0; y < 61; ++y)
            for (int32_t x = 0; x < 97; ++x) sum += std::abs(drawing.at(x, y).g - grey.at(x, y).g);
        return sum;
    };
    const long at0 = distance(0), at20 = distance(20), at60 = distance(60), at100 = distance(100);
    EXPECT_GT(at0, at20);
    EXPECT_GT(at20, at60);
    EXPECT_GT(at60, at100);
    EXPECT_EQ(at100, 0);
}

// Left half white, right half dark grey with a faint texture.
Bitmap HalfDarkPhoto() {
    Bitmap photo(64, 40, 24);
    for (int32_t y = 0; y < 40; ++y)
        for (int32_t x = 0; x < 64; ++x)
            photo.set(x, y, x < 32 ? Grey(255) : Grey(40 + (x + y) % 3));
    return photo;
}

TEST(DrawSketch, ShadingDarkensDarkAreasAndLeavesPaperWhite) {
    Bitmap photo = HalfDarkPhoto(), plain, shaded, again;
    sketch::DrawingLook look;
    ASSERT_TRUE(DrawSketch(photo.ref(), BlendMode::kPencil, look, plain.get()).ok());
    look.shading = true;
    ASSERT_TRUE(DrawSketch(photo.ref(), BlendMode::kPencil, look, shaded.get()).ok());
    ASSERT_TRUE(DrawSketch(photo.ref(), BlendMode::kPencil, look, again.get()).ok());
    EXPECT_EQ(Digest(shaded), Digest(again));  // the texture is the same every time
    long plainDark = 0, shadedDark = 0;
    int lighter = 0, levels = 0;
    std::vector<bool> seen(256);
    for (int32_t y = 0; y < 40; ++y) {
        // Paper stays exactly as the plain drawing has it.
        for (int32_t x = 0; x < 30; ++x)
            EXPECT_EQ(shaded.at(x, y), plain.at(x, y)) << x << "," << y;
        for (int32_t x = 34; x < 64; ++x) {
            plainDark += plain.at(x, y).g;
            shadedDark += shaded.at(x, y).g;
            lighter += shaded.at(x, y).g > plain.at(x, y).g;
            if (!seen[size_t(shaded.at(x, y).g)]) ++levels, seen[size_t(shaded.at(x, y).g)] = true;
        }
    }
    EXPECT_EQ(lighter, 0);
    // Markedly darker on average, and drawn in strokes rather than a flat grey.
    EXPECT_LT(shadedDark * 10, plainDark * 7);
    EXPECT_GT(levels, 20);
    // The dark half is shaded to its edges: the two right columns and the
    // three bottom rows darken as the rest does.
    int edge = 0, darkerAtEdge = 0;
    for (int32_t y = 0; y < 40; ++y)
        for (int32_t x = 34; x < 64; ++x)
            if (y >= 37 || x >= 62) {
                ++edge;
                darkerAtEdge += shaded.at(x, y).g < plain.at(x, y).g;
            }
    EXPECT_EQ(darkerAtEdge, edge);
}

TEST(DrawSketch, ShadingTintsAColorPencilDrawingWithoutChangingItsHue) {
    Bitmap photo = HalfDarkPhoto(), shaded;
    for (int32_t y = 0; y < 40; ++y)
        for (int32_t x = 32; x < 64; ++x) photo.set(x, y, {20, 40, 90});
    sketch::DrawingLook look;
    look.shading = true;
    ASSERT_TRUE(DrawSketch(photo.ref(), BlendMode::kColorPencil, look, shaded.get()).ok());
    for (int32_t y = 0; y < 40; ++y)
        for (int32_t x = 34; x < 64; ++x) {
            const Bgr p = shaded.at(x, y);
            EXPECT_LE(p.b, p.g);
            EXPECT_LE(p.g, p.r);
        }
}

// Flat grey bands, 64 rows each, shaded: inside each band (its first and last
// row of blocks hold the line between bands) the 16 x 16 block means differ by
// at most 5 levels, so the texture lays no blotches over flat areas.
TEST(DrawSketch, ShadingIsEvenOverFlatBands) {
    constexpr int kBands[] = {50, 100, 150, 200};
    Bitmap photo(256, 256, 24), shaded;
    for (int32_t y = 0; y < 256; ++y)
        for (int32_t x = 0; x < 256; ++x) photo.set(x, y, Grey(kBands[y / 64]));
    sketch::DrawingLook look;
    look.shading = true;
    ASSERT_TRUE(DrawSketch(photo.ref(), BlendMode::kPencil, look, shaded.get()).ok());
    for (int band = 0; band < 4; ++band) {
        SCOPED_TRACE("grey " + std::to_string(kBands[band]));
        double lo = 255, hi = 0;
        for (int32_t by = band * 64 + 16; by < band * 64 + 48; by += 16)
            for (int32_t bx = 0; bx < 256; bx += 16) {
                long sum = 0;
                for (int32_t y = by; y < by + 16; ++y)
                    for (int32_t x = bx; x < bx + 16; ++x) sum += shaded.at(x, y).g;
                lo = std::min(lo, sum / 256.0), hi = std::max(hi, sum / 256.0);
            }
        EXPECT_LE(hi - lo, 5.0);
        // Shaded: darker than the plain drawing's 0.2 grey + 0.8 white.
        EXPECT_LT(hi, (kBands[band] + 4 * 255) / 5.0 - 10);
    }
}

// A smooth light area (grey 235 with a faint ripple) is white paper with
// shading, in both modes, while the plain drawing keeps some of its grey.
TEST(DrawSketch, ShadingLeavesLightSmoothAreasPaperWhite) {
    Bitmap photo(64, 40, 24);
    for (int32_t y = 0; y < 40; ++y)
        for (int32_t x = 0; x < 64; ++x)
            photo.set(x, y, x < 32 ? Grey(235 + (x + y) % 3) : Grey(60));
    for (const BlendMode mode : {BlendMode::kPencil, BlendMode::kColorPencil}) {
        Bitmap shaded;
        sketch::DrawingLook look;
        look.shading = true;
        ASSERT_TRUE(DrawSketch(photo.ref(), mode, look, shaded.get()).ok());
        for (int32_t y = 0; y < 40; ++y)
            for (int32_t x = 0; x < 30; ++x) {
                const Bgr p = shaded.at(x, y);
                ASSERT_TRUE(p.b == 255 && p.g == 255 && p.r == 255)
                    << int(mode) << " " << x << "," << y << ": " << int(p.r) << " " << int(p.g)
                    << " " << int(p.b);
            }
    }
}

// With colour pencil a red patch stays red under the shading: its chroma is
// the photo's own, not dulled towards grey.
TEST(DrawSketch, ShadingKeepsThePhotosColour) {
    Bitmap photo(64, 40, 24), shaded;
    for (int32_t y = 0; y < 40; ++y)
        for (int32_t x = 0; x < 64; ++x) photo.set(x, y, x < 32 ? Grey(128) : Bgr{39, 43, 156});
    sketch::DrawingLook look;
    look.shading = true;
    ASSERT_TRUE(DrawSketch(photo.ref(), BlendMode::kColorPencil, look, shaded.get()).ok());
    // The photo's chroma (red less the smaller of green and blue) is 117:
    // every pixel keeps at least half of it and the patch nearly all.
    long chroma = 0, pixels = 0;
    for (int32_t y = 0; y < 38; ++y)
        for (int32_t x = 34; x < 62; ++x) {
            const Bgr p = shaded.at(x, y);
            EXPECT_GE(p.r - std::max(p.g, p.b), 59) << x << "," << y;
            EXPECT_GT(p.g, p.b);
            chroma += p.r - std::min(p.g, p.b), ++pixels;
        }
    EXPECT_GE(chroma, 110 * pixels);
}

}  // namespace
