// SPDX-License-Identifier: GPL-3.0-or-later
// PNG decoder on libpng: grey files load as 8-bit grey, palette files as 8-bit
// with their palette, everything else as 24-bit; 16-bit samples are scaled to
// 8 bits and alpha is dropped.
#pragma once

#include <memory>
#include <span>

#include "imaging/engine/codecs/image_decoder.h"

namespace pix {
std::unique_ptr<ImageDecoder> CreatePngDecoder(std::span<const uint8_t> data);
}  // namespace pix
