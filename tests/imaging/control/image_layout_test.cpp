// SPDX-License-Identifier: GPL-3.0-or-later
// The image control's layout arithmetic: for a bitmap extent, a client size
// and the size-mode settings, the zoom factors, rectangles, scroll positions
// and ranges, centring, the size AutoSize asks for, and the paint placement.
#include "imaging/control/layout/image_layout.h"

#include <gtest/gtest.h>

#include <optional>
#include <ostream>

std::ostream& operator<<(std::ostream& out, const PixRect& r) {
    return out << "{" << r.Left << ", " << r.Top << ", " << r.Width << ", " << r.Height << "}";
}
std::ostream& operator<<(std::ostream& out, const PixSize& s) {
    return out << s.Width << " x " << s.Height;
}

namespace {

constexpr int32_t kNoZoom = -1;

// What the control sets before the layout step: its settings, and scroll
// positions from before (as a scroll bar leaves them).
struct Given {
    PixSize bitmap;
    PixSize client;
    TPaintSizeMode mode;
    int32_t zoomPercent = kNoZoom;  // else SetZoomPercent, which means smZoom
    int32_t frame = 0;
    bool center = false;
    bool autoSize = false;
    PixSize scroll{};
};

// What the layout step gives; the clip rectangle and the painted destination
// equal the destination in every case.
struct Expect {
    double zoomX;
    double zoomY;
    PixRect dest;
    int32_t hRange = 0;
    int32_t vRange = 0;
    PixSize scroll{};
    std::optional<PixSize> wanted{};
};

struct Case {
    const char* name;
    Given given;
    Expect expect;
};

constexpr double kFit1024 = 489.0 / 1024.0;  // 0.4775390625 exactly

const Case kCases[] = {
    {"fit landscape", {{1024, 768}, {489, 425}, smFit}, {kFit1024, kFit1024, {0, 0, 489, 367}}},
    // 512 x 0.4775390625 = 244.5 exactly: the tie goes to the even 244.
    {"fit tie to even", {{1024, 512}, {489, 425}, smFit}, {kFit1024, kFit1024, {0, 0, 489, 244}}},
    // 425 / 600 lies slightly above the fraction, so 300 x it rounds up.
    {"fit tall", {{300, 600}, {489, 425}, smFit}, {425.0 / 600, 425.0 / 600, {0, 0, 213, 425}}},
    {"fit enlarges", {{163, 100}, {489, 425}, smFit}, {3.0, 3.0, {0, 0, 489, 300}}},
    // Inner area 479 x 415: 768 x 479 / 1024 = 359.25.
    {"fit inside a frame",
     {{1024, 768}, {489, 425}, smFit, kNoZoom, 5},
     {479.0 / 1024, 479.0 / 1024, {0, 0, 479, 359}}},
    {"fit without a bitmap", {{0, 0}, {489, 425}, smFit}, {1.0, 1.0, {0, 0, 0, 0}}},
    {"normal", {{200, 100}, {489, 425}, smNormal}, {1.0, 1.0, {0, 0, 200, 100}}},
    // The vertical position is clamped into its range.
    {"normal larger than the view scrolls",
     {{1000, 600}, {489, 425}, smNormal, kNoZoom, 0, false, false, {100, 500}},
     {1.0, 1.0, {-100, -175, 1000, 600}, 511, 175, {100, 175}}},
    {"zoom 50", {{200, 100}, {489, 425}, smZoom, 50}, {0.5, 0.5, {0, 0, 100, 50}}},
    {"zoom 400 opens a scroll range",
     {{200, 100}, {489, 425}, smZoom, 400, 0, false, false, {400, 30}},
     {4.0, 4.0, {-311, 0, 800, 400}, 311, 0, {311, 0}}},
    {"zoom 0 leaves one pixel", {{200, 100}, {489, 425}, smZoom, 0}, {0.0, 0.0, {0, 0, 1, 1}}},
    {"stretch", {{200, 100}, {400, 300}, smStretch}, {2.0, 3.0, {0, 0, 400, 300}}},
    {"fit sides follows the width",
     {{100, 200}, {400, 300}, smFitSides},
     {4.0, 4.0, {0, 0, 400, 800}, 0, 500}},
    // Left: 489 / 2 - 201 / 2 = 244 - 100; top: trunc(424 / 2 - 101 / 2) = trunc(161.5).
    {"centred",
     {{201, 101}, {489, 424}, smNormal, kNoZoom, 0, true},
     {1.0, 1.0, {144, 161, 201, 101}}},
    // Wider than the view: the scrolled left stays, only the top is centred.
    {"centred only where it is smaller",
     {{1000, 100}, {489, 424}, smNormal, kNoZoom, 0, true, false, {50, 0}},
     {1.0, 1.0, {-50, 162, 1000, 100}, 511, 0, {50, 0}}},
    // AutoSize leaves the destination's origin alone.
    {"auto size asks for the destination and frame",
     {{200, 100}, {489, 425}, smZoom, 50, 2, false, true},
     {0.5, 0.5, {0, 0, 100, 50}, 0, 0, {}, PixSize{104, 54}}},
};

// The layout as the control sets it up for a case, arranged once with the
// client taking the size AutoSize asks for.
ImageLayout Arranged(const Given& c, std::optional<PixSize>* wanted) {
    ImageLayout layout;
    layout.frameWidth = c.frame;
    layout.centerImage = c.center;
    layout.autoSize = c.autoSize;
    layout.SetBitmapExtent(c.bitmap.Width, c.bitmap.Height);
    if (c.zoomPercent != kNoZoom) {
        layout.SetZoomPercent(c.zoomPercent);
    } else {
        layout.SetPaintSizeMode(c.mode);
    }
    layout.scrollX = c.scroll.Width;
    layout.scrollY = c.scroll.Height;
    *wanted = layout.Arrange(true, c.client, true);
    layout.Center(wanted->value_or(c.client));
    return layout;
}

}  // namespace

TEST(ImageLayout, TableOfSizeModes) {
    for (const Case& c : kCases) {
        SCOPED_TRACE(c.name);
        const Given& in = c.given;
        const Expect& out = c.expect;
        std::optional<PixSize> wanted;
        const ImageLayout layout = Arranged(in, &wanted);
        EXPECT_EQ(layout.paintSizeMode, in.mode);
        EXPECT_EQ(layout.zoomX, out.zoomX);
        EXPECT_EQ(layout.zoomY, out.zoomY);
        EXPECT_EQ(layout.destRect, out.dest);
        EXPECT_EQ(layout.paintClipRect, out.dest);
        EXPECT_EQ(layout.paintedDest, out.dest);
        EXPECT_EQ(layout.sourceRect, (PixRect{0, 0, in.bitmap.Width, in.bitmap.Height}));
        EXPECT_EQ(layout.sourceClipRect, layout.sourceRect);
        EXPECT_EQ(layout.hScrollRange, out.hRange);
        EXPECT_EQ(layout.vScrollRange, out.vRange);
        EXPECT_EQ(layout.scrollX, out.scroll.Width);
        EXPECT_EQ(layout.scrollY, out.scroll.Height);
        EXPECT_EQ(wanted, out.wanted);
    }
}

TEST(ImageLayout, ScaleExtentRoundsHalvesToEven) {
    EXPECT_EQ(ImageLayout::ScaleExtent(5, 0.5), 2);
    EXPECT_EQ(ImageLayout::ScaleExtent(7, 0.5), 4);
    EXPECT_EQ(ImageLayout::ScaleExtent(9, -2.0), 3);   // 9 / (1 + 2)
    EXPECT_EQ(ImageLayout::ScaleExtent(10, -3.0), 2);  // 2.5 to even
    EXPECT_EQ(ImageLayout::ScaleExtent(9, 0.0), 1);
}

TEST(ImageLayout, ZoomPercentReadsTheSmallerFactorOnlyWhenStretched) {
    ImageLayout layout;
    layout.SetBitmapExtent(200, 100);
    layout.SetPaintSizeMode(smStretch);
    layout.Arrange(true, {400, 300}, true);
    EXPECT_EQ(layout.ZoomPercent(), 200);
    layout.SetPaintSizeMode(smFitSides);
    layout.Arrange(true, {400, 300}, true);
    EXPECT_EQ(layout.ZoomPercent(), 200);
    layout.SetZoomPercent(37);
    EXPECT_EQ(layout.ZoomPercent(), 37);
}

TEST(ImageLayout, NormalModeReturnsToTheOriginAtFullSize) {
    ImageLayout layout;
    layout.SetBitmapExtent(200, 100);
    layout.SetZoomPercent(400);
    layout.scrollX = 200;
    layout.Arrange(true, {489, 425}, true);
    ASSERT_EQ(layout.destRect, (PixRect{-200, 0, 800, 400}));
    layout.SetPaintSizeMode(smNormal);
    EXPECT_EQ(layout.zoomX, 1.0);
    EXPECT_EQ(layout.zoomY, 1.0);
    EXPECT_EQ(layout.scrollX, 0);
    EXPECT_EQ(layout.destRect.Width, 200);
    EXPECT_EQ(layout.destRect.Height, 100);
    layout.Arrange(true, {489, 425}, true);
    EXPECT_EQ(layout.destRect, (PixRect{0, 0, 200, 100}));
    EXPECT_EQ(layout.hScrollRange, 0);
}

TEST(ImageLayout, WithoutAutoSetRectsTheProgramKeepsItsRectangles) {
    ImageLayout layout;
    layout.SetBitmapExtent(200, 100);
    layout.autoSetRects = false;
    layout.sourceRect = PixRect{10, 10, 50, 50};
    layout.destRect = PixRect{0, 0, 300, 30};
    layout.paintClipRect = PixRect{5, 5, 20, 20};
    layout.scrollX = 7;
    layout.SetBitmapExtent(400, 300);
    layout.SetPaintSizeMode(smFit);
    layout.Arrange(true, {100, 100}, true);
    EXPECT_EQ(layout.bitmapWidth, 400);
    EXPECT_EQ(layout.sourceRect, (PixRect{10, 10, 50, 50}));
    EXPECT_EQ(layout.paintClipRect, (PixRect{5, 5, 20, 20}));
    // Only the scroll range, position and origin follow the fixed destination.
    EXPECT_EQ(layout.hScrollRange, 200);
    EXPECT_EQ(layout.scrollX, 7);
    EXPECT_EQ(layout.destRect, (PixRect{-7, 0, 300, 30}));
}

TEST(ImageLayout, PaintPlacementIsInClientCoordinates) {
    ImageLayout layout;
    layout.frameWidth = 3;
    layout.SetBitmapExtent(200, 100);
    layout.SetZoomPercent(400);
    layout.Arrange(true, {489, 425}, true);
    // Scrolled after the layout, as a scroll bar would: the paint follows.
    layout.scrollX = 300;
    const ImageLayout::PaintPlacement placement = layout.PlaceForPaint();
    EXPECT_EQ(layout.destRect, (PixRect{-300, 0, 800, 400}));
    EXPECT_EQ(placement.dest, (PixRect{-297, 3, 800, 400}));
    EXPECT_EQ(layout.paintedDest, placement.dest);
    // The clip rectangle from the layout (at scroll 0), grown by the scroll.
    EXPECT_EQ(placement.area, (PixRect{3, 3, 1100, 400}));
}

TEST(ImageLayout, PaintKeepsACentredOrigin) {
    ImageLayout layout;
    layout.centerImage = true;
    layout.SetBitmapExtent(200, 100);
    layout.Arrange(true, {400, 300}, true);
    layout.Center({400, 300});
    ASSERT_EQ(layout.destRect, (PixRect{100, 100, 200, 100}));
    EXPECT_EQ(layout.PlaceForPaint().dest, (PixRect{100, 100, 200, 100}));
}
