// SPDX-License-Identifier: GPL-3.0-or-later
// Finds the orientation tag (1 to 8) in the payload of a JPEG APP1 Exif marker.
#pragma once

#include <cstdint>
#include <span>

namespace pix {
// 1 (upright) when the payload holds no valid orientation.
int32_t ExifOrientation(std::span<const uint8_t> app1);
}  // namespace pix
