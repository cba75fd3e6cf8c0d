// SPDX-License-Identifier: GPL-3.0-or-later
// JPEG decoder on libjpeg-turbo: baseline and progressive, grey, colour and
// CMYK/YCCK files (converted to blue-green-red). The Exif orientation is
// applied to the pixels, so the bitmap stands upright.
#pragma once

#include <memory>
#include <span>

#include "imaging/engine/codecs/image_decoder.h"

namespace pix {
std::unique_ptr<ImageDecoder> CreateJpegDecoder(std::span<const uint8_t> data);
}  // namespace pix
