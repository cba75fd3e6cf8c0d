// SPDX-License-Identifier: GPL-3.0-or-later
// The PNG writer's two roads: the PNGs framed here from rows filtered by us
// and compressed by libdeflate, and libpng's stream for the rest. Each file is
// read back by libpng's own reader with the pixels it was given.
#include "imaging/engine/codecs/png_writer.h"

#include <gtest/gtest.h>
#include <png.h>

#include <cstring>
#include <string>
#include <vector>

#include "imaging/engine/status_codes.h"
#include "tests/imaging/engine/codecs/save_cases.h"

using namespace fixtures;

namespace {

struct Decoded {
    uint32_t width = 0, height = 0;
    bool grey = false;
    std::vector<uint8_t> bgr;  // rows top-down, no padding
};

Decoded ReadWithLibpng(const std::vector<uint8_t>& file) {
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    Decoded d;
    if (!png_image_begin_read_from_memory(&image, file.data(), file.size())) {
        ADD_FAILURE() << image.message;
        return d;
    }
    d.width = image.width;
    d.height = image.height;
    d.grey = (image.format & PNG_FORMAT_FLAG_COLOR) == 0;
    image.format = PNG_FORMAT_BGR;
    d.bgr.resize(PNG_IMAGE_SIZE(image));
    if (!png_image_finish_read(&image, nullptr, d.bgr.data(), 0, nullptr))
        ADD_FAILURE() << image.message;
    return d;
}

// The IDAT chunks of a PNG, in order.
int CountIdat(const std::vector<uint8_t>& file) {
    int count = 0;
    for (size_t at = 8; at + 8 <= file.size();) {
        const uint32_t length = uint32_t(file[at]) << 24 | uint32_t(file[at + 1]) << 16 |
                                uint32_t(file[at + 2]) << 8 | file[at + 3];
        if (std::memcmp(&file[at + 4], "IDAT", 4) == 0) ++count;
        at += 12 + size_t(length);
    }
    return count;
}

// Noise of few levels with a bright stripe: neighbours often tie, which is
// where the Paeth predictor's order of choice shows, and sums overflow a byte,
// where the average's does.
PixBitmap Noisy(int bits) {
    PixBitmap b;
    P_InitBitmap(&b, sizeof(b), 41, 19, bits);
    P_AllocateBitmap(&b, sizeof(b));
    uint32_t state = 12345;
    const size_t n = size_t(b.Width) * size_t(bits / 8);
    for (int32_t y = 0; y < b.Height; ++y)
        for (size_t i = 0; i < n; ++i) {
            state = state * 1103515245u + 12345u;
            const uint32_t v = (state >> 16) % 4 * 60;
            PixRow(b, y)[i] = uint8_t(i % 7 == 3 ? 255 - v / 4 : v);
        }
    return b;
}

struct FilterCase {
    const char* name;
    int filters;
};

class FramedPng : public testing::TestWithParam<FilterCase> {};

// Colour, an 8-bit grey bitmap and a 24-bit picture whose pixels are all grey
// (a pencil drawing, written as 8-bit grey), with each filter.
TEST_P(FramedPng, ReadsBackWithTheSamePixels) {
    const struct {
        PixBitmap bitmap;
        bool grey;
    } sources[] = {{MakeSource(Source::kColour24), false},
                   {MakeSource(Source::kGrey8), true},
                   {MakeSource(Source::kDrawing24), true},
                   {Noisy(24), false},
                   {Noisy(8), true}};
    for (const auto& s : sources) {
        SCOPED_TRACE(&s - sources);
        PixBitmap b = s.bitmap;
        pix::PngEncoding encoding = pix::kFastPng;
        encoding.filters = GetParam().filters;
        std::vector<uint8_t> file;
        ASSERT_EQ(pix::EncodePng(b, &file, encoding), pix::kSuccess);
        const Decoded d = ReadWithLibpng(file);
        EXPECT_EQ(d.width, uint32_t(b.Width));
        EXPECT_EQ(d.height, uint32_t(b.Height));
        EXPECT_EQ(d.grey, s.grey);
        EXPECT_EQ(d.bgr, Pixels24(b));
        EXPECT_EQ(CountIdat(file), 1) << "framed here, in one IDAT chunk";

        std::vector<uint8_t> streamed;
        ASSERT_EQ(pix::EncodePng(b, &streamed, pix::kFastStreamPng), pix::kSuccess);
        EXPECT_EQ(ReadWithLibpng(streamed).bgr, d.bgr) << "libpng's stream holds the same";
        P_FreeBitmap(&b);
    }
}

INSTANTIATE_TEST_SUITE_P(Filters, FramedPng,
                         testing::Values(FilterCase{"none", PNG_FILTER_NONE},
                                         FilterCase{"sub", PNG_FILTER_SUB},
                                         FilterCase{"up", PNG_FILTER_UP},
                                         FilterCase{"average", PNG_FILTER_AVG},
                                         FilterCase{"paeth", PNG_FILTER_PAETH}),
                         [](const auto& info) { return std::string(info.param.name); });

// Pictures above 16 MiB of filtered rows (2400 x 2400 colour, and grey from
// 24 bits at 4800 x 3600) stay on the framed road: one IDAT chunk, the same
// pixels. Palette bitmaps go through libpng.
TEST(PngWriter, LargePicturesAreFramedAndPalettesGoThroughLibpng) {
    struct Case {
        int32_t width, height;
        bool grey;
    };
    for (const Case c : {Case{2400, 2400, false}, Case{4800, 3600, true}}) {
        SCOPED_TRACE(c.width);
        PixBitmap big;
        P_InitBitmap(&big, sizeof(big), c.width, c.height, 24);
        ASSERT_EQ(P_AllocateBitmap(&big, sizeof(big)), pix::kSuccess);
        for (int32_t y = 0; y < c.height; ++y) {
            uint8_t* row = PixRow(big, y);
            for (int32_t x = 0; x < c.width; ++x) {
                const uint8_t v = uint8_t(x == y ? 0 : 250);
                row[3 * x] = c.grey ? v : uint8_t(x);
                row[3 * x + 1] = c.grey ? v : uint8_t(y);
                row[3 * x + 2] = v;
            }
        }
        std::vector<uint8_t> file;
        ASSERT_EQ(pix::EncodePng(big, &file), pix::kSuccess);
        EXPECT_EQ(CountIdat(file), 1);
        const Decoded d = ReadWithLibpng(file);
        EXPECT_EQ(d.grey, c.grey);
        EXPECT_EQ(d.bgr, Pixels24(big));
        P_FreeBitmap(&big);
    }

    std::vector<uint8_t> file;
    PixBitmap palette = MakeSource(Source::kPalette8);
    ASSERT_EQ(pix::EncodePng(palette, &file), pix::kSuccess);
    EXPECT_EQ(ReadWithLibpng(file).bgr, Pixels24(palette));
    P_FreeBitmap(&palette);
}

}  // namespace
