// Decodes the Windows BMP entries of a skin into plain 24-bit pixels.
#pragma once

#include <cstdint>
#include <span>

#include "skin/skin_objects.h"

namespace skin {

// Decodes `bmp` when the pixels that its header claims fit into `budget`,
// and takes them off the budget whether decoding then succeeds or not, so that
// a skin's bitmaps together never allocate more than the budget. An empty
// bitmap when it is no readable BMP file or too large.
SkinBitmap DecodeSkinBitmap(std::span<const uint8_t> bmp, uint64_t& budget);

// Columns [x, x + width) of `from`; empty when they are not all inside it.
SkinBitmap CropColumns(const SkinBitmap& from, int32_t x, int32_t width);

}  // namespace skin
