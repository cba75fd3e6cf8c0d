// SPDX-License-Identifier: GPL-3.0-or-later
// How a drawing looks: the edge threshold of the sketch pass, the share of the
// photo that the blend lays back, and pencil shading. The defaults give the
// window's drawing.
#pragma once

#include <optional>

#include "sketch/blend_pass.h"
#include "sketch/sketch_pass.h"

namespace sketch {

struct DrawingLook {
    int threshold = kEdgeThreshold;  // 0 to 255
    std::optional<int> tonePercent;  // 0 to 100; empty: DefaultTonePercent of the mode
    bool shading = false;            // pencil tone under the strokes

    int ToneFor(BlendMode mode) const { return tonePercent.value_or(DefaultTonePercent(mode)); }
};

}  // namespace sketch
