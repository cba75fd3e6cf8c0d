// SPDX-License-Identifier: GPL-3.0-or-later
// Encodes an engine bitmap as a Windows bitmap file: 40-byte header, bottom-up
// rows padded to 4 bytes; 24 bits, or palette indices packed at 1, 4 or 8 bits
// with a palette of 2^bits entries, and 8 bits optionally run-length encoded
// (RLE8).
#pragma once

#include <cstdint>
#include <vector>

#include "imaging/engine/pix_bitmap.h"

namespace pix {
// `bits` 0 is the bitmap's own depth; below 8 the 8-bit bitmap's indices must
// be below 2^bits (codecs/reduce_depth.h). -2 for a bitmap without pixels,
// -27 for a depth it cannot have, -23 for run-length encoding other than at 8
// bits.
int32_t EncodeBmp(const PixBitmap& bitmap, std::vector<uint8_t>* out, int32_t bits = 0,
                  bool rle = false);
}  // namespace pix
