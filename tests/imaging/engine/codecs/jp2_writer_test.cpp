// SPDX-License-Identifier: GPL-3.0-or-later
// The JPEG 2000 writer as a save drives it: the quality factor chooses the
// reversible or the irreversible wavelet and the file's size, the options
// (or, for the engine's save call, the installed JPEG 2000 record) its
// decomposition levels; damaged copies of what it writes are refused without
// a crash.
#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "imaging/engine/codecs/decode_image.h"
#include "imaging/engine/codecs/file_format.h"
#include "imaging/engine/file_save.h"
#include "imaging/engine/format_options.h"
#include "imaging/engine/status_codes.h"
#include "tests/imaging/engine/codecs/image_fixtures.h"

using namespace fixtures;

namespace {

// A 64 x 64 picture with gradients and fine texture, like a photo's detail.
PixBitmap Picture(int width = 64, int height = 64) {
    PixBitmap b;
    P_InitBitmap(&b, sizeof(b), width, height, 24);
    P_AllocateBitmap(&b, sizeof(b));
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            uint8_t* p = PixRow(b, y) + 3 * x;
            p[0] = uint8_t(x * 4 + (x * y) % 7);
            p[1] = uint8_t(y * 4 + (x + 3 * y) % 11);
            p[2] = uint8_t((x + y) * 2 + (x * x + y) % 13);
        }
    return b;
}

Bytes ReadAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return Bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

Bytes Save(const PixBitmap& b, int32_t format, int32_t qualityFactor, int32_t* status = nullptr,
           int32_t levels = pix::SaveOptions{}.jpeg2000Levels) {
    const std::string path = WriteTemp("j2k-save.out", {});
    pix::SaveOptions o;
    o.qualityFactor = qualityFactor;
    o.jpeg2000Levels = levels;
    const int32_t s = pix::SaveBitmapFile(b, path, format, o);
    if (status) *status = s;
    return s == pix::kSuccess ? ReadAll(path) : Bytes{};
}

// The coding style marker's decomposition levels and wavelet (1: reversible 5/3).
struct CodingStyle {
    int levels = -1;
    int reversible = -1;
};
CodingStyle CodingStyleOf(const Bytes& file) {
    for (size_t i = 0; i + 14 < file.size(); ++i)
        if (file[i] == 0xFF && file[i + 1] == 0x52) return {file[i + 9], file[i + 13]};
    return {};
}

// Installs a JPEG 2000 record with the given levels for one test.
class WithLevels {
public:
    explicit WithLevels(int32_t levels) {
        P_GetJ2KOptions(&saved_, sizeof saved_);
        PixJ2KOptions o = saved_;
        o.Levels = levels;
        P_SetJ2KOptions(&o, sizeof o);
    }
    ~WithLevels() { P_SetJ2KOptions(&saved_, sizeof saved_); }

private:
    PixJ2KOptions saved_{};
};

TEST(SaveJpeg2000, QualityFactorTwoIsLosslessAndLargerFactorsGiveSmallerFiles) {
    PixBitmap b = Picture();
    const Bytes lossless = Save(b, pix::kFormatJp2, 2);
    EXPECT_EQ(CodingStyleOf(lossless).reversible, 1);
    size_t previous = lossless.size();
    for (const int32_t factor : {27, 100, 200, 255}) {
        const Bytes lossy = Save(b, pix::kFormatJp2, factor);
        EXPECT_EQ(CodingStyleOf(lossy).reversible, 0) << factor;
        EXPECT_LT(lossy.size(), previous) << factor;
        previous = lossy.size();
    }
    P_FreeBitmap(&b);
}

TEST(SaveJpeg2000, TheRecordChoosesTheLevelsThatThePictureAllows) {
    PixBitmap big = Picture(), flat = Picture(300, 6);
    EXPECT_EQ(CodingStyleOf(Save(big, pix::kFormatJ2k, 2)).levels, 5) << "the record's default";
    EXPECT_EQ(CodingStyleOf(Save(flat, pix::kFormatJ2k, 2)).levels, 2) << "6 rows halve twice";
    EXPECT_EQ(CodingStyleOf(Save(big, pix::kFormatJp2, 50, nullptr, 3)).levels, 3);
    EXPECT_EQ(CodingStyleOf(Save(big, pix::kFormatJp2, 2, nullptr, 0)).levels, 0);
    for (const int32_t levels : {-1, 33}) {
        int32_t status = 0;
        Save(big, pix::kFormatJp2, 2, &status, levels);
        EXPECT_EQ(status, -538) << levels;  // "... decomposition level was too high."
    }
    {
        // The engine's save call takes the installed record's levels; the
        // saves with their own options never see it.
        WithLevels three(3);
        const std::string path = WriteTemp("j2k-installed.out", {});
        ASSERT_EQ(P_SaveBitmap(path.c_str(), &big, pix::kFormatJp2, 0, 2, nullptr), pix::kSuccess);
        EXPECT_EQ(CodingStyleOf(ReadAll(path)).levels, 3);
        EXPECT_EQ(CodingStyleOf(Save(big, pix::kFormatJp2, 2)).levels, 5);
    }
    P_FreeBitmap(&big);
    P_FreeBitmap(&flat);
}

TEST(SaveJpeg2000, TheContainerFollowsTheFormatCode) {
    PixBitmap b = Picture(9, 9);
    const Bytes jp2 = Save(b, pix::kFormatJp2, 2), j2k = Save(b, pix::kFormatJ2k, 2);
    const Bytes signature = {0, 0, 0, 12, 'j', 'P', ' ', ' ', 0x0D, 0x0A, 0x87, 0x0A};
    ASSERT_GE(jp2.size(), signature.size());
    EXPECT_TRUE(std::equal(signature.begin(), signature.end(), jp2.begin()));
    ASSERT_GE(j2k.size(), 4u);
    EXPECT_EQ(Bytes(j2k.begin(), j2k.begin() + 4), (Bytes{0xFF, 0x4F, 0xFF, 0x51}));
    P_FreeBitmap(&b);
}

// The smallest pictures take no wavelet levels and still come back exact.
TEST(SaveJpeg2000, ThinPicturesComeBackExact) {
    for (const auto& [w, h] : {std::pair{1, 1}, std::pair{1, 40}, std::pair{40, 2}}) {
        PixBitmap b = Picture(w, h);
        const Bytes file = Save(b, pix::kFormatJ2k, 2);
        PixBitmap back;
        ASSERT_EQ(pix::DecodeImage(file, &back), pix::kSuccess) << w << "x" << h;
        ASSERT_EQ(back.Width, w);
        ASSERT_EQ(back.Height, h);
        for (int y = 0; y < h; ++y)
            EXPECT_EQ(0, std::memcmp(PixRow(back, y), PixRow(b, y), size_t(3 * w))) << y;
        P_FreeBitmap(&back);
        P_FreeBitmap(&b);
    }
}

// Every truncation of a written file, and copies with one byte changed, are
// refused or decoded, never read past their end (the sanitizers watch).
TEST(SaveJpeg2000, DamagedFilesAreRefusedWithoutACrash) {
    PixBitmap b = Picture(16, 16);
    for (const int32_t format : {pix::kFormatJp2, pix::kFormatJ2k}) {
        const Bytes file = Save(b, format, 40);
        ASSERT_FALSE(file.empty());
        int refused = 0;
        for (size_t n = 0; n < file.size(); ++n) {
            // A copy of exactly n bytes, so that reading past it is caught.
            const std::vector<uint8_t> cut(file.begin(), file.begin() + ptrdiff_t(n));
            PixBitmap out;
            const int32_t s = pix::DecodeImage(cut, &out);
            if (s == pix::kSuccess)
                P_FreeBitmap(&out);
            else
                ++refused;
        }
        EXPECT_GT(refused, int(file.size()) / 2) << format;
        for (size_t at = 0; at < file.size(); at += 3) {
            Bytes changed = file;
            changed[at] ^= 0x5A;
            PixBitmap out;
            if (pix::DecodeImage(changed, &out) == pix::kSuccess) P_FreeBitmap(&out);
        }
    }
    P_FreeBitmap(&b);
}

}  // namespace
