#include "imaging/engine/file_save.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "imaging/engine/atomic_file.h"
#include "imaging/engine/codecs/file_format.h"
#include "imaging/engine/file_load.h"
#include "imaging/engine/status_codes.h"
#include "tests/imaging/engine/codecs/image_fixtures.h"

using namespace fixtures;

namespace {

PixBitmap MakeBitmap(int bits, bool greyRamp) {
    PixBitmap b;
    P_InitBitmap(&b, sizeof(b), 7, 5, bits);
    P_AllocateBitmap(&b, sizeof(b));
    for (int y = 0; y < 5; ++y)
        for (int x = 0; x < 7; ++x) {
            uint8_t* p = PixRow(b, y);
            if (bits == 8) {
                p[x] = uint8_t(x * 30 + y);
            } else {
                const Bgr c = Color(x, y);
                p[3 * x] = c.b;
                p[3 * x + 1] = c.g;
                p[3 * x + 2] = c.r;
            }
        }
    if (bits == 8 && !greyRamp)
        for (int i = 0; i < 256; ++i)
            b.Palette[i] = RGBQUAD{uint8_t(i), uint8_t(255 - i), uint8_t(i / 2), 0};
    return b;
}

struct SaveCase {
    const char* name;
    int32_t format;
    int bits;
    bool greyRamp;
};

class RoundTrip : public testing::TestWithParam<SaveCase> {};

TEST_P(RoundTrip, LoadsBackIdentical) {
    const SaveCase& c = GetParam();
    PixBitmap b = MakeBitmap(c.bits, c.greyRamp);
    const std::string path =
        WriteTemp(std::string(c.name) + (c.format == pix::kFormatPng ? ".png" : ".bmp"), {});
    ASSERT_EQ(pix::SaveBitmapFile(b, path, c.format), pix::kSuccess);
    PixBitmap back;
    ASSERT_EQ(pix::LoadBitmapFile(path, &back, 0), pix::kSuccess);
    ASSERT_EQ(back.Width, 7);
    ASSERT_EQ(back.Height, 5);
    ASSERT_EQ(back.BitsPerPixel, c.bits);
    for (int y = 0; y < 5; ++y)
        EXPECT_EQ(0, std::memcmp(PixRow(back, y), PixRow(b, y), 7 * (c.bits / 8))) << y;
    if (c.bits == 8) {
        EXPECT_EQ(0, std::memcmp(back.Palette, b.Palette, 256 * 4));
    }
    P_FreeBitmap(&back);
    P_FreeBitmap(&b);
}

INSTANTIATE_TEST_SUITE_P(Cases, RoundTrip,
                         testing::Values(SaveCase{"bmp_24", pix::kFormatBmp, 24, false},
                                         SaveCase{"bmp_8_palette", pix::kFormatBmp, 8, false},
                                         SaveCase{"png_24", pix::kFormatPng, 24, false},
                                         SaveCase{"png_8_grey", pix::kFormatPng, 8, true},
                                         SaveCase{"png_8_palette", pix::kFormatPng, 8, false}),
                         [](const auto& info) { return std::string(info.param.name); });

// The BMP header fields other programs read.
TEST(SaveBmp, HeaderBytes) {
    PixBitmap b = MakeBitmap(24, false);
    const std::string path = WriteTemp("header.bmp", {});
    ASSERT_EQ(pix::SaveBitmapFile(b, path, pix::kFormatBmp), pix::kSuccess);
    std::ifstream in(path, std::ios::binary);
    const Bytes f((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    const size_t stride = 24;  // 7 x 3 bytes padded to 4
    ASSERT_EQ(f.size(), 54 + stride * 5);
    EXPECT_EQ(f[0], 'B');
    EXPECT_EQ(f[1], 'M');
    EXPECT_EQ(f[10], 54);
    EXPECT_EQ(f[14], 40);
    EXPECT_EQ(f[18], 7);
    EXPECT_EQ(f[22], 5);
    EXPECT_EQ(f[28], 24);
    // The bottom row comes first.
    const Bgr last = Color(0, 4);
    EXPECT_EQ((Bgr{f[54], f[55], f[56]}), last);
    P_FreeBitmap(&b);
}

ssize_t FailingWrite(int, const void*, size_t) {
    errno = ENOSPC;
    return -1;
}

TEST(Save, Failures) {
    PixBitmap b = MakeBitmap(24, false);
    const std::string dir = std::filesystem::path(WriteTemp("probe", {})).parent_path().string();
    EXPECT_EQ(pix::SaveBitmapFile(b, dir + "/no-such-dir/x.bmp", pix::kFormatBmp),
              pix::kFileCreate);
    EXPECT_EQ(pix::SaveBitmapFile(b, dir + "/x.tif", pix::kFormatTiff), pix::kNotSupported);
    EXPECT_EQ(pix::SaveBitmapFile(b, "", pix::kFormatBmp), pix::kInvalidFileName);
    PixBitmap empty;
    P_InitBitmap(&empty, sizeof(empty), 0, 0, 0);
    EXPECT_EQ(pix::SaveBitmapFile(empty, dir + "/empty.png", pix::kFormatPng), pix::kInvalidBitmap);
    EXPECT_FALSE(std::filesystem::exists(dir + "/empty.png"));

    // A write that fails leaves the file that was there before as it was.
    const std::string kept = WriteTemp("kept.png", {'o', 'l', 'd'});
    pix::AtomicFileCalls calls = pix::SystemAtomicFileCalls();
    calls.write = FailingWrite;
    pix::SetAtomicFileCalls(calls);
    int error = 0;
    EXPECT_EQ(pix::SaveBitmapFile(b, kept, pix::kFormatPng, &error), pix::kFileWrite);
    pix::SetAtomicFileCalls(pix::SystemAtomicFileCalls());
    EXPECT_EQ(error, ENOSPC);
    std::ifstream in(kept, std::ios::binary);
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), "old");
    for (const auto& e : std::filesystem::directory_iterator(dir))
        EXPECT_NE(e.path().filename().string().rfind(pix::kTemporaryPrefix, 0), 0u) << e.path();
    P_FreeBitmap(&b);
}

}  // namespace

// A 24-bit picture whose pixels are all grey is written as 8-bit grey PNG and
// loads back at 24 bits with the same pixels; one coloured pixel keeps RGB.
TEST(SavePng, GreyPictureIsWrittenAsGrey) {
    for (const bool oneColored : {false, true}) {
        PixBitmap b = MakeBitmap(24, false);
        for (int y = 0; y < 5; ++y)
            for (int x = 0; x < 7; ++x) std::memset(PixRow(b, y) + 3 * x, uint8_t(x * 36 + y), 3);
        if (oneColored) PixRow(b, 4)[6 * 3 + 2] ^= 1;
        const std::string path = WriteTemp(oneColored ? "rgb.png" : "grey.png", {});
        ASSERT_EQ(pix::SaveBitmapFile(b, path, pix::kFormatPng), pix::kSuccess);
        std::ifstream in(path, std::ios::binary);
        const Bytes f((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        ASSERT_GT(f.size(), 26u);
        EXPECT_EQ(f[24], 8) << "bit depth";
        EXPECT_EQ(f[25], oneColored ? 2 : 0) << "colour type";
        PixBitmap back;
        ASSERT_EQ(pix::LoadBitmapFile(path, &back, 24), pix::kSuccess);
        for (int y = 0; y < 5; ++y)
            EXPECT_EQ(0, std::memcmp(PixRow(back, y), PixRow(b, y), 7 * 3)) << y;
        P_FreeBitmap(&back);
        P_FreeBitmap(&b);
    }
}
