// Encodes an 8-bit (grey or palette) or 24-bit engine bitmap as a TIFF file
// with libtiff: uncompressed, LZW or Deflate.
#pragma once

#include <cstdint>
#include <vector>

#include "imaging/engine/pix_bitmap.h"

namespace pix {
enum class TiffCompression { kNone, kLzw, kDeflate };
// -2 for a bitmap without pixels, -27 for another depth, -1 when libtiff fails.
int32_t EncodeTiff(const PixBitmap& bitmap, TiffCompression compression, std::vector<uint8_t>* out);
}  // namespace pix
