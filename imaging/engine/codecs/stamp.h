// SPDX-License-Identifier: GPL-3.0-or-later
// Makes the stamp (thumbnail) a save embeds: the picture scaled down by area
// averaging to fit a box with its aspect kept, at 8-bit grey or 24 bits.
#pragma once

#include <cstdint>

#include "imaging/engine/pix_bitmap.h"

namespace pix {

// Largest side of a stamp box.
constexpr int32_t kMaxStampSide = 1024;

// Fills `out` (empty on entry, owned by the caller afterwards). A picture
// smaller than the box keeps its size. bits: 8 grey, 24 colour, 0 the
// picture's own (24 for an 8-bit picture that is not grey). -11 for a box side
// outside 1 to kMaxStampSide, -27 for other bits, -1 when memory is short.
int32_t MakeStamp(const PixBitmap& source, int32_t boxWidth, int32_t boxHeight, int32_t bits,
                  PixBitmap* out);

}  // namespace pix
