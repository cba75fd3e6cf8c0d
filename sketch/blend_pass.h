// SPDX-License-Identifier: GPL-3.0-or-later
// The blend pass: mixes a photo's DIB into a view's DIB with the photo's weight
// in whole percent (20 for pencil, 25 for colour pencil unless asked otherwise).
#pragma once

#include <cstddef>
#include <cstdint>

#include "sketch/dib_rows.h"

namespace sketch {

// Pencil: 20 % grey photo; colour pencil: 25 % colour photo.
enum class BlendMode { kPencil, kColorPencil };

// The photo's weight w (0.2 as the nearest double, or 0.25).
double PhotoWeight(BlendMode mode);

// The same weight in percent: 20 or 25.
constexpr int DefaultTonePercent(BlendMode mode) {
    return mode == BlendMode::kColorPencil ? 25 : 20;
}
constexpr int kMinTonePercent = 0;
constexpr int kMaxTonePercent = 100;

// For each byte of the width x height picture:
// view := round(w x work + (1 - w) x view), halves to even. The result equals
// that formula in double precision for every pair of bytes. `width` and
// `height` are clamped to the size of both DIBs; everything else in the view,
// row padding included, is untouched, and the work DIB is only read. Returns
// false, changing nothing, when either block does not hold a consistent 24-bit
// DIB.
bool BlendPass(const uint8_t* workDib, size_t workSize, uint8_t* viewDib, size_t viewSize,
               int32_t width, int32_t height, BlendMode mode);

// The same on rows reached directly; `work` is only read. Always true.
bool BlendPass(const DibRows& work, const DibRows& view, int32_t width, int32_t height,
               BlendMode mode);

// With the photo's weight w = percent / 100 (clamped to 0..100):
// view := round(w x work + (1 - w) x view) in exact arithmetic, halves to
// even. 20 and 25 give the pencil and colour pencil blends above byte for
// byte; 0 leaves the view as it is and 100 copies the photo. Always true.
bool BlendPass(const DibRows& work, const DibRows& view, int32_t width, int32_t height,
               int tonePercent);

}  // namespace sketch
