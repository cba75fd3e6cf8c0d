// SPDX-License-Identifier: GPL-3.0-or-later
// Encodes an 8- or 24-bit engine bitmap as PNG: a grey-ramp bitmap as 8-bit
// grey, another 8-bit bitmap with its palette, 24 bits as RGB; palette indices
// may be packed at 1 or 4 bits (grey when the palette is that depth's even
// grey ramp). Grey and RGB PNGs are framed here with libdeflate, the rest
// with libpng.
#pragma once

#include <cstdint>
#include <vector>

#include "imaging/engine/pix_bitmap.h"

namespace pix {

// How the encoder works: a zlib level (-1: zlib's default), zlib strategies
// for colour and for grey pictures (-1: zlib's default), the row filters
// libpng may choose from (PNG_FILTER_* bits; 0: libpng's default), and whether
// a 24-bit picture whose pixels are all grey is written as 8-bit grey, which
// holds the same pixels in a third of the data.
// With `libdeflate`, an 8-bit grey or 24-bit picture of any size is framed
// here and its rows compressed in one piece by libdeflate at `level` (its
// scale, 1 to 12; -1: 6), every row with the one filter that `filters` names;
// the strategies do not apply. Other pictures, and several filters, go through
// libpng and zlib.
struct PngEncoding {
    int level = 1;
    int strategy = -1;
    int greyStrategy = 3;  // Z_RLE
    int filters = 0x10;    // PNG_FILTER_SUB
    bool greyAsGrey = true;
    bool libdeflate = true;
};
// The default. Drawings are mostly flat paper with soft strokes: the Sub
// filter and libdeflate's fastest level give files within a few per cent of
// libpng's defaults in a fraction of the time. Pencil drawings are grey and
// written as 8-bit grey. Palette bitmaps go through libpng at zlib's fastest
// level, never filtered (run-length strategy for grey palettes).
inline constexpr PngEncoding kFastPng{};
// The same through libpng, with the Paeth filter: for palette bitmaps, and for
// comparison.
inline constexpr PngEncoding kFastStreamPng{1, -1, 3, 0x80, true, false};
// libpng's and zlib's own defaults, for comparison in the benchmarks.
inline constexpr PngEncoding kLibraryDefaultPng{-1, -1, -1, 0, false, false};
// `bits` 0 is the bitmap's own depth; 1 and 4 need an 8-bit bitmap whose
// indices are below 2^bits (codecs/reduce_depth.h). -2 for a bitmap without
// pixels, -27 for a depth it cannot have, -1 when libpng fails.
int32_t EncodePng(const PixBitmap& bitmap, std::vector<uint8_t>* out,
                  const PngEncoding& encoding = kFastPng, int32_t bits = 0);

}  // namespace pix
