// SPDX-License-Identifier: GPL-3.0-or-later
// Loads a file's pixels into an engine bitmap, handing the rows to a callback
// in bands as they are decoded, and the plain whole-file load for callers
// without a callback; from the file, or from its bytes already in memory.
// Loads may run on several threads at once: each keeps its decoder and
// buffers in the call and reads only its own thread's status callback and
// default load options.
#pragma once

#include <cstdint>
#include <span>
#include <string>

#include "imaging/engine/load_options.h"
#include "imaging/engine/pix_bitmap.h"

// Band flags passed to the load callback. The first band of a page carries
// bits 0 and 2 (bit 2 alone would restart the progress count), its last band
// bits 1 and 3; a page in one band carries all four. Bit 4 would mark rows
// stored bottom-up; our bitmaps are always top-down, so it is never set.
constexpr uint32_t kBandFirst = 0x1 | 0x4;
constexpr uint32_t kBandLast = 0x2 | 0x8;
constexpr uint32_t kBandRestartProgress = 0x4;
constexpr uint32_t kBandBottomUp = 0x10;

// Load flags: 3 for one page, 19 for several pages. Bits 0 and 1 ask for the
// callback on every band; bit 4 asks for the pages after the first. Our codecs
// read one page per file, so a load with bit 4 ends after that page.
constexpr uint32_t kLoadOnePage = 3;
constexpr uint32_t kLoadManyPages = 19;

// Called for every band of finished rows: `page` is the descriptor being
// filled, rows firstRow .. firstRow + rows - 1 (0 = top) are final. A result of
// 1 to 7 goes on; any other result stops the load, and P_LoadFile returns it
// (-29 by convention when the callback wants no more pages).
using PixLoadCallback = int32_t (*)(PixBitmap* page, int32_t firstRow, int32_t rows,
                                    uint32_t bandFlags, void* userData);

// Loads the page named by `info` (when its Flags has kInfoUsePage) or by
// `options` (null: the first page) into `bitmap` (structSize = sizeof(PixBitmap)).
//
// bitsPerPixel: 0 keeps the file's depth (8 for grey and palette files, else
// 24); 24 expands palettes; 8 turns colour into an 8-bit grey ramp. Other
// depths give -27. colorOrder must be 4 (blue-green-red, grey for grey files).
//
// The page's pixel memory is allocated into `bitmap` just before its first
// band. From the first callback on, that memory belongs to the caller (the
// callback may put the descriptor in a list, copy it or free it), also when the
// load later fails; a page the callback never saw is freed on failure and the
// descriptor emptied. Without a callback, `bitmap` holds the pixels after a
// successful load and is empty after a failed one.
//
// After every band the calling thread's status callback gets the percentage
// of rows done; a stop from it ends the load with -29. `info`, when given (StructSize 1144), is
// filled as by P_FileInfo. Failures are those of P_FileInfo, plus -7 for pixel
// data that is truncated and -9 for data that is corrupt.
int32_t P_LoadFile(const char* fileName, PixBitmap* bitmap, uint32_t structSize,
                   int32_t bitsPerPixel, int32_t colorOrder, uint32_t loadFlags,
                   PixLoadCallback callback, void* userData, const PixLoadOptions* options,
                   PixFileInfo* info);

namespace pix {
// P_LoadFile over the whole file's bytes, read once by the caller
// (ReadImageFile) who may have taken its information from them first
// (FileInfoFromBytes). The same results, except those of reading the file;
// `file` must stay valid until the call returns.
int32_t LoadFileFromBytes(std::span<const uint8_t> file, PixBitmap* bitmap, uint32_t structSize,
                          int32_t bitsPerPixel, int32_t colorOrder, uint32_t loadFlags,
                          PixLoadCallback callback, void* userData, const PixLoadOptions* options,
                          PixFileInfo* info);

// For callers without a control (the command-line tool): the first page of
// the file into `out`, which receives new pixel memory (free it with
// P_FreeBitmap) on success and is empty on failure. bitsPerPixel as for
// P_LoadFile. A stop from the calling thread's status callback fails the load
// with -29.
int32_t LoadBitmapFile(const std::string& path, PixBitmap* out, int32_t bitsPerPixel);
}  // namespace pix
