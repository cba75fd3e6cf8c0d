// SPDX-License-Identifier: GPL-3.0-or-later
// Colour operations that change an engine bitmap in place: saturation,
// intensity, inversion, and the change of a palette bitmap to 24 bits.
#pragma once

#include <array>
#include <cstdint>

#include "imaging/engine/pix_bitmap.h"

// Each operation works on the palette of an 8-bit bitmap and on the pixels of a
// 24-bit one, reports progress through the status callback after each band of
// rows, and stops with -29 (user abort) when the callback asks it to; the
// bitmap is then partly changed and the caller restores it. A bitmap without
// pixels gives -2.

// Moves each channel v toward or away from the pixel's grey
// g = (299 R + 587 G + 114 B + 500) / 1000: g + (v - g) x (1000 + change) / 1000,
// rounded to nearest (halves away from zero) and clamped to 0..255. -1000
// leaves red = green = blue = g; 0 changes nothing.
int32_t P_ChangeBitmapSaturation(PixBitmap* bitmap, int32_t change);

// Scales each channel: v x (1000 + change) / 1000, rounded to nearest and
// clamped to 0..255; 0 changes nothing.
int32_t P_ChangeBitmapIntensity(PixBitmap* bitmap, int32_t change);

namespace pix {
// The channel values that P_ChangeBitmapIntensity gives for `change`, indexed
// by the old value; the brightness retouch uses the same table.
std::array<uint8_t, 256> IntensityMap(int32_t change);

// Rows `first` to `end` (exclusive) of the 8-bit bitmap `from` into the 24-bit
// bitmap `to` of the same width, through the first `entries` colours of the
// palette (other indices read as black). Both must hold those rows.
void PaletteRowsToBgr(const PixBitmap& from, int32_t entries, PixBitmap* to, int32_t first,
                      int32_t end);
}  // namespace pix

// Replaces each channel v by 255 - v.
int32_t P_InvertBitmap(PixBitmap* bitmap);

// Converts an 8-bit bitmap to 24-bit blue-green-red through its palette, with
// new pixel memory (the old memory is freed; a bitmap kept in a list is written
// back with P_SetBitmapListItem). A bitmap already of the asked depth is left as
// it is. Only 24 is accepted as a new depth for an 8-bit bitmap (-16 otherwise);
// -1 when memory is short. When stopped by the callback the bitmap is unchanged.
int32_t P_ColorResBitmap(PixBitmap* bitmap, int32_t bitsPerPixel);
