// SPDX-License-Identifier: GPL-3.0-or-later
// Reads a file's information (format, size, depth, palette) without decoding
// its pixels, so that a caller knows the geometry before the first row; from
// the file, or from its bytes already in memory.
#pragma once

#include <cstdint>
#include <span>

#include "imaging/engine/codecs/image_decoder.h"
#include "imaging/engine/load_options.h"

// Fills `info` (whose StructSize must be 1144, as must infoSize) for the page
// named in `options` (null: the first page). `flags`: pass 1. Returns 1, or
// the file's failure: -8 no name, -10 missing, -14 not openable, -7 read error
// or truncated header, -9 not a format the engine reads or a corrupt header,
// -11 a width or height of 0 or over 65535, -1 more than 1 GiB of pixels,
// -12/-15 a kind of file the codec does not read, -789 a wrong record size.
int32_t P_FileInfo(const char* fileName, PixFileInfo* info, uint32_t infoSize, int32_t flags,
                   const PixLoadOptions* options);

namespace pix {
// P_FileInfo over the whole file's bytes, read once by the caller
// (ReadImageFile), so that a later LoadFileFromBytes needs no second read.
// The same results, except those of reading the file.
int32_t FileInfoFromBytes(std::span<const uint8_t> file, PixFileInfo* info, uint32_t infoSize,
                          const PixLoadOptions* options);

// Copies a decoder's information into the record; StructSize, PageNumber,
// Flags and LoadResolution stay as the caller set them.
void FillFileInfo(const ImageInfo& image, uint64_t fileSize, PixFileInfo* info);
}  // namespace pix
