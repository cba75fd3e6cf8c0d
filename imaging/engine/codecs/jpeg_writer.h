// SPDX-License-Identifier: GPL-3.0-or-later
// Encodes an 8-bit grey or 24-bit engine bitmap as baseline or progressive
// JPEG with libjpeg; colour keeps full-resolution chroma from quality 90 up;
// optionally with an EXIF thumbnail.
#pragma once

#include <cstdint>
#include <vector>

#include "imaging/engine/pix_bitmap.h"

namespace pix {
// `quality` is libjpeg's (1 to 100). -2 for a bitmap without pixels, -27 for
// another depth or an 8-bit bitmap whose palette is not the grey ramp, -1
// when libjpeg fails. `thumbnail`, when given (8-bit grey or 24 bits), goes
// into an EXIF segment as a baseline JPEG at up to quality 90, lower if that
// is what it takes to fit the segment; -11 when even quality 25 does not.
int32_t EncodeJpeg(const PixBitmap& bitmap, int quality, bool progressive,
                   std::vector<uint8_t>* out, const PixBitmap* thumbnail = nullptr);
}  // namespace pix
