// SPDX-License-Identifier: GPL-3.0-or-later
// The retouch of a finished drawing without a window: what OK in the brightness
// dialog and then OK in the sharpen dialog apply to the right view.
#pragma once

#include <cstdint>

#include "imaging/engine/pix_bitmap.h"
#include "sketch/sketch_image.h"

namespace sketch {

struct RetouchChoice {
    int32_t brightness = 0;  // change, -1000 to 1000; 0 changes nothing
    int32_t sharpen = 0;     // amount, 0 to 1000; 0 changes nothing
};

// Brightness first, then sharpen, in place. A failure names the engine call.
PipelineResult Retouch(PixBitmap* drawing, const RetouchChoice& choice);

}  // namespace sketch
