// Encodes an 8-bit grey or 24-bit engine bitmap as baseline or progressive
// JPEG with libjpeg; colour keeps full-resolution chroma from quality 90 up.
#pragma once

#include <cstdint>
#include <vector>

#include "imaging/engine/pix_bitmap.h"

namespace pix {
// `quality` is libjpeg's (1 to 100). -2 for a bitmap without pixels, -27 for
// another depth or an 8-bit bitmap whose palette is not the grey ramp, -1
// when libjpeg fails.
int32_t EncodeJpeg(const PixBitmap& bitmap, int quality, bool progressive,
                   std::vector<uint8_t>* out);
}  // namespace pix
