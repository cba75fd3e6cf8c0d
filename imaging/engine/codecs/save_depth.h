// SPDX-License-Identifier: GPL-3.0-or-later
// Brings a bitmap to the depth a file is saved at: palette pictures to 24 bits
// or to grey, 24-bit pictures to grey.
#pragma once

#include <cstdint>

#include "imaging/engine/pix_bitmap.h"

namespace pix {

// Whether an 8-bit bitmap's palette is the grey ramp (entry i is grey i).
bool HasGreyRamp(const PixBitmap& bitmap);

// Fills `out` (empty on entry, owned by the caller afterwards) with `source` at
// `bits` per pixel: 8 -> 24 through the palette; 24 -> 8 or a palette
// picture -> 8 with `grey` as grey by luma (0.299 R + 0.587 G + 0.114 B,
// rounded) and a grey-ramp palette. -1 when memory is short, -27 for a depth
// other than 8 or 24.
int32_t ConvertForSave(const PixBitmap& source, int32_t bits, bool grey, PixBitmap* out);

}  // namespace pix
