// SPDX-License-Identifier: GPL-3.0-or-later
// Decoder of Windows bitmap files: header versions of 12, 40, 52, 56, 108 and
// 124 bytes; 1-, 4- and 8-bit palettes, 16- and 32-bit pixels with or without
// bit-field masks, 24-bit pixels, RLE4 and RLE8; bottom-up and top-down rows.
#pragma once

#include <memory>
#include <span>

#include "imaging/engine/codecs/image_decoder.h"

namespace pix {
std::unique_ptr<ImageDecoder> CreateBmpDecoder(std::span<const uint8_t> data);
}  // namespace pix
