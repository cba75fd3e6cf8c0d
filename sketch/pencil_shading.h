// SPDX-License-Identifier: GPL-3.0-or-later
// Pencil shading: the photo's tones drawn with the pencil texture and
// multiplied into a drawing, so that dark areas come out as dense graphite and
// light ones stay paper.
#pragma once

#include <cstdint>

#include "sketch/dib_rows.h"

namespace sketch {

// For the width x height picture, clamped to both picture sizes: J := two
// thirds of the way from the photo's grey level to its pencil tone
// (PencilToneMap over the whole picture), T := the texture raised to the power
// at which its mean brightness is J, and each byte of `view` becomes
// round(view x T / 255). Where J is 255 the view is left as it is. `photo` is
// only read; its grey level is the luma of its blue, green and red. Row
// padding is untouched.
void ShadingPass(const DibRows& photo, const DibRows& view, int32_t width, int32_t height);

}  // namespace sketch
