// SPDX-License-Identifier: GPL-3.0-or-later
// One picture stored in every TIFF layout the decoder reads (one strip, many
// strips, tiles, one big tile, separate planes, subsampled colour, turned
// orientations) loads with the same pixels: the picture itself where the
// layout is lossless, and libtiff's own whole-picture conversion always.
#include <gtest/gtest.h>
#include <tiffio.h>

#include <algorithm>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "imaging/engine/status_codes.h"
#include "tests/imaging/engine/codecs/decode_helpers.h"

using namespace fixtures;

namespace {

// Taller than two bands of 32 rows, and neither side a multiple of a tile.
constexpr int kW = 45;
constexpr int kH = 77;

struct Layout {
    const char* name;
    uint16_t compression = COMPRESSION_ADOBE_DEFLATE;
    uint32_t rowsPerStrip = 0;  // 0: one strip for the whole picture
    uint32_t tileWidth = 0;     // 0: strips
    uint32_t tileHeight = 0;
    bool separate = false;     // one plane per sample
    bool grey = false;         // 8-bit grey instead of colour
    bool ycbcr = false;        // colour stored as 2 x 2 subsampled YCbCr
    uint16_t orientation = 1;  // how the stored rows stand
    bool lossless = true;
};

// The stored position of upright pixel (x, y) for the layout's orientation.
void Stored(const Layout& l, int x, int y, int* sx, int* sy) {
    const bool mirrored =
        l.orientation == ORIENTATION_TOPRIGHT || l.orientation == ORIENTATION_BOTRIGHT;
    const bool upsideDown =
        l.orientation == ORIENTATION_BOTRIGHT || l.orientation == ORIENTATION_BOTLEFT;
    *sx = mirrored ? kW - 1 - x : x;
    *sy = upsideDown ? kH - 1 - y : y;
}

// Sample `c` of stored pixel (sx, sy): red, green, blue or grey.
uint8_t Sample(const Layout& l, int sx, int sy, int c) {
    int x = sx, y = sy;
    // Stored rows are the upright picture turned, so undo the turn.
    Stored(l, sx, sy, &x, &y);
    if (l.grey) return GreyLevel(x, y);
    const Bgr p = Color(x, y);
    return c == 0 ? p.r : c == 1 ? p.g : p.b;
}

// The samples of stored rows [y0, y0 + rows) and columns [x0, x0 + cols) in
// the layout's order, padded to `padCols` x `padRows` (tiles); one plane when
// `plane` >= 0; `blocks`: as subsampled YCbCr.
std::vector<uint8_t> Samples(const Layout& l, int x0, int y0, int cols, int rows, int padCols,
                             int padRows, int plane, bool blocks) {
    const int spp = l.grey ? 1 : 3;
    std::vector<uint8_t> out;
    if (blocks) {
        // Blocks of 2 x 2: four lumas, then blue and red difference.
        for (int by = 0; by < padRows; by += 2)
            for (int bx = 0; bx < padCols; bx += 2) {
                int cb = 0, cr = 0;
                for (int dy = 0; dy < 2; ++dy)
                    for (int dx = 0; dx < 2; ++dx) {
                        const int x = std::min(x0 + bx + dx, std::min(x0 + cols, kW) - 1);
                        const int y = std::min(y0 + by + dy, std::min(y0 + rows, kH) - 1);
                        const int r = Sample(l, x, y, 0), g = Sample(l, x, y, 1),
                                  b = Sample(l, x, y, 2);
                        out.push_back(uint8_t((77 * r + 150 * g + 29 * b) >> 8));
                        cb += b - g;
                        cr += r - g;
                    }
                out.push_back(uint8_t(128 + cb / 8));
                out.push_back(uint8_t(128 + cr / 8));
            }
        return out;
    }
    for (int y = 0; y < padRows; ++y)
        for (int x = 0; x < padCols; ++x)
            for (int c = 0; c < spp; ++c) {
                if (plane >= 0 && c != plane) continue;
                const bool inside = x < cols && y < rows;
                out.push_back(inside ? Sample(l, x0 + x, y0 + y, c) : 0);
            }
    return out;
}

std::vector<uint8_t> ReadBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), {});
}

// Writes the layout's file and returns its path.
std::string WriteLayout(const Layout& l) {
    const std::string path = WriteTemp(std::string("layout-") + l.name + ".tif", {});
    TIFF* t = TIFFOpen(path.c_str(), "w");
    if (!t) return path;
    const uint16_t spp = l.grey ? 1 : 3;
    TIFFSetField(t, TIFFTAG_IMAGEWIDTH, uint32_t(kW));
    TIFFSetField(t, TIFFTAG_IMAGELENGTH, uint32_t(kH));
    TIFFSetField(t, TIFFTAG_SAMPLESPERPIXEL, spp);
    TIFFSetField(t, TIFFTAG_BITSPERSAMPLE, uint16_t(8));
    TIFFSetField(t, TIFFTAG_ORIENTATION, l.orientation);
    TIFFSetField(t, TIFFTAG_PLANARCONFIG,
                 uint16_t(l.separate ? PLANARCONFIG_SEPARATE : PLANARCONFIG_CONTIG));
    TIFFSetField(t, TIFFTAG_COMPRESSION, l.compression);
    const bool jpeg = l.compression == COMPRESSION_JPEG;
    if (l.ycbcr) {
        TIFFSetField(t, TIFFTAG_PHOTOMETRIC, uint16_t(PHOTOMETRIC_YCBCR));
        TIFFSetField(t, TIFFTAG_YCBCRSUBSAMPLING, uint16_t(2), uint16_t(2));
        if (jpeg) TIFFSetField(t, TIFFTAG_JPEGCOLORMODE, int(JPEGCOLORMODE_RGB));
    } else {
        TIFFSetField(t, TIFFTAG_PHOTOMETRIC,
                     uint16_t(l.grey ? PHOTOMETRIC_MINISBLACK : PHOTOMETRIC_RGB));
    }
    // Raw subsampled blocks are written as they are; libtiff's JPEG codec
    // takes colour rows and subsamples them itself.
    const bool rawBlocks = l.ycbcr && !jpeg;
    const int planes = l.separate ? spp : 1;
    if (l.tileWidth) {
        TIFFSetField(t, TIFFTAG_TILEWIDTH, l.tileWidth);
        TIFFSetField(t, TIFFTAG_TILELENGTH, l.tileHeight);
        const int tw = int(l.tileWidth), th = int(l.tileHeight);
        for (int p = 0; p < planes; ++p)
            for (int y = 0; y < kH; y += th)
                for (int x = 0; x < kW; x += tw) {
                    std::vector<uint8_t> tile =
                        Samples(l, x, y, std::min(tw, kW - x), std::min(th, kH - y), tw, th,
                                l.separate ? p : -1, rawBlocks);
                    TIFFWriteEncodedTile(
                        t, TIFFComputeTile(t, uint32_t(x), uint32_t(y), 0, uint16_t(p)),
                        tile.data(), tmsize_t(tile.size()));
                }
    } else {
        const uint32_t rps = l.rowsPerStrip ? l.rowsPerStrip : uint32_t(kH);
        TIFFSetField(t, TIFFTAG_ROWSPERSTRIP, rps);
        for (int p = 0; p < planes; ++p)
            for (int y = 0; y < kH; y += int(rps)) {
                const int rows = std::min(int(rps), kH - y);
                const int padRows = rawBlocks ? (rows + 1) / 2 * 2 : rows;
                const int padCols = rawBlocks ? (kW + 1) / 2 * 2 : kW;
                std::vector<uint8_t> strip =
                    Samples(l, 0, y, kW, rows, padCols, padRows, l.separate ? p : -1, rawBlocks);
                TIFFWriteEncodedStrip(t, TIFFComputeStrip(t, uint32_t(y), uint16_t(p)),
                                      strip.data(), tmsize_t(strip.size()));
            }
    }
    TIFFClose(t);
    return path;
}

std::string Text(const Bgr& c) {
    return "(b" + std::to_string(c.b) + " g" + std::to_string(c.g) + " r" + std::to_string(c.r) +
           ")";
}

class TiffLayout : public testing::TestWithParam<Layout> {};

TEST_P(TiffLayout, LoadsTheSamePixels) {
    const Layout& l = GetParam();
    const std::string path = WriteLayout(l);
    Decoded d(ReadBytes(path));
    ASSERT_EQ(d.status, pix::kSuccess);
    ASSERT_EQ(d.bitmap.Width, kW);
    ASSERT_EQ(d.bitmap.Height, kH);
    ASSERT_EQ(d.bitmap.BitsPerPixel, l.grey ? 8 : 24);

    // libtiff's conversion of the whole picture at once, turned upright.
    TIFF* t = TIFFOpen(path.c_str(), "r");
    ASSERT_TRUE(t);
    std::vector<uint32_t> whole(size_t(kW) * kH);
    ASSERT_TRUE(TIFFReadRGBAImageOriented(t, kW, kH, whole.data(), ORIENTATION_TOPLEFT, 1));
    TIFFClose(t);

    int wrong = 0;
    for (int y = 0; y < kH; ++y)
        for (int x = 0; x < kW; ++x) {
            const uint32_t p = whole[size_t(y) * kW + x];
            const Bgr fromLibrary{uint8_t(TIFFGetB(p)), uint8_t(TIFFGetG(p)), uint8_t(TIFFGetR(p))};
            const Bgr got = l.grey ? Bgr{d.Index(x, y), d.Index(x, y), d.Index(x, y)} : d.At(x, y);
            Bgr picture = fromLibrary;
            if (l.lossless) {
                const uint8_t v = GreyLevel(x, y);
                picture = l.grey ? Bgr{v, v, v} : Color(x, y);
            }
            if ((!(got == fromLibrary) || !(got == picture)) && wrong++ < 3)
                ADD_FAILURE() << "pixel " << x << "," << y << ": " << Text(got) << ", libtiff "
                              << Text(fromLibrary) << ", picture " << Text(picture);
        }
    EXPECT_EQ(wrong, 0);
}

INSTANTIATE_TEST_SUITE_P(
    Layouts, TiffLayout,
    testing::Values(
        Layout{"one_strip", COMPRESSION_ADOBE_DEFLATE},
        Layout{"one_strip_uncompressed", COMPRESSION_NONE},
        Layout{"strips_of_5", COMPRESSION_ADOBE_DEFLATE, 5},
        Layout{"strips_of_40_lzw", COMPRESSION_LZW, 40},
        Layout{"tiles_16", COMPRESSION_ADOBE_DEFLATE, 0, 16, 16},
        Layout{"one_big_tile", COMPRESSION_ADOBE_DEFLATE, 0, 48, 80},
        Layout{"tiles_wide_and_tall", COMPRESSION_LZW, 0, 32, 64},
        Layout{"separate_strips_of_7", COMPRESSION_LZW, 7, 0, 0, true},
        Layout{"separate_one_strip", COMPRESSION_ADOBE_DEFLATE, 0, 0, 0, true},
        Layout{"separate_tiles_16", COMPRESSION_ADOBE_DEFLATE, 0, 16, 16, true},
        Layout{"grey_one_strip", COMPRESSION_ADOBE_DEFLATE, 0, 0, 0, false, true},
        Layout{"grey_tiles_16", COMPRESSION_NONE, 0, 16, 16, false, true},
        Layout{"ycbcr_one_strip", COMPRESSION_ADOBE_DEFLATE, 0, 0, 0, false, false, true, 1, false},
        Layout{"ycbcr_strips_of_6", COMPRESSION_NONE, 6, 0, 0, false, false, true, 1, false},
        Layout{"ycbcr_tiles_16", COMPRESSION_ADOBE_DEFLATE, 0, 16, 16, false, false, true, 1,
               false},
        Layout{"jpeg_strips_of_16", COMPRESSION_JPEG, 16, 0, 0, false, false, true, 1, false},
        Layout{"jpeg_one_strip", COMPRESSION_JPEG, 0, 0, 0, false, false, true, 1, false},
        Layout{"jpeg_tiles_16", COMPRESSION_JPEG, 0, 16, 16, false, false, true, 1, false},
        Layout{"bottom_left_one_strip", COMPRESSION_ADOBE_DEFLATE, 0, 0, 0, false, false, false,
               ORIENTATION_BOTLEFT},
        Layout{"bottom_left_tiles_16", COMPRESSION_ADOBE_DEFLATE, 0, 16, 16, false, false, false,
               ORIENTATION_BOTLEFT},
        Layout{"top_right_strips_of_5", COMPRESSION_ADOBE_DEFLATE, 5, 0, 0, false, false, false,
               ORIENTATION_TOPRIGHT},
        Layout{"bottom_right_separate", COMPRESSION_ADOBE_DEFLATE, 0, 0, 0, true, false, false,
               ORIENTATION_BOTRIGHT},
        Layout{"bottom_right_grey_tiles", COMPRESSION_NONE, 0, 16, 16, false, true, false,
               ORIENTATION_BOTRIGHT}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
