// SPDX-License-Identifier: GPL-3.0-or-later
// Encodes engine bitmaps as TIFF with libtiff: one or several pages, each at
// 1, 4 or 8 bits (grey or palette) or 24 bits, uncompressed, LZW, Deflate or
// JPEG; a page may be marked as the reduced-resolution image (a stamp) of the
// page before it. Adds pages to an existing file by writing them at its end and
// relinking its chain of directories; a chain that does not end is refused.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "imaging/engine/codecs/save_options.h"
#include "imaging/engine/pix_bitmap.h"

namespace pix {
enum class TiffCompression { kNone, kLzw, kDeflate, kJpeg };

struct TiffPage {
    // 24 bits, or 8 bits whose indices are below 2^bits (codecs/reduce_depth.h).
    const PixBitmap* bitmap;
    int32_t bits;          // 1, 4, 8 or 24
    bool reduced = false;  // a stamp of the page before it, not a page of its own
};

struct TiffEncoding {
    TiffCompression compression = TiffCompression::kLzw;
    int jpegQuality = 100;  // libjpeg's scale, for kJpeg
};

// -2 for a bitmap without pixels, -27 for a depth it cannot have, -23 for JPEG
// on a palette page or below 8 bits, -1 when libtiff fails.
int32_t EncodeTiff(std::span<const TiffPage> pages, const TiffEncoding& encoding,
                   std::vector<uint8_t>* out);
// One page.
int32_t EncodeTiff(const PixBitmap& bitmap, TiffCompression compression, std::vector<uint8_t>* out);

// `out` := the TIFF file `existing` with `pages` appended (kAppend), put
// before its page `page` (kInsert; past the end: appended) or in place of it
// (kReplace: the old page's bytes stay unreferenced). Pages count the file's
// directories that are not reduced images. -9 for bytes that are no classic
// TIFF libtiff reads (BigTIFF included) and for a chain of directories that
// loops, runs past the file or past 65535 directories; -13 for a page to replace that is not
// there, and the failures of EncodeTiff.
int32_t AddTiffPages(std::span<const uint8_t> existing, std::span<const TiffPage> pages,
                     const TiffEncoding& encoding, PagePlacement placement, int32_t page,
                     std::vector<uint8_t>* out);
}  // namespace pix
