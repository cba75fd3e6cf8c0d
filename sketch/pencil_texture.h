// SPDX-License-Identifier: GPL-3.0-or-later
// The pencil texture that shading draws tone with: a square tile of graphite
// hatching, directional strokes with tapered ends on grained paper, generated
// from a fixed seed so that every run draws the same texture.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

namespace sketch {

constexpr int kPencilTextureSide = 256;  // a power of two: coordinates wrap with a mask

struct PencilTexture {
    // Paper brightness, 1 (no graphite) to 255, rows of kPencilTextureSide;
    // the tile repeats seamlessly in both directions.
    std::array<uint8_t, kPencilTextureSide * kPencilTextureSide> tone;

    uint8_t At(int32_t x, int32_t y) const {
        constexpr int32_t mask = kPencilTextureSide - 1;
        return tone[static_cast<size_t>(y & mask) * kPencilTextureSide +
                    static_cast<size_t>(x & mask)];
    }
};

// Made on first use, once per process (safe from several threads).
const PencilTexture& SharedPencilTexture();

// Generates the tile; the same every time.
PencilTexture MakePencilTexture();

// The mean around each texel of a kPencilTextureSide square of values (rows),
// weighted by a Gaussian of `sigma` pixels, wrapping at the edges as the tile
// does.
std::vector<float> WrappedLocalMean(const std::vector<float>& v, double sigma);

}  // namespace sketch
