// SPDX-License-Identifier: GPL-3.0-or-later
// Decoder of SGI image files: 1 to 4 channels of 8 or 16 bits (16 reduced to
// 8), verbatim or run-length encoded. One or two channels load as 8-bit grey,
// three or four as 24-bit; alpha is dropped.
#pragma once

#include <memory>
#include <span>

#include "imaging/engine/codecs/image_decoder.h"

namespace pix {
std::unique_ptr<ImageDecoder> CreateSgiDecoder(std::span<const uint8_t> data);
}  // namespace pix
