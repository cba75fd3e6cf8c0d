// SPDX-License-Identifier: GPL-3.0-or-later
// Builds small image files in memory for the codec tests: every format's
// variants from one description of the pixels, so that each decoded pixel
// can be checked against the value it was written from.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "platform/dib.h"

namespace fixtures {

using Bytes = std::vector<uint8_t>;

// Test picture: a colour for every pixel, as blue-green-red.
struct Bgr {
    uint8_t b, g, r;
    bool operator==(const Bgr&) const = default;
};
Bgr Color(int x, int y);
uint8_t GreyLevel(int x, int y);

// Windows bitmap. `rows` are the encoded pixel rows in file order, each padded.
struct BmpLayout {
    uint32_t headerSize = 40;
    int32_t width = 5;
    int32_t height = 3;  // negative: top-down
    uint16_t bpp = 24;
    uint32_t compression = BI_RGB;
    std::vector<uint32_t> masks;   // placed after a 40-byte header, or inside larger ones
    std::vector<RGBQUAD> palette;  // written with 3 bytes per entry for a 12-byte header
    uint32_t colorsUsed = 0;
    Bytes pixels;
};
Bytes BmpFile(const BmpLayout& layout);
// Packs palette indices into rows of `bpp` bits (1, 4, 8), rows padded to 4
// bytes, in file order (bottom-up unless topDown).
Bytes PackIndexRows(const std::vector<std::vector<uint8_t>>& rows, int bpp, bool topDown);

// SGI: channels planes of width x height samples, `planes[c][y][x]` with y = 0
// at the top; written bottom-up as the format stores them.
using Planes = std::vector<std::vector<std::vector<uint16_t>>>;
Bytes SgiFile(const Planes& planes, int bytesPerSample, bool rle);

// Cineon header fields that the decoder reads; `data` follows the 1024-byte header.
struct CineonHeader {
    uint32_t pixelsPerLine = 1;
    uint32_t lines = 1;
    int channels = 3;
    int bits = 10;
    int packing = 5;
    int orientation = 0;
    bool bigEndian = true;
    uint32_t linePadding = 0;
};
Bytes CineonFile(const CineonHeader& header, const Bytes& data);
// Bits written most significant first, for hand-laid Cineon data.
class BitWriter {
public:
    void Put(uint32_t value, int bits);
    void Align(int bits);  // zero bits up to the next multiple of `bits`
    const Bytes& bytes() const { return bytes_; }

private:
    Bytes bytes_;
    int used_ = 0;  // bits used in the last byte
};
// Cineon of three 10-bit codes for red, green and blue of every pixel, rows
// top-down, one pixel in each left-justified 32-bit word.
struct CineonPixel {
    uint16_t r, g, b;
};
Bytes CineonFile(int width, int height, const std::vector<CineonPixel>& pixels, bool bigEndian);
// The 10-bit code a writer uses for an 8-bit sRGB value: decoded to linear
// light, then to the log code (inverse of the display curve).
uint16_t CineonCodeFor(uint8_t value);

// JPEG from the test picture: components 1 (grey), 3 (colour) or 4 (CMYK, Adobe
// inverted). `orientation` other than 0 adds an Exif block with that tag.
Bytes JpegFile(int width, int height, int components, bool progressive, int orientation = 0,
               int quality = 95);
// Decodes with the library alone, rows top-down, 1 or 3 channels (BGR).
Bytes PlainJpegDecode(const Bytes& jpeg, int* width, int* height, int* channels);

// PNG through libpng: colour type and bit depth as the format defines them.
Bytes PngFile(int width, int height, int colorType, int bitDepth, bool interlaced);

// PNG of 8-bit samples as stored (alpha last where the colour type has it),
// with an optional palette, palette alphas or transparent colour (tRNS).
struct PngLayout {
    int width = 1;
    int height = 1;
    int colorType = 2;
    Bytes samples;                           // rows top-down, no filter byte
    std::vector<Bgr> palette;                // for colour type 3
    Bytes paletteAlpha;                      // tRNS of a palette file
    std::vector<uint16_t> transparentColor;  // tRNS of a grey (1) or RGB (3 values) file
};
Bytes PngFile(const PngLayout& layout);

// TIFF through libtiff: "rgb", "grey", "palette4", "palette8" (the 16 fixture
// colours in a 256-entry map), "rgb-tiled-lzw".
Bytes TiffFile(int width, int height, const std::string& kind);

// JPEG 2000 of 8-bit components whose packets are all empty, so that every
// sample decodes to 128: a JP2 file or a bare codestream, in tiles of the
// full width and `tileHeight` rows (0: one tile). Tiny files of any size.
Bytes EmptyJpeg2000(int width, int height, int components, bool jp2, int tileHeight = 0);

// Writes bytes to a file, returns its path in a per-test temporary folder.
std::string WriteTemp(const std::string& name, const Bytes& bytes);

// A bottom-up 24-bit BMP whose pixel (x, y), y counted from the top, is
// colour(x, y).
Bytes Bmp24(int w, int h, const std::function<Bgr(int x, int y)>& color);
// A 24-bit BMP header that claims w x h pixels followed by only 64 bytes of
// pixels: a tiny file that only its header makes large.
Bytes ClaimedBmp24(int w, int h);
// Writes bytes to `path`; false when the file cannot be written whole.
bool WriteFile(const std::string& path, const Bytes& bytes);

// A bottom-up 24-bit BMP of the test picture, written by WriteTemp.
std::string ColorBmp(int w, int h, const std::string& name);

}  // namespace fixtures
