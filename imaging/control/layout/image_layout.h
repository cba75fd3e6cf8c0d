// SPDX-License-Identifier: GPL-3.0-or-later
// Where the image control puts its bitmap: zoom factors, source, destination
// and clip rectangles, scroll positions and ranges for each size mode, and
// centring. Plain values without widgets, so that the arithmetic is the same
// for every caller and testable on its own.
#pragma once

#include <cstdint>
#include <optional>

enum TPaintSizeMode { smNormal = 0, smStretch = 1, smFitSides = 2, smFit = 3, smZoom = 4 };

// A rectangle as left, top, width, height.
struct PixRect {
    int32_t Left = 0;
    int32_t Top = 0;
    int32_t Width = 0;
    int32_t Height = 0;
    bool operator==(const PixRect&) const = default;
};

struct PixSize {
    int32_t Width = 0;
    int32_t Height = 0;
    bool operator==(const PixSize&) const = default;
};

struct ImageLayout {
    // Settings, as the control's properties of the same names.
    TPaintSizeMode paintSizeMode = smNormal;
    bool autoSetRects = true;
    bool autoScroll = true;
    bool autoSize = false;
    bool centerImage = false;
    int32_t frameWidth = 0;

    // The bitmap's extent as shown on screen.
    int32_t bitmapWidth = 0;
    int32_t bitmapHeight = 0;

    // Results. The destination is relative to the inner client area (the
    // client area less the frame on every side); the painted destination is
    // the destination in client coordinates.
    double zoomX = 1.0;
    double zoomY = 1.0;
    PixRect sourceRect;
    PixRect sourceClipRect;
    PixRect destRect;
    PixRect paintClipRect;
    PixRect paintedDest;
    int32_t scrollX = 0;
    int32_t scrollY = 0;
    int32_t hScrollRange = 0;
    int32_t vScrollRange = 0;

    // Destination extent for a bitmap extent n at zoom z: round(n x z) for
    // z > 0, round(n / (1 - z)) for z < 0, 1 for z = 0, formed in extended
    // precision with halves to the even neighbour.
    static int32_t ScaleExtent(int32_t n, double z);

    // A new bitmap extent. With autoSetRects the view scrolls back to the
    // origin and both source rectangles cover the whole bitmap; the caller
    // then arranges the layout again.
    void SetBitmapExtent(int32_t width, int32_t height);
    // smNormal also scrolls back to the origin, sets both zoom factors to 1 and
    // the destination to the bitmap's extent.
    void SetPaintSizeMode(TPaintSizeMode mode);
    // Both zoom factors from a percentage (not negative), in smZoom.
    void SetZoomPercent(int32_t percent);
    // ZoomX as a rounded percentage; in smStretch the smaller factor.
    int32_t ZoomPercent() const;
    // After a load the destination and clip rectangles start at the origin.
    void ResetOrigin();

    // The layout step for a client area of `client`: the destination's size
    // (when `recompute` and autoSetRects), scroll ranges and clamped
    // positions, the destination's origin and the clip rectangle. With
    // autoSize and an image, returns the client size the control must take.
    std::optional<PixSize> Arrange(bool recompute, PixSize client, bool hasImage);
    // With centerImage, centres a destination narrower or lower than the
    // client area as it stands after Arrange.
    void Center(PixSize client);

    // The rectangles of one paint, in client coordinates.
    struct PaintPlacement {
        // The clip rectangle grown by the scroll position, not yet limited to
        // the client area.
        PixRect area;
        PixRect dest;
    };
    // Before a paint the destination follows the scroll position (with
    // autoScroll, unless autoSize or centring placed it); the placement is
    // recorded as the painted destination.
    PaintPlacement PlaceForPaint();

private:
    void ComputeDestination(int32_t innerWidth, int32_t innerHeight);
};
