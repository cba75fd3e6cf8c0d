// SPDX-License-Identifier: GPL-3.0-or-later
// TIFF decoder on libtiff: the first page. Pages are the full-resolution
// images; a reduced-resolution one (a stamp) is not counted or loaded. Grey
// files load as 8-bit grey, striped palette files of up to 8 bits as 8-bit
// with their palette, everything else that the library can render as 24-bit.
#pragma once

#include <memory>
#include <span>

#include "imaging/engine/codecs/image_decoder.h"

namespace pix {
std::unique_ptr<ImageDecoder> CreateTiffDecoder(std::span<const uint8_t> data);
}  // namespace pix
