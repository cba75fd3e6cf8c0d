// SPDX-License-Identifier: GPL-3.0-or-later
#include "imaging/engine/file_save.h"

#include <gtest/gtest.h>

// clang-format off
#include <cstdio>
#include <jpeglib.h>
// clang-format on

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "imaging/engine/atomic_file.h"
#include "imaging/engine/codecs/file_format.h"
#include "imaging/engine/codecs/format_table.h"
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
    EXPECT_EQ(pix::SaveBitmapFile(b, dir + "/x.cin", pix::kFormatCineon), pix::kNotSupported);
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

namespace {

// A wider picture with flat paper (runs longer than one run-length count)
// beside varied strokes, for the encoders that compress.
PixBitmap MakeDrawing(int bits, bool greyRamp) {
    PixBitmap b;
    P_InitBitmap(&b, sizeof(b), 300, 6, bits);
    P_AllocateBitmap(&b, sizeof(b));
    for (int y = 0; y < 6; ++y)
        for (int x = 0; x < 300; ++x) {
            uint8_t* p = PixRow(b, y) + (bits / 8) * x;
            const int v = x < 200 ? 240 : (x * 7 + y * 13) % 256;
            if (bits == 8) {
                p[0] = uint8_t(v);
            } else {
                p[0] = uint8_t(v);
                p[1] = uint8_t(x < 200 ? 235 : 255 - v);
                p[2] = uint8_t(x < 200 ? 230 : (v + 60) % 256);
            }
        }
    if (bits == 8 && !greyRamp)
        for (int i = 0; i < 256; ++i)
            b.Palette[i] = RGBQUAD{uint8_t(i), uint8_t(255 - i), uint8_t(i / 2), 0};
    return b;
}

struct EncodeCase {
    const char* name;
    int32_t format;
    int bits;
    bool greyRamp;
    pix::SaveOptions options;
    int loadedBits;  // the depth the file loads back at
    int tolerance;   // largest difference of a sample; 0 for lossless formats
};

class Encoders : public testing::TestWithParam<EncodeCase> {};

// The sample of the saved picture that the file should hold at (x, y), c.
int Expected(const PixBitmap& b, int loadedBits, int x, int y, int c) {
    const uint8_t* p = PixRow(b, y);
    if (b.BitsPerPixel == 24 && loadedBits == 24) return p[3 * x + c];
    if (b.BitsPerPixel == 24)
        return (299 * p[3 * x + 2] + 587 * p[3 * x + 1] + 114 * p[3 * x] + 500) / 1000;
    const RGBQUAD q = b.Palette[p[x]];
    const int bgr[3] = {q.rgbBlue, q.rgbGreen, q.rgbRed};
    if (loadedBits == 24) return bgr[c];
    return (299 * q.rgbRed + 587 * q.rgbGreen + 114 * q.rgbBlue + 500) / 1000;
}

TEST_P(Encoders, LoadBackWithTheirPixels) {
    const EncodeCase& c = GetParam();
    PixBitmap b = MakeDrawing(c.bits, c.greyRamp);
    const std::string path = WriteTemp(std::string(c.name) + ".out", {});
    ASSERT_EQ(pix::SaveBitmapFile(b, path, c.format, c.options), pix::kSuccess);
    PixBitmap back;
    ASSERT_EQ(pix::LoadBitmapFile(path, &back, 0), pix::kSuccess);
    ASSERT_EQ(back.Width, 300);
    ASSERT_EQ(back.Height, 6);
    ASSERT_EQ(back.BitsPerPixel, c.loadedBits);
    const bool palette = c.loadedBits == 8 && c.bits == 8 && !c.greyRamp &&
                         c.format != pix::kFormatJpeg && c.format != pix::kFormatSgi;
    int worst = 0;
    for (int y = 0; y < 6; ++y)
        for (int x = 0; x < 300; ++x)
            for (int ch = 0; ch < c.loadedBits / 8; ++ch) {
                const int got = PixRow(back, y)[(c.loadedBits / 8) * x + ch];
                const int want = palette ? PixRow(b, y)[x] : Expected(b, c.loadedBits, x, y, ch);
                worst = std::max(worst, std::abs(got - want));
            }
    EXPECT_LE(worst, c.tolerance);
    if (palette) {
        EXPECT_EQ(0, std::memcmp(back.Palette, b.Palette, 256 * 4));
    }
    P_FreeBitmap(&back);
    P_FreeBitmap(&b);
}

constexpr pix::SaveOptions Compressed(int32_t compression) {
    pix::SaveOptions o;
    o.compression = compression;
    return o;
}
constexpr pix::SaveOptions AtDepth(int32_t bits) {
    pix::SaveOptions o;
    o.bitsPerPixel = bits;
    return o;
}
constexpr pix::SaveOptions Progressive() {
    pix::SaveOptions o;
    o.progressive = true;
    return o;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, Encoders,
    testing::Values(
        EncodeCase{"tiff_24_none", pix::kFormatTiff, 24, false, Compressed(pix::kCompressionNone),
                   24, 0},
        EncodeCase{"tiff_24_lzw", pix::kFormatTiff, 24, false, Compressed(pix::kCompressionLzw), 24,
                   0},
        EncodeCase{"tiff_24_deflate", pix::kFormatTiff, 24, false,
                   Compressed(pix::kCompressionDeflate), 24, 0},
        EncodeCase{"tiff_8_grey", pix::kFormatTiff, 8, true, {}, 8, 0},
        EncodeCase{"tiff_8_palette_lzw", pix::kFormatTiff, 8, false, {}, 8, 0},
        EncodeCase{"tiff_8_palette_none", pix::kFormatTiff, 8, false,
                   Compressed(pix::kCompressionNone), 8, 0},
        EncodeCase{"sgi_24_rle", pix::kFormatSgi, 24, false, {}, 24, 0},
        EncodeCase{"sgi_24_verbatim", pix::kFormatSgi, 24, false, Compressed(pix::kCompressionNone),
                   24, 0},
        EncodeCase{"sgi_8_rle", pix::kFormatSgi, 8, true, Compressed(pix::kCompressionRle), 8, 0},
        EncodeCase{"sgi_8_verbatim", pix::kFormatSgi, 8, true, Compressed(pix::kCompressionNone), 8,
                   0},
        EncodeCase{"sgi_palette_to_grey", pix::kFormatSgi, 8, false, {}, 8, 0},
        EncodeCase{"png_palette_to_24", pix::kFormatPng, 8, false, AtDepth(24), 24, 0},
        // Runs longer than one count holds, then a literal longer than one.
        EncodeCase{"bmp_8_rle_long_runs", pix::kFormatBmp, 8, false,
                   Compressed(pix::kCompressionRle), 8, 0},
        EncodeCase{"jpeg_24", pix::kFormatJpeg, 24, false, {}, 24, 6},
        EncodeCase{"jpeg_24_progressive", pix::kFormatJpeg, 24, false, Progressive(), 24, 6},
        EncodeCase{"jpeg_8_grey", pix::kFormatJpeg, 8, true, {}, 8, 3},
        EncodeCase{"jpeg_24_to_grey", pix::kFormatJpeg, 24, false, AtDepth(8), 8, 3}),
    [](const auto& info) { return std::string(info.param.name); });

Bytes ReadAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return Bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

// libjpeg reads what we write: components and progressive mode as asked; a
// larger quality factor gives a smaller file.
TEST(SaveJpeg, LibjpegReadsItAndQualityFactorShrinksIt) {
    PixBitmap colour = MakeDrawing(24, false);
    size_t previous = SIZE_MAX;
    for (const int32_t qf : {2, 40, 120, 255}) {
        for (const bool progressive : {false, true}) {
            pix::SaveOptions o;
            o.qualityFactor = qf;
            o.progressive = progressive;
            const std::string path = WriteTemp("q.jpg", {});
            ASSERT_EQ(pix::SaveBitmapFile(colour, path, pix::kFormatJpeg, o), pix::kSuccess);
            const Bytes f = ReadAll(path);
            jpeg_decompress_struct cinfo{};
            jpeg_error_mgr err{};
            cinfo.err = jpeg_std_error(&err);
            jpeg_create_decompress(&cinfo);
            jpeg_mem_src(&cinfo, f.data(), f.size());
            ASSERT_EQ(jpeg_read_header(&cinfo, TRUE), JPEG_HEADER_OK);
            EXPECT_EQ(cinfo.num_components, 3);
            EXPECT_EQ(bool(cinfo.progressive_mode), progressive) << qf;
            jpeg_destroy_decompress(&cinfo);
            if (!progressive) {
                EXPECT_LT(f.size(), previous) << qf;
                previous = f.size();
            }
        }
    }
    P_FreeBitmap(&colour);
}

// Refused saves write nothing.
struct RefusedCase {
    const char* name;
    int32_t format;
    pix::SaveOptions options;
    int32_t status;
};
class Refused : public testing::TestWithParam<RefusedCase> {};

TEST_P(Refused, GiveTheirStatusAndNoFile) {
    const RefusedCase& c = GetParam();
    PixBitmap b = MakeDrawing(24, false);
    const std::string dir = std::filesystem::path(WriteTemp("probe", {})).parent_path().string();
    const std::string path = dir + "/" + c.name + ".refused";
    EXPECT_EQ(pix::SaveBitmapFile(b, path, c.format, c.options), c.status);
    EXPECT_FALSE(std::filesystem::exists(path));
    P_FreeBitmap(&b);
}

constexpr pix::SaveOptions Quality(int32_t qf) {
    pix::SaveOptions o;
    o.qualityFactor = qf;
    return o;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, Refused,
    testing::Values(
        RefusedCase{"jpeg_4_bits", pix::kFormatJpeg, AtDepth(4), -27},
        RefusedCase{"tiff_16_bits", pix::kFormatTiff, AtDepth(16), -27},
        RefusedCase{"sgi_32_bits", pix::kFormatSgi, AtDepth(32), -27},
        RefusedCase{"quality_1", pix::kFormatJpeg, Quality(1), -21},
        RefusedCase{"quality_256", pix::kFormatJpeg, Quality(256), -21},
        RefusedCase{"png_quality_0", pix::kFormatPng, Quality(0), -21},
        RefusedCase{"tiff_rle", pix::kFormatTiff, Compressed(pix::kCompressionRle), -23},
        RefusedCase{"jpeg_lzw", pix::kFormatJpeg, Compressed(pix::kCompressionLzw), -23},
        RefusedCase{"cineon", pix::kFormatCineon, {}, -16},
        RefusedCase{"unknown_code", 12345, {}, -16}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(FormatTable, NamesExtensionsAndDepths) {
    EXPECT_EQ(pix::FindFileFormatByExtension(".JPEG")->code, pix::kFormatJpeg);
    EXPECT_EQ(pix::FindFileFormatByExtension(".tif")->name, "TIFF");
    EXPECT_EQ(pix::FindFileFormatByExtension(".rgb")->code, pix::kFormatSgi);
    EXPECT_EQ(pix::FindFileFormatByExtension(".gif"), nullptr);
    EXPECT_TRUE(pix::CanSaveDepth(pix::kFormatPng, 8));
    EXPECT_FALSE(pix::CanSaveDepth(pix::kFormatCineon, 24));
    EXPECT_EQ(pix::SaveDepths(pix::kFormatTiff), (std::vector<int32_t>{1, 4, 8, 24}));
    EXPECT_EQ(pix::SaveDepths(pix::kFormatJpeg), (std::vector<int32_t>{8, 24}));
    EXPECT_TRUE(pix::SaveDepths(pix::kFormatCineon).empty());
    for (const pix::FileFormatEntry& f : pix::FileFormats()) {
        EXPECT_EQ(pix::FindFileFormat(f.code), &f);
        for (std::string_view e : f.extensions)
            EXPECT_EQ(pix::FindFileFormatByExtension(e), &f) << e;
    }
}

// What the save dialog offers per format: each depth with the compressions
// that hold it, the usual compression first.
TEST(FormatTable, SaveChoicesPerFormat) {
    using C = std::vector<pix::SaveChoice>;
    using namespace pix;
    EXPECT_EQ(SaveChoices(kFormatBmp), (C{{1, kCompressionNone},
                                          {4, kCompressionNone},
                                          {8, kCompressionNone},
                                          {8, kCompressionRle},
                                          {24, kCompressionNone}}));
    EXPECT_EQ(SaveChoices(kFormatTiff), (C{{1, kCompressionLzw},
                                           {1, kCompressionNone},
                                           {1, kCompressionDeflate},
                                           {4, kCompressionLzw},
                                           {4, kCompressionNone},
                                           {4, kCompressionDeflate},
                                           {8, kCompressionLzw},
                                           {8, kCompressionNone},
                                           {8, kCompressionDeflate},
                                           {8, kCompressionJpeg},
                                           {24, kCompressionLzw},
                                           {24, kCompressionNone},
                                           {24, kCompressionDeflate},
                                           {24, kCompressionJpeg}}));
    EXPECT_EQ(SaveChoices(kFormatJpeg), (C{{8, kCompressionJpeg},
                                           {8, kCompressionProgressiveJpeg},
                                           {24, kCompressionJpeg},
                                           {24, kCompressionProgressiveJpeg}}));
    EXPECT_EQ(SaveChoices(kFormatSgi), (C{{8, kCompressionRle},
                                          {8, kCompressionNone},
                                          {24, kCompressionRle},
                                          {24, kCompressionNone}}));
    EXPECT_TRUE(SaveChoices(kFormatCineon).empty());
    // Every choice saves; the usual compression is the table's first.
    PixBitmap b = MakeDrawing(24, false);
    for (const FileFormatEntry& f : FileFormats())
        for (const SaveChoice& c : SaveChoices(f.code)) {
            SaveOptions o;
            o.bitsPerPixel = c.bitsPerPixel;
            o.compression = c.compression;
            EXPECT_EQ(SaveBitmapFile(b, WriteTemp("choice", {}), f.code, o), kSuccess)
                << f.name << " " << c.bitsPerPixel << " " << c.compression;
        }
    EXPECT_EQ(ResolveCompression(kFormatTiff, kCompressionDefault), kCompressionLzw);
    EXPECT_EQ(ResolveCompression(kFormatBmp, kCompressionDefault), kCompressionNone);
    P_FreeBitmap(&b);
}

}  // namespace
