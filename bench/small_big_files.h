// SPDX-License-Identifier: GPL-3.0-or-later
// Small files that describe large pictures, for the memory benchmarks: a few
// hundred bytes to a few hundred kilobytes each, generated row by row so that
// writing them costs no picture-sized memory.
#pragma once

#include <cstdint>
#include <vector>

namespace bench {

// A JPEG 2000 image of one tile whose packets are all empty (every sample
// decodes to mid-grey): a JP2 file or a bare codestream, 8-bit components.
std::vector<uint8_t> EmptyJpeg2000(int width, int height, int components, bool jp2);

// An 8-bit RLE BMP with a grey palette whose data is only the end of bitmap.
std::vector<uint8_t> EmptyRle8Bmp(int width, int height);

// A 16-bit grey PNG of black rows.
std::vector<uint8_t> BlackGrey16Png(int width, int height);

// A progressive colour JPEG of one flat colour: chroma at half resolution (the
// library's default) or at full resolution, which keeps twice the coefficients.
std::vector<uint8_t> FlatProgressiveJpeg(int width, int height, bool fullChroma = false);

// A grey JPEG of the benchmarks' generated picture at quality 90.
std::vector<uint8_t> GreyJpegPhoto(int width, int height);

}  // namespace bench
