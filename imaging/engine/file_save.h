// SPDX-License-Identifier: GPL-3.0-or-later
// Writes engine bitmaps to files in the formats the engine encodes itself
// (BMP, JPEG, PNG, SGI, TIFF): the engine's save calls for the image control
// (P_SaveBitmap, P_SaveBitmapList, P_SaveFile with a row callback) and the
// plain save for callers without a control (the command-line tool).
#pragma once

#include <cstdint>
#include <span>
#include <string>

#include "imaging/engine/bitmap_list.h"
#include "imaging/engine/codecs/save_options.h"
#include "imaging/engine/load_options.h"
#include "imaging/engine/pix_bitmap.h"

// Statuses of every save, before anything is written: -16 for a format the
// engine does not write (or a page placement or list it cannot hold), -2 for a
// bitmap without pixels, -21 for a quality factor outside 2 to 255, -27 for a
// depth the format cannot hold (codecs/format_table.h, SaveChoices), -23 for a
// compression the format does not have or not at that depth, -789 for an
// options record of another size. Then -8 for a path without a file name, -131
// when the file cannot be created, -5 when writing fails, -29 when the status
// callback (or the row callback) stops the save. The file is written whole
// or not at all (atomic_file.h): on every failure a file already at the path
// stays as it was and no partial file is left.
//
// The options record (null: the engine's defaults, P_GetDefaultSaveFileOption)
// gives the compression, progressive JPEG, the stamp (kSaveWithStamp: JPEG
// carries it as its EXIF thumbnail, TIFF as a second, reduced-resolution
// sub-file; other formats give -16) and the page placement (PageNumber with
// kSaveInsertPage / kSaveReplacePage; only TIFF has pages, other formats give
// -16 for anything but a new file). The JPEG 2000 levels of these calls are
// those of the record installed with P_SetJ2KOptions; the pix:: saves below
// take them from their SaveOptions.
//
// bitsPerPixel 0 keeps the bitmap's depth. A lower depth is reached by
// reduction (codecs/reduce_depth.h): grey pictures by grey levels, colour
// pictures through a palette made for them.

// Saves one bitmap. The status callback hears 0 before and 100 after encoding;
// a stop from it gives -29 and writes nothing.
int32_t P_SaveBitmap(const char* fileName, const PixBitmap* bitmap, int32_t format,
                     int32_t bitsPerPixel, int32_t qualityFactor,
                     const PixSaveFileOptions* options);

// Saves every page of the list, in order: a multi-page format (TIFF) writes
// them all; another format takes a list of one page and gives -16 for more.
// -2 for an empty or invalid list. The status callback hears the share of
// pages encoded.
int32_t P_SaveBitmapList(const char* fileName, HBITMAPLIST list, int32_t format,
                         int32_t bitsPerPixel, int32_t qualityFactor,
                         const PixSaveFileOptions* options);

// Row callback of P_SaveFile: fills `buffer` (`bytes` long: Width x the
// descriptor's BitsPerPixel / 8, no padding) with row `row` (0 = top, asked
// for in order), typically with P_GetBitmapRow. 1 goes on; 0 (or anything
// else) stops the save, which then returns -29 and writes nothing.
using PixSaveCallback = int32_t (*)(PixBitmap* bitmap, int32_t row, uint8_t* buffer, uint32_t bytes,
                                    void* userData);

// Save flags of P_SaveFile. The rows always come at the descriptor's depth and
// the engine brings them to bitsPerPixel; 1 and 2 say whether that depth
// differs (1) or not (2) and are both accepted. 4 embeds the stamp that the
// options describe, as kSaveWithStamp does.
constexpr uint32_t kSaveFileReduce = 0x1;
constexpr uint32_t kSaveFileOwnDepth = 0x2;
constexpr uint32_t kSaveFileStamp = 0x4;

// Saves a picture whose rows come from `callback`: `bitmap` gives the width,
// height, depth (8 or 24), palette and resolution; its pixels need not be
// allocated. Without a callback: -13.
int32_t P_SaveFile(const char* fileName, PixBitmap* bitmap, int32_t format, int32_t bitsPerPixel,
                   int32_t qualityFactor, uint32_t saveFlags, PixSaveCallback callback,
                   void* userData, const PixSaveFileOptions* options);

namespace pix {
// The same saves for callers that hold a SaveOptions. `systemError` receives
// the errno of a failed system call (0 if none).
int32_t SaveBitmapFile(const PixBitmap& bitmap, const std::string& path, int32_t format,
                       const SaveOptions& options, int* systemError = nullptr);
// The bitmap at its own depth with the best quality and the format's usual compression.
int32_t SaveBitmapFile(const PixBitmap& bitmap, const std::string& path, int32_t format,
                       int* systemError = nullptr);
// Several pages into one file (TIFF), or one page in any format.
int32_t SaveBitmapPages(std::span<const PixBitmap* const> pages, const std::string& path,
                        int32_t format, const SaveOptions& options, int* systemError = nullptr);
// The SaveOptions of a record with the call's depth and quality factor; -789
// for a record of another size, -13 for a record asking to insert and to
// replace at once.
int32_t SaveOptionsFromRecord(const PixSaveFileOptions& record, int32_t bitsPerPixel,
                              int32_t qualityFactor, SaveOptions* out);
}  // namespace pix
