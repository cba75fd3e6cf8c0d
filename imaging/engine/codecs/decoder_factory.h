// SPDX-License-Identifier: GPL-3.0-or-later
// Which codec reads a file: the format by the file's first bytes, and the
// decoder for a format.
#pragma once

#include <cstdint>
#include <memory>
#include <span>

#include "imaging/engine/codecs/image_decoder.h"

namespace pix {

// The format of the bytes by their signature, 0 when no codec reads them.
int32_t DetectImageFormat(std::span<const uint8_t> data);
// A decoder for the format, or null for an unknown format. `data` must outlive it.
std::unique_ptr<ImageDecoder> CreateDecoder(int32_t format, std::span<const uint8_t> data);

}  // namespace pix
