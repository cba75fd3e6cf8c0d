// SPDX-License-Identifier: GPL-3.0-or-later
// The retouch that the brightness and sharpen dialogs apply on OK, and that
// strakel-sketch applies to its drawings: the same integer arithmetic for both,
// so that the window and the command line give the same pixels.
#pragma once

#include <cstdint>

#include "imaging/engine/pix_bitmap.h"

namespace pix {
// The values the dialogs offer and the operations accept.
constexpr int32_t kBrightnessMin = -1000;
constexpr int32_t kBrightnessMax = 1000;
constexpr int32_t kSharpenMin = 0;
constexpr int32_t kSharpenMax = 1000;

// True for the bitmaps the retouch works on: 24-bit, or 8-bit whose palette is
// the grey ramp (entry i is grey i), so that an index is its grey value.
bool IsRetouchable(const PixBitmap* bitmap);
}  // namespace pix

// Both operations change the bitmap in place, all at once: they report no
// progress and cannot be stopped half-way. A bitmap without pixels gives -2, an
// 8-bit bitmap with any other palette than the grey ramp -27, a value outside
// its range -13; the bitmap is then unchanged.

// Brightness change c: every channel v becomes v x (1000 + c) / 1000, rounded
// and clamped, as P_ChangeBitmapIntensity computes it. On an 8-bit grey bitmap
// the indices change and the palette stays the ramp.
int32_t P_ChangeBitmapBrightness(PixBitmap* bitmap, int32_t change);

// Sharpen amount a: every channel v of every pixel becomes
// v + (v - m) x a / 100, rounded half away from zero and clamped to 0..255,
// where m is the exact mean of the channel over the pixel's 3 x 3
// neighbourhood (outside the picture the nearest edge pixel repeats). 0 changes
// nothing.
int32_t P_SharpenBitmap(PixBitmap* bitmap, int32_t amount);
