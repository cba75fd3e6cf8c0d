// SPDX-License-Identifier: GPL-3.0-or-later
// JPEG 2000 files written by another encoder (the stored inputs of the jp2
// fuzzer, each made from a formula): the pixels, alpha drawn over white, deep
// samples scaled to 8 bits, and what P_FileInfo tells about them.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <functional>
#include <string>

#include "imaging/engine/codecs/decode_image.h"
#include "imaging/engine/codecs/file_format.h"
#include "imaging/engine/codecs/jp2_writer.h"
#include "imaging/engine/file_info.h"
#include "imaging/engine/file_load.h"
#include "imaging/engine/status_codes.h"
#include "tests/imaging/engine/codecs/image_fixtures.h"

namespace {

std::string Corpus(const std::string& name) {
    const char* root = std::getenv("STRAKEL_TEST_CORPUS");
    return std::string(root ? root : "fuzz/corpus") + "/jp2/" + name;
}

int OverWhite(int v, int a) {
    return (v * a + 255 * (255 - a) + 127) / 255;
}

struct Fixture {
    const char* name;
    int32_t format;
    int width, height;
    int bits;      // as loaded
    int fileBits;  // as stored
    // Red, green and blue of a pixel (grey files: all three the same).
    std::function<std::array<int, 3>(int x, int y)> rgb;
};

class Jp2File : public testing::TestWithParam<Fixture> {};

TEST_P(Jp2File, LoadsWithItsPixelsAndInformation) {
    const Fixture& f = GetParam();
    const std::string path = Corpus(f.name);
    PixFileInfo info{};
    info.StructSize = sizeof(info);
    ASSERT_EQ(P_FileInfo(path.c_str(), &info, sizeof(info), 1, nullptr), pix::kSuccess);
    EXPECT_EQ(info.Format, f.format);
    EXPECT_EQ(info.Width, f.width);
    EXPECT_EQ(info.Height, f.height);
    EXPECT_EQ(info.BitsPerPixel, f.bits);
    EXPECT_EQ(info.FileBitsPerPixel, f.fileBits);

    PixBitmap b;
    ASSERT_EQ(pix::LoadBitmapFile(path, &b, 0), pix::kSuccess);
    ASSERT_EQ(b.BitsPerPixel, f.bits);
    int wrong = 0;
    for (int y = 0; y < f.height; ++y)
        for (int x = 0; x < f.width; ++x) {
            const auto want = f.rgb(x, y);
            const uint8_t* p = PixRow(b, y) + (f.bits == 24 ? 3 * x : x);
            const std::array<int, 3> got =
                f.bits == 24 ? std::array<int, 3>{p[2], p[1], p[0]}
                             : std::array<int, 3>{b.Palette[*p].rgbRed, b.Palette[*p].rgbGreen,
                                                  b.Palette[*p].rgbBlue};
            if (got != want && wrong++ < 3)
                ADD_FAILURE() << "pixel " << x << "," << y << ": " << got[0] << " " << got[1] << " "
                              << got[2] << ", want " << want[0] << " " << want[1] << " " << want[2];
        }
    EXPECT_EQ(wrong, 0);
    P_FreeBitmap(&b);
}

std::array<int, 3> Grey(int v) {
    return {v, v, v};
}

INSTANTIATE_TEST_SUITE_P(
    Files, Jp2File,
    testing::Values(Fixture{"grey.jp2", pix::kFormatJp2, 16, 12, 8, 8,
                            [](int x, int y) { return Grey((x * 17 + y * 5) % 256); }},
                    Fixture{"rgba.jp2", pix::kFormatJp2, 10, 10, 24, 32,
                            [](int x, int y) {
                                const int a = x * 31 % 256;
                                return std::array<int, 3>{OverWhite(x * 9 % 256, a),
                                                          OverWhite(y * 13 % 256, a),
                                                          OverWhite(x * y % 256, a)};
                            }},
                    Fixture{
                        "grey-alpha.j2k", pix::kFormatJ2k, 9, 7, 8, 16,
                        [](int x, int y) { return Grey(OverWhite(x * 9 % 256, y * 40 % 256)); }},
                    // 16-bit samples to 8 bits, rounded.
                    Fixture{"grey-16.j2k", pix::kFormatJ2k, 11, 6, 8, 16,
                            [](int x, int y) {
                                return Grey(((x * 2000 + y * 300) % 65536 * 255 + 32767) / 65535);
                            }}),
    [](const auto& info) {
        std::string n = info.param.name;
        for (char& c : n)
            if (c == '-' || c == '.') c = '_';
        return n;
    });

// Pictures wide enough to be decoded in several bands of rows, and files of
// several tiles: every row of the bitmap holds its own pixels.
struct BandCase {
    const char* name;
    int width, height, components;
    bool jp2;
    int tileHeight;  // 0: one tile
    int level;       // every channel of every pixel as loaded
};

class Jp2Bands : public testing::TestWithParam<BandCase> {};

TEST_P(Jp2Bands, EveryRowOfAnEmptyFileIsDecoded) {
    const BandCase& c = GetParam();
    const fixtures::Bytes file =
        fixtures::EmptyJpeg2000(c.width, c.height, c.components, c.jp2, c.tileHeight);
    PixBitmap b;
    ASSERT_EQ(pix::DecodeImage(file, &b), pix::kSuccess);
    const int channels = b.BitsPerPixel / 8;
    int wrong = 0;
    for (int y = 0; y < c.height; ++y) {
        const uint8_t* row = PixRow(b, y);
        for (int i = 0; i < c.width * channels; ++i) {
            const int v = channels == 1 ? b.Palette[row[i]].rgbRed : row[i];
            if (v != c.level && wrong++ < 3)
                ADD_FAILURE() << "row " << y << " byte " << i << ": " << v;
        }
    }
    EXPECT_EQ(wrong, 0);
    P_FreeBitmap(&b);
}

INSTANTIATE_TEST_SUITE_P(
    Files, Jp2Bands,
    testing::Values(BandCase{"rgba_jp2", 4096, 300, 4, true, 0, OverWhite(128, 128)},
                    BandCase{"grey_j2k", 4096, 700, 1, false, 0, 128},
                    BandCase{"grey_alpha_tiles", 4096, 300, 2, false, 50, OverWhite(128, 128)},
                    BandCase{"rgb_tall_tiles", 4096, 300, 3, true, 150, 128}),
    [](const auto& info) { return std::string(info.param.name); });

// Real pixels across bands: lossless files of the writer, grey and colour.
TEST(Jp2Bands, LosslessPicturesComeBackExactly) {
    for (const int bits : {8, 24}) {
        SCOPED_TRACE(bits);
        const int w = 4096, h = bits == 8 ? 700 : 150;
        PixBitmap src;
        ASSERT_EQ(P_InitBitmap(&src, sizeof src, w, h, bits), pix::kSuccess);
        ASSERT_EQ(P_AllocateBitmap(&src, sizeof src), pix::kSuccess);
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x) {
                uint8_t* p = PixRow(src, y) + (bits / 8) * x;
                if (bits == 8) {
                    *p = fixtures::GreyLevel(x, y);
                } else {
                    const fixtures::Bgr c = fixtures::Color(x, y);
                    p[0] = c.b, p[1] = c.g, p[2] = c.r;
                }
            }
        std::vector<uint8_t> file;
        ASSERT_EQ(pix::EncodeJp2(src, pix::Jp2Encoding{}, &file), pix::kSuccess);
        PixBitmap got;
        ASSERT_EQ(pix::DecodeImage(file, &got), pix::kSuccess);
        ASSERT_EQ(got.BitsPerPixel, bits);
        int wrong = 0;
        for (int y = 0; y < h; ++y)
            if (std::memcmp(PixRow(got, y), PixRow(src, y), size_t(w) * (bits / 8)) != 0 &&
                wrong++ < 3)
                ADD_FAILURE() << "row " << y;
        EXPECT_EQ(wrong, 0);
        P_FreeBitmap(&got);
        P_FreeBitmap(&src);
    }
}

}  // namespace
