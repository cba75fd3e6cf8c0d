// SPDX-License-Identifier: GPL-3.0-or-later
// Decodes a whole image held in memory into a freshly allocated bitmap at the
// file's own depth, for callers that need no bands (tests, fuzzing, skins).
#pragma once

#include <cstdint>
#include <span>

#include "imaging/engine/codecs/image_decoder.h"

namespace pix {
// On success `out` owns new pixel memory (free it with P_FreeBitmap); on
// failure it is empty. `info` may be null.
int32_t DecodeImage(std::span<const uint8_t> data, PixBitmap* out, ImageInfo* info = nullptr);
// Allocates `bitmap` for the decoder's result and installs the file's palette.
int32_t AllocateForImage(const ImageInfo& info, PixBitmap* bitmap);
}  // namespace pix
