// Encodes an 8- or 24-bit engine bitmap as PNG with libpng: a grey-ramp
// bitmap as 8-bit grey, another 8-bit bitmap with its palette, 24 bits as RGB;
// palette indices may be packed at 1 or 4 bits (grey when the palette is that
// depth's even grey ramp).
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
struct PngEncoding {
    int level = 1;
    int strategy = -1;
    int greyStrategy = 3;  // Z_RLE
    int filters = 0x80;    // PNG_FILTER_PAETH
    bool greyAsGrey = true;
};
// The default. Drawings are mostly flat paper with soft strokes: the Paeth
// filter at zlib's fastest level gives files within a few per cent of
// libpng's defaults in a sixth of the time or less; on grey pictures zlib's
// run-length strategy does better still, and pencil drawings are grey.
// Palette bitmaps are never filtered.
inline constexpr PngEncoding kFastPng{};
// libpng's and zlib's own defaults, for comparison in the benchmarks.
inline constexpr PngEncoding kLibraryDefaultPng{-1, -1, -1, 0, false};

// `bits` 0 is the bitmap's own depth; 1 and 4 need an 8-bit bitmap whose
// indices are below 2^bits (codecs/reduce_depth.h). -2 for a bitmap without
// pixels, -27 for a depth it cannot have, -1 when libpng fails.
int32_t EncodePng(const PixBitmap& bitmap, std::vector<uint8_t>* out,
                  const PngEncoding& encoding = kFastPng, int32_t bits = 0);

}  // namespace pix
