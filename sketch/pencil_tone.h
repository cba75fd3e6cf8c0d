// SPDX-License-Identifier: GPL-3.0-or-later
// The tone map of pencil shading: a photo's grey levels remapped so that their
// distribution follows that of pencil drawings, a wide band of white paper, an
// even spread of mid tones and a small share of dense dark graphite.
#pragma once

#include <array>
#include <cstdint>

namespace sketch {

// How many pixels of each grey level a photo has.
using GreyHistogram = std::array<uint64_t, 256>;

// For each grey level of the photo, its pencil tone (0 black to 255 paper):
// histogram matching onto the pencil model. The photo's brightest level
// becomes 255, so its lightest areas stay white paper; the order of levels is
// kept. A photo without pixels maps every level to itself.
std::array<uint8_t, 256> PencilToneMap(const GreyHistogram& photo);

}  // namespace sketch
