// Writes an engine bitmap to a file in one of the formats the engine encodes
// itself (BMP, JPEG, PNG, SGI, TIFF), for callers without a save dialog (the
// command-line tool).
#pragma once

#include <cstdint>
#include <string>

#include "imaging/engine/codecs/save_options.h"
#include "imaging/engine/pix_bitmap.h"

namespace pix {
// format: a code of codecs/format_table.h that can be saved; others give -16.
// The file is written whole or not at all, through the atomic writer
// (atomic_file.h): -8 for a path without a file name, -131 when it cannot be
// created, -5 when writing fails; a file already at `path` stays as it was on
// every failure. Before anything is written: -2 for a bitmap without pixels,
// -21 for a quality factor out of bounds, -27 for a depth the format cannot
// hold (or a bitmap other than 8 or 24 bits), -23 for a compression the format
// does not have. A depth other than the bitmap's is reached by conversion
// (codecs/save_depth.h); an 8-bit palette picture goes to grey in a format
// that holds 8 bits only as grey (JPEG, SGI). `systemError` receives the errno
// of a failed system call (0 if none).
int32_t SaveBitmapFile(const PixBitmap& bitmap, const std::string& path, int32_t format,
                       const SaveOptions& options, int* systemError = nullptr);
// The bitmap at its own depth with the best quality and the format's usual compression.
int32_t SaveBitmapFile(const PixBitmap& bitmap, const std::string& path, int32_t format,
                       int* systemError = nullptr);
}  // namespace pix
