// SPDX-License-Identifier: GPL-3.0-or-later
// Encodes an 8-bit grey or 24-bit engine bitmap as an SGI image file, one byte
// per sample, verbatim or run-length encoded.
#pragma once

#include <cstdint>
#include <vector>

#include "imaging/engine/pix_bitmap.h"

namespace pix {
// -2 for a bitmap without pixels, -27 for another depth or an 8-bit bitmap
// whose palette is not the grey ramp, -11 for a side over 65535.
int32_t EncodeSgi(const PixBitmap& bitmap, bool rle, std::vector<uint8_t>* out);
}  // namespace pix
