// JPEG 2000 files written by another encoder (the stored inputs of the jp2
// fuzzer, each made from a formula): the pixels, alpha drawn over white, deep
// samples scaled to 8 bits, and what P_FileInfo tells about them.
#include <gtest/gtest.h>

#include <cstdlib>
#include <functional>
#include <string>

#include "imaging/engine/codecs/file_format.h"
#include "imaging/engine/file_info.h"
#include "imaging/engine/file_load.h"
#include "imaging/engine/status_codes.h"

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

}  // namespace
