// SPDX-License-Identifier: GPL-3.0-or-later
// The sketch pass: turns a grey photo held in a 24-bit DIB into its edge image,
// in place.
#pragma once

#include <cstddef>
#include <cstdint>

#include "sketch/dib_rows.h"

namespace sketch {

// A pixel is an edge when one of its channel differences exceeds the threshold:
// 14 by default, any of 0 to 255 on request (255 leaves no edge at all).
constexpr int kEdgeThreshold = 14;
constexpr int kMinEdgeThreshold = 0;
constexpr int kMaxEdgeThreshold = 255;

// Replaces every pixel of the width x height picture in `dib` (the whole
// block, `dibSize` bytes) by the largest of four differences per channel
// within the 3 x 3 block that has the pixel as its corner in the highest row
// and lowest column, or by 0 where no channel's difference exceeds `threshold`
// (clamped to 0..255) or where the pixel's red byte is 255 (white stays white
// paper after inversion). Where that block reaches past the picture, below
// memory row 0 or right of the last column, it repeats the nearest edge pixel.
// `width` and `height` are clamped to the DIB's own size; row padding is never
// touched. Returns false, changing nothing, when the block does not hold a
// consistent 24-bit DIB.
bool SketchPass(uint8_t* dib, size_t dibSize, int32_t width, int32_t height,
                int threshold = kEdgeThreshold);

// The same on rows reached directly. Always true.
bool SketchPass(const DibRows& rows, int32_t width, int32_t height, int threshold = kEdgeThreshold);

}  // namespace sketch
