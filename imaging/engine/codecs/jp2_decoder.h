// SPDX-License-Identifier: GPL-3.0-or-later
// Decodes JPEG 2000 (JP2 files and bare codestreams) from memory with
// OpenJPEG into 8-bit grey or 24-bit bitmaps; alpha is drawn over white.
#pragma once

#include <memory>
#include <span>

#include "imaging/engine/codecs/image_decoder.h"

namespace pix {
// The signature box of a JP2 file, and the start of a codestream (SOC, SIZ).
bool IsJp2File(std::span<const uint8_t> data);
bool IsJ2kCodestream(std::span<const uint8_t> data);
std::unique_ptr<ImageDecoder> CreateJp2Decoder(std::span<const uint8_t> data);
}  // namespace pix
