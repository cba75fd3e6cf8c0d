// SPDX-License-Identifier: GPL-3.0-or-later
// The engine's file format codes for the formats that it reads and writes.
#pragma once

#include <cstdint>

namespace pix {
constexpr int32_t kFormatUnknown = 0;
constexpr int32_t kFormatBmp = 6;
constexpr int32_t kFormatJpeg = 10;
constexpr int32_t kFormatTiff = 16;
constexpr int32_t kFormatPng = 20;
constexpr int32_t kFormatSgi = 37;
constexpr int32_t kFormatCineon = 38;
constexpr int32_t kFormatJp2 = 39;  // JPEG 2000 in its JP2 file boxes
constexpr int32_t kFormatJ2k = 40;  // a bare JPEG 2000 codestream
}  // namespace pix
