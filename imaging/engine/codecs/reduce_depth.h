// SPDX-License-Identifier: GPL-3.0-or-later
// Reduces a picture to palette indices for saving at 8, 4 or 1 bits per pixel:
// grey pictures to evenly spaced grey levels, colour pictures to a palette
// made for them by median cut; both diffuse the rounding error (Floyd and
// Steinberg) unless the picture's own colours fit, which are then kept exactly.
#pragma once

#include <cstdint>

#include "imaging/engine/pix_bitmap.h"

namespace pix {

// Whether every pixel of the bitmap is grey (red = green = blue).
bool IsGreyPicture(const PixBitmap& bitmap);

// Fills `out` (empty on entry, owned by the caller afterwards) with an 8-bit
// bitmap of `source` (8 or 24 bits) whose indices are below 2^bits (bits 1,
// 4 or 8); out->Colors holds 2^bits, the entries of the palette in use, the
// rest of the palette is black. An 8-bit source whose indices already fit is
// copied; an 8-bit grey picture reduced to 8 bits keeps its grey ramp. -1 when
// memory is short, -27 for another depth.
int32_t ReduceToPalette(const PixBitmap& source, int32_t bits, PixBitmap* out);

}  // namespace pix
