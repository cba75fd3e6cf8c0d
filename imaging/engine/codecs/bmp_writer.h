// Encodes an 8- or 24-bit engine bitmap as an uncompressed Windows bitmap
// file: 40-byte header, palette for 8 bits, bottom-up rows padded to 4 bytes.
#pragma once

#include <cstdint>
#include <vector>

#include "imaging/engine/pix_bitmap.h"

namespace pix {
// -2 for a bitmap without pixels, -27 for another depth.
int32_t EncodeBmp(const PixBitmap& bitmap, std::vector<uint8_t>* out);
}  // namespace pix
