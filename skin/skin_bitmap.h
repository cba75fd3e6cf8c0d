// SPDX-License-Identifier: GPL-3.0-or-later
// Decodes the Windows BMP entries of a skin into plain 24-bit pixels.
#pragma once

#include <cstdint>
#include <span>

#include "skin/skin_objects.h"

namespace skin {

// No bitmap of a skin is wider or higher than a window can show.
inline constexpr int32_t kMaxSkinBitmapSide = 4096;
// Pixels that the bitmaps of one skin may claim together: an RLE entry of a
// few bytes can claim millions. 4 Mi pixels is far above any real skin and
// keeps its pixels and their window images well under 100 MB.
inline constexpr uint64_t kMaxSkinPixels = uint64_t{1} << 22;

// Decodes `bmp` when its sides are at most kMaxSkinBitmapSide and the pixels
// that its header claims fit into `budget`, and takes them off the budget
// whether decoding then succeeds or not, so that a skin's bitmaps together
// never allocate more than the budget. An empty bitmap when it is no readable
// BMP file or too large. Throws std::bad_alloc when memory runs out.
SkinBitmap DecodeSkinBitmap(std::span<const uint8_t> bmp, uint64_t& budget);

// Columns [x, x + width) of `from`; empty when they are not all inside it.
SkinBitmap CropColumns(const SkinBitmap& from, int32_t x, int32_t width);

}  // namespace skin
