// SPDX-License-Identifier: GPL-3.0-or-later
#include "imaging/engine/codecs/jpeg_decoder.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>

#include "imaging/engine/codecs/file_format.h"
#include "imaging/engine/status_codes.h"
#include "tests/imaging/engine/codecs/decode_helpers.h"

using namespace fixtures;

namespace {

// Colour and grey files must decode to exactly what the library alone gives.
struct PlainCase {
    const char* name;
    int components;
    bool progressive;
};

class JpegPlain : public testing::TestWithParam<PlainCase> {};

TEST_P(JpegPlain, EqualsLibraryDecode) {
    const PlainCase& c = GetParam();
    const Bytes file = JpegFile(37, 21, c.components, c.progressive);
    int w, h, ch;
    const Bytes plain = PlainJpegDecode(file, &w, &h, &ch);
    Decoded d(file);
    ASSERT_EQ(d.status, pix::kSuccess);
    EXPECT_EQ(d.info.format, pix::kFormatJpeg);
    EXPECT_EQ(d.info.interlaced, c.progressive);
    ASSERT_EQ(d.bitmap.Width, 37);
    ASSERT_EQ(d.bitmap.Height, 21);
    ASSERT_EQ(d.bitmap.BitsPerPixel, ch * 8);
    EXPECT_EQ(d.info.grey, ch == 1);
    for (int y = 0; y < h; ++y)
        ASSERT_EQ(0, std::memcmp(PixRow(d.bitmap, y), &plain[size_t(y) * w * ch], size_t(w) * ch))
            << "row " << y;
}

INSTANTIATE_TEST_SUITE_P(Cases, JpegPlain,
                         testing::Values(PlainCase{"baseline_colour", 3, false},
                                         PlainCase{"progressive_colour", 3, true},
                                         PlainCase{"baseline_grey", 1, false},
                                         PlainCase{"progressive_grey", 1, true}),
                         [](const auto& info) { return std::string(info.param.name); });

// Where source pixel (x, y) of a w x h picture must land for each orientation.
void Destination(int o, int w, int h, int x, int y, int* dx, int* dy) {
    switch (o) {
        case 1:
            *dx = x;
            *dy = y;
            break;
        case 2:
            *dx = w - 1 - x;
            *dy = y;
            break;
        case 3:
            *dx = w - 1 - x;
            *dy = h - 1 - y;
            break;
        case 4:
            *dx = x;
            *dy = h - 1 - y;
            break;
        case 5:
            *dx = y;
            *dy = x;
            break;
        case 6:
            *dx = h - 1 - y;
            *dy = x;
            break;  // turned a quarter clockwise
        case 7:
            *dx = h - 1 - y;
            *dy = w - 1 - x;
            break;
        case 8:
            *dx = y;
            *dy = w - 1 - x;
            break;  // turned a quarter anticlockwise
    }
}

class JpegOrientation : public testing::TestWithParam<int> {};

TEST_P(JpegOrientation, PixelsStandUpright) {
    const int o = GetParam();
    const Bytes file = JpegFile(24, 16, 3, false, o);
    int w, h, ch;
    const Bytes plain = PlainJpegDecode(file, &w, &h, &ch);
    Decoded d(file);
    ASSERT_EQ(d.status, pix::kSuccess);
    EXPECT_EQ(d.info.orientation, o);
    EXPECT_EQ(d.bitmap.ViewPerspective, 1);
    ASSERT_EQ(d.bitmap.Width, o >= 5 ? 16 : 24);
    ASSERT_EQ(d.bitmap.Height, o >= 5 ? 24 : 16);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            int dx = 0, dy = 0;
            Destination(o, w, h, x, y, &dx, &dy);
            const uint8_t* s = &plain[(size_t(y) * w + x) * 3];
            ASSERT_EQ(d.At(dx, dy), (Bgr{s[0], s[1], s[2]})) << "source " << x << "," << y;
        }
}

INSTANTIATE_TEST_SUITE_P(AllEight, JpegOrientation, testing::Range(1, 9));

// CMYK and YCCK files (Adobe, inverted inks) against the colours they were
// written from: each channel is ink x black / 255, within 8 levels of loss.
class JpegCmyk : public testing::TestWithParam<int> {};

TEST_P(JpegCmyk, ConvertsToBgr) {
    const Bytes file = JpegFile(16, 16, GetParam(), false, 0, 100);
    Decoded d(file);
    ASSERT_EQ(d.status, pix::kSuccess);
    ASSERT_EQ(d.bitmap.BitsPerPixel, 24);
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 16; ++x) {
            const Bgr p = Color(x, y);
            const int k = 0x80 | ((x * 20 + y * 3) & 0xFF);
            const Bgr got = d.At(x, y);
            EXPECT_NEAR(got.r, p.r * k / 255.0, 8) << x << "," << y;
            EXPECT_NEAR(got.g, p.g * k / 255.0, 8) << x << "," << y;
            EXPECT_NEAR(got.b, p.b * k / 255.0, 8) << x << "," << y;
        }
}

INSTANTIATE_TEST_SUITE_P(Kinds, JpegCmyk, testing::Values(4, 5),
                         [](const auto& info) { return info.param == 4 ? "cmyk" : "ycck"; });

// Offset of the last marker `code` (0xFF code) in a JPEG, 0 when there is none.
size_t LastMarker(const Bytes& jpeg, uint8_t code) {
    for (size_t i = jpeg.size() - 1; i > 0; --i)
        if (jpeg[i - 1] == 0xFF && jpeg[i] == code) return i - 1;
    return 0;
}

// A file that lacks only its end-of-image marker has all its pixels.
class JpegWithoutEnd : public testing::TestWithParam<PlainCase> {};

TEST_P(JpegWithoutEnd, LoadsEveryPixel) {
    const PlainCase& c = GetParam();
    const Bytes file = JpegFile(37, 21, c.components, c.progressive);
    ASSERT_EQ(LastMarker(file, 0xD9), file.size() - 2);
    int w, h, ch;
    const Bytes plain = PlainJpegDecode(file, &w, &h, &ch);
    Decoded d(Bytes(file.begin(), file.end() - 2));
    ASSERT_EQ(d.status, pix::kSuccess);
    for (int y = 0; y < h; ++y)
        ASSERT_EQ(0, std::memcmp(PixRow(d.bitmap, y), &plain[size_t(y) * w * ch], size_t(w) * ch))
            << "row " << y;
}

INSTANTIATE_TEST_SUITE_P(Cases, JpegWithoutEnd,
                         testing::Values(PlainCase{"baseline_colour", 3, false},
                                         PlainCase{"baseline_grey", 1, false},
                                         PlainCase{"progressive_colour", 3, true},
                                         PlainCase{"progressive_grey", 1, true}),
                         [](const auto& info) { return std::string(info.param.name); });

// Data that really ends early is refused, wherever it ends.
TEST(JpegCut, InsideTheScanIsRefused) {
    const Bytes file = JpegFile(64, 48, 3, false);
    const size_t sos = LastMarker(file, 0xDA);
    Decoded d(Bytes(file.begin(), file.begin() + (sos + file.size()) / 2));
    EXPECT_EQ(d.status, pix::kFileRead);
}

TEST(JpegCut, BeforeTheLastProgressiveScanIsRefused) {
    const Bytes file = JpegFile(64, 48, 3, true);
    Decoded d(Bytes(file.begin(), file.begin() + LastMarker(file, 0xDA)));
    EXPECT_EQ(d.status, pix::kFileRead);
}

// A progressive file keeps all its coefficients until the last scan: two
// bytes a sample, eight a pixel for CMYK at full resolution. A small CMYK file
// whose header claims 4600 x 4600 pixels would need more than two pictures of
// that size plus 32 MiB for them, and is refused for memory before its scans
// are read; the same claim in three components fits and is read (and then
// found short).
Bytes WithSize(Bytes jpeg, uint16_t width, uint16_t height) {
    const size_t sof = LastMarker(jpeg, 0xC2);
    jpeg[sof + 5] = uint8_t(height >> 8), jpeg[sof + 6] = uint8_t(height);
    jpeg[sof + 7] = uint8_t(width >> 8), jpeg[sof + 8] = uint8_t(width);
    return jpeg;
}

TEST(JpegMemory, CoefficientsBeyondTheBudgetAreRefused) {
    Decoded cmyk(WithSize(JpegFile(16, 16, 4, true), 4600, 4600));
    EXPECT_EQ(cmyk.status, pix::kNoMemory);
    Decoded colour(WithSize(JpegFile(16, 16, 3, true), 4600, 4600));
    EXPECT_EQ(colour.status, pix::kFileRead);
}

// Every scan of a progressive file is another pass over all coefficients: a
// file whose last scan repeats many times is refused instead of taking ages.
Bytes WithLastScanRepeated(const Bytes& jpeg, int times) {
    const size_t sos = LastMarker(jpeg, 0xDA), eoi = LastMarker(jpeg, 0xD9);
    Bytes out(jpeg.begin(), jpeg.begin() + eoi);
    for (int i = 1; i < times; ++i) out.insert(out.end(), jpeg.begin() + sos, jpeg.begin() + eoi);
    out.insert(out.end(), jpeg.begin() + eoi, jpeg.end());
    return out;
}

TEST(JpegScans, ManyRepeatedScansAreRefused) {
    // Not a damaged file: one that needs more scans than a load allows.
    Decoded d(WithLastScanRepeated(JpegFile(64, 48, 3, true), 1000));
    EXPECT_EQ(d.status, pix::kNotSupported);
}

TEST(JpegScans, AFewRepeatedScansStillLoad) {
    // The default progression has 10 scans; 80 more stay within the limit and
    // decode as the library alone decodes them.
    const Bytes file = WithLastScanRepeated(JpegFile(64, 48, 3, true), 81);
    int w, h, ch;
    const Bytes plain = PlainJpegDecode(file, &w, &h, &ch);
    Decoded d(file);
    ASSERT_EQ(d.status, pix::kSuccess);
    for (int y = 0; y < h; ++y)
        ASSERT_EQ(0, std::memcmp(PixRow(d.bitmap, y), &plain[size_t(y) * w * ch], size_t(w) * ch))
            << "row " << y;
}

}  // namespace
