// Encodes an 8- or 24-bit engine bitmap as PNG with libpng: a grey-ramp
// bitmap as 8-bit grey, another 8-bit bitmap with its palette, 24 bits as RGB.
#pragma once

#include <cstdint>
#include <vector>

#include "imaging/engine/pix_bitmap.h"

namespace pix {
// -2 for a bitmap without pixels, -27 for another depth, -1 when libpng fails.
int32_t EncodePng(const PixBitmap& bitmap, std::vector<uint8_t>* out);
}  // namespace pix
