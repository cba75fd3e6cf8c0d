// Writes an engine bitmap to a file in one of the formats the engine encodes
// itself (BMP, PNG), for callers without a save dialog (the command-line tool).
#pragma once

#include <cstdint>
#include <string>

#include "imaging/engine/pix_bitmap.h"

namespace pix {
// format: kFormatBmp or kFormatPng (codecs/file_format.h); others give -16.
// The file is written whole or not at all, through the atomic writer
// (atomic_file.h): -8 for a path without a file name, -131 when it cannot be
// created, -5 when writing fails; a file already at `path` stays as it was on
// every failure. The encoders' failures for the bitmap: -2 no pixels, -27 a
// depth other than 8 or 24. `systemError` receives the errno of a failed
// system call (0 if none).
int32_t SaveBitmapFile(const PixBitmap& bitmap, const std::string& path, int32_t format,
                       int* systemError = nullptr);
}  // namespace pix
