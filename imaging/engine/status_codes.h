// SPDX-License-Identifier: GPL-3.0-or-later
// Named status codes of the imaging engine that our code returns or tests.
#pragma once

#include <cstdint>

namespace pix {
constexpr int32_t kSuccess = 1;
constexpr int32_t kFailure = 0;           // "Function not successful."
constexpr int32_t kNoMemory = -1;         // "Not enough memory available."
constexpr int32_t kInvalidBitmap = -2;    // "Invalid bitmap handle."
constexpr int32_t kFileWrite = -5;        // "Error writing file."
constexpr int32_t kFileRead = -7;         // "Error reading file."
constexpr int32_t kInvalidFileName = -8;  // "Invalid filename specified."
constexpr int32_t kFileFormat = -9;       // "Invalid file format."
constexpr int32_t kFileNotFound = -10;    // "File not found."
constexpr int32_t kInvalidSize = -11;     // "Invalid width/height."
constexpr int32_t kSubTypeUnsupported =
    -12;  // "Image format recognized, but sub= -type not supported."
constexpr int32_t kInvalidParameter = -13;     // "Invalid parameter passed."
constexpr int32_t kCannotOpenFile = -14;       // "Not able to open file."
constexpr int32_t kUnknownCompression = -15;   // "Unknown compression format."
constexpr int32_t kNotSupported = -16;         // "Feature not supported."
constexpr int32_t kInvalidBitsPerPixel = -27;  // "Invalid bits/pixel."
constexpr int32_t kUserAbort = -29;           // "Escape key pressed = - or user aborted operation."
constexpr int32_t kFileCreate = -131;         // "Error creating file."
constexpr int32_t kInvalidStructSize = -789;  // "Invalid structure size."
constexpr int32_t kInternal = -999;           // "Internal error = - call support."
}  // namespace pix
