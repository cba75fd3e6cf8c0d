// SPDX-License-Identifier: GPL-3.0-or-later
#include "imaging/engine/file_load.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <vector>

#include "imaging/engine/codecs/file_format.h"
#include "imaging/engine/file_info.h"
#include "imaging/engine/status_callback.h"
#include "imaging/engine/status_codes.h"
#include "tests/imaging/engine/codecs/image_fixtures.h"

using namespace fixtures;

namespace {

PixFileInfo NewInfo() {
    PixFileInfo info{};
    info.StructSize = sizeof(info);
    return info;
}

PixLoadOptions DefaultOptions() {
    PixLoadOptions o;
    P_GetDefaultLoadFileOption(&o, sizeof(o));
    return o;
}

TEST(FileInfo, FailuresOfTheFileItself) {
    const std::string dir = std::filesystem::path(WriteTemp("probe", {})).parent_path().string();
    const std::string text = WriteTemp("words.txt", {'h', 'e', 'l', 'l', 'o'});
    // Nobody writes to the FIFO: opening it must not wait for a writer.
    const std::string fifo = dir + "/pipe.bmp";
    ::unlink(fifo.c_str());
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    const struct {
        std::string path;
        int32_t status;
    } cases[] = {{"", pix::kInvalidFileName},
                 {dir + "/no-such-file.bmp", pix::kFileNotFound},
                 {dir + "/no-such-dir/x.bmp", pix::kFileNotFound},
                 {dir, pix::kCannotOpenFile},
                 {fifo, pix::kCannotOpenFile},
                 {text, pix::kFileFormat}};
    for (const auto& c : cases) {
        PixFileInfo info = NewInfo();
        EXPECT_EQ(P_FileInfo(c.path.c_str(), &info, sizeof(info), 1, nullptr), c.status) << c.path;
        PixBitmap b;
        P_InitBitmap(&b, sizeof(b), 0, 0, 0);
        EXPECT_EQ(P_LoadFile(c.path.c_str(), &b, sizeof(b), 0, kOrderBGR, kLoadOnePage, nullptr,
                             nullptr, nullptr, nullptr),
                  c.status)
            << c.path;
        EXPECT_EQ(b.Data, nullptr);
    }
    PixFileInfo info = NewInfo();
    EXPECT_EQ(P_FileInfo(text.c_str(), &info, 1000, 1, nullptr), pix::kInvalidStructSize);
}

TEST(FileInfo, DescribesTheFileBeforeAnyPixel) {
    const std::string path = WriteTemp("info.jpg", JpegFile(40, 30, 1, true, 6));
    PixFileInfo info = NewInfo();
    info.Flags = 0x1234;
    const PixLoadOptions options = DefaultOptions();
    ASSERT_EQ(P_FileInfo(path.c_str(), &info, sizeof(info), 1, &options), pix::kSuccess);
    EXPECT_EQ(info.StructSize, 1144u);
    EXPECT_EQ(info.Format, pix::kFormatJpeg);
    EXPECT_EQ(info.Width, 30);  // turned upright by its orientation tag
    EXPECT_EQ(info.Height, 40);
    EXPECT_EQ(info.BitsPerPixel, 8);
    EXPECT_EQ(info.Grey, -1);
    EXPECT_EQ(info.Interlaced, -1);
    EXPECT_EQ(info.Orientation, 6);
    EXPECT_EQ(info.SingleImage, kInfoNotAnimated);
    EXPECT_EQ(info.TotalPages, 1);
    EXPECT_EQ(info.Flags, 0x1234u);
    EXPECT_EQ(info.Palette[200].rgbRed, 200);
    EXPECT_EQ(info.FileSize, std::filesystem::file_size(path));
}

struct Band {
    PixBitmap* page;
    int32_t first;
    int32_t rows;
    uint32_t flags;
};

struct Recorder {
    std::vector<Band> bands;
    int32_t answer = pix::kSuccess;
    int stopAfter = -1;

    static int32_t Callback(PixBitmap* page, int32_t first, int32_t rows, uint32_t flags,
                            void* self) {
        auto* r = static_cast<Recorder*>(self);
        r->bands.push_back({page, first, rows, flags});
        return int(r->bands.size()) == r->stopAfter ? r->answer : pix::kSuccess;
    }
};

// Every row arrives exactly once; the first band carries the first-band bits,
// the last band the last-band bits, the bands between neither.
TEST(LoadFile, HandsEveryRowOnceInFlaggedBands) {
    const int w = 13, h = 100;
    const std::string path = ColorBmp(w, h, "bands.bmp");
    PixBitmap b;
    P_InitBitmap(&b, sizeof(b), 0, 0, 0);
    Recorder rec;
    const PixLoadOptions options = DefaultOptions();
    PixFileInfo info = NewInfo();
    ASSERT_EQ(P_LoadFile(path.c_str(), &b, sizeof(b), 0, kOrderBGR, kLoadOnePage,
                         Recorder::Callback, &rec, &options, &info),
              pix::kSuccess);
    ASSERT_GE(rec.bands.size(), 3u);
    std::vector<int> seen(h, 0);
    for (size_t i = 0; i < rec.bands.size(); ++i) {
        const Band& band = rec.bands[i];
        EXPECT_EQ(band.page, &b);
        const uint32_t want =
            (i == 0 ? kBandFirst : 0) | (i + 1 == rec.bands.size() ? kBandLast : 0);
        EXPECT_EQ(band.flags, want) << "band " << i;
        for (int y = band.first; y < band.first + band.rows; ++y) ++seen[y];
    }
    for (int y = 0; y < h; ++y) EXPECT_EQ(seen[y], 1) << "row " << y;
    EXPECT_EQ(info.Width, w);
    EXPECT_EQ(info.Format, pix::kFormatBmp);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const uint8_t* p = PixRow(b, y) + 3 * x;
            ASSERT_EQ((Bgr{p[0], p[1], p[2]}), Color(x, y)) << x << "," << y;
        }
    P_FreeBitmap(&b);
}

TEST(LoadFile, OneBandPictureCarriesAllFourBits) {
    const std::string path = ColorBmp(3, 2, "one-band.bmp");
    PixBitmap b;
    Recorder rec;
    ASSERT_EQ(P_LoadFile(path.c_str(), &b, sizeof(b), 0, kOrderBGR, kLoadOnePage,
                         Recorder::Callback, &rec, nullptr, nullptr),
              pix::kSuccess);
    ASSERT_EQ(rec.bands.size(), 1u);
    EXPECT_EQ(rec.bands[0].flags, 0xFu);
    P_FreeBitmap(&b);
}

// -29 (or any other stop) from the callback ends the load with that status;
// the pixels it has seen are the caller's.
TEST(LoadFile, CallbackStopEndsTheLoad) {
    const std::string path = ColorBmp(8, 200, "stop.bmp");
    for (int32_t answer : {pix::kUserAbort, pix::kFailure}) {
        PixBitmap b;
        Recorder rec;
        rec.answer = answer;
        rec.stopAfter = 2;
        EXPECT_EQ(P_LoadFile(path.c_str(), &b, sizeof(b), 0, kOrderBGR, kLoadOnePage,
                             Recorder::Callback, &rec, nullptr, nullptr),
                  answer);
        EXPECT_EQ(rec.bands.size(), 2u);
        EXPECT_TRUE(b.Flags & kBitmapAllocated);
        P_FreeBitmap(&b);
    }
}

struct Progress {
    std::vector<int32_t> percents;
    int stopAt = 1000;
    static int32_t Callback(int32_t percent, void* self) {
        auto* p = static_cast<Progress*>(self);
        p->percents.push_back(percent);
        return percent >= p->stopAt ? 0 : 1;
    }
};

TEST(LoadFile, ReportsProgressAndStopsWhenAsked) {
    const std::string path = ColorBmp(8, 320, "progress.bmp");
    Progress progress;
    P_SetStatusCallBack(Progress::Callback, nullptr, &progress, nullptr);
    PixBitmap b;
    ASSERT_EQ(pix::LoadBitmapFile(path, &b, 0), pix::kSuccess);
    P_FreeBitmap(&b);
    ASSERT_EQ(progress.percents.size(), 10u);
    EXPECT_EQ(progress.percents.front(), 10);
    EXPECT_EQ(progress.percents.back(), 100);
    EXPECT_TRUE(std::is_sorted(progress.percents.begin(), progress.percents.end()));

    progress = Progress{};
    progress.stopAt = 30;
    EXPECT_EQ(pix::LoadBitmapFile(path, &b, 0), pix::kUserAbort);
    EXPECT_EQ(b.Data, nullptr);
    EXPECT_EQ(progress.percents.back(), 30);
    P_SetStatusCallBack(nullptr, nullptr, nullptr, nullptr);
}

TEST(LoadFile, DepthConversions) {
    // An 8-bit palette file at 24 bits: the palette's colours.
    BmpLayout s;
    s.width = 3;
    s.height = 1;
    s.bpp = 8;
    s.palette = {{10, 20, 30, 0}, {40, 50, 60, 0}, {70, 80, 90, 0}};
    s.colorsUsed = 3;
    s.pixels = {2, 0, 1, 0};
    const std::string pal = WriteTemp("palette.bmp", BmpFile(s));
    PixBitmap b;
    ASSERT_EQ(pix::LoadBitmapFile(pal, &b, 24), pix::kSuccess);
    ASSERT_EQ(b.BitsPerPixel, 24);
    const uint8_t want[] = {70, 80, 90, 10, 20, 30, 40, 50, 60};
    EXPECT_EQ(0, std::memcmp(b.Data, want, 9));
    P_FreeBitmap(&b);
    ASSERT_EQ(pix::LoadBitmapFile(pal, &b, 0), pix::kSuccess);
    EXPECT_EQ(b.BitsPerPixel, 8);
    EXPECT_EQ(b.Colors, 3);
    P_FreeBitmap(&b);

    // Colour at 8 bits: grey levels of a grey ramp.
    BmpLayout c;
    c.width = 3;
    c.height = 1;
    c.pixels = {0, 0, 255, 255, 255, 255, 0, 255, 0, 0, 0, 0};  // red, white, green
    const std::string color = WriteTemp("colour.bmp", BmpFile(c));
    ASSERT_EQ(pix::LoadBitmapFile(color, &b, 8), pix::kSuccess);
    ASSERT_EQ(b.BitsPerPixel, 8);
    EXPECT_EQ(b.Data[0], 76);  // round(0.299 x 255)
    EXPECT_EQ(b.Data[1], 255);
    EXPECT_EQ(b.Data[2], 150);  // round(0.587 x 255)
    EXPECT_EQ(b.Palette[76].rgbRed, 76);
    P_FreeBitmap(&b);

    EXPECT_EQ(pix::LoadBitmapFile(color, &b, 16), pix::kInvalidBitsPerPixel);
    EXPECT_EQ(P_LoadFile(color.c_str(), &b, sizeof(b), 0, 3, kLoadOnePage, nullptr, nullptr,
                         nullptr, nullptr),
              pix::kInvalidParameter);
}

TEST(LoadFile, PagesBeyondTheFileAreRefused) {
    const std::string path = ColorBmp(3, 2, "pages.bmp");
    PixLoadOptions options = DefaultOptions();
    options.PageNumber = 1;
    PixFileInfo info = NewInfo();
    EXPECT_EQ(P_FileInfo(path.c_str(), &info, sizeof(info), 1, &options), pix::kInvalidParameter);
    PixBitmap b;
    EXPECT_EQ(P_LoadFile(path.c_str(), &b, sizeof(b), 0, kOrderBGR, kLoadOnePage, nullptr, nullptr,
                         &options, nullptr),
              pix::kInvalidParameter);
}

// A decode that fails after bands were shown leaves the pixels with the
// caller; one without a callback leaves nothing.
TEST(LoadFile, TruncatedRleAfterFirstBand) {
    BmpLayout s;
    s.width = 4;
    s.height = 80;
    s.bpp = 8;
    s.compression = BI_RLE8;
    s.palette = {{0, 0, 0, 0}, {255, 255, 255, 0}};
    for (int y = 0; y < 50; ++y) s.pixels.insert(s.pixels.end(), {4, 1, 0, 0});
    const std::string path = WriteTemp("short-rle.bmp", BmpFile(s));
    PixBitmap b;
    Recorder rec;
    EXPECT_EQ(P_LoadFile(path.c_str(), &b, sizeof(b), 0, kOrderBGR, kLoadOnePage,
                         Recorder::Callback, &rec, nullptr, nullptr),
              pix::kFileRead);
    EXPECT_EQ(rec.bands.size(), 1u);
    EXPECT_TRUE(b.Flags & kBitmapAllocated);
    P_FreeBitmap(&b);
    EXPECT_EQ(P_LoadFile(path.c_str(), &b, sizeof(b), 0, kOrderBGR, kLoadOnePage, nullptr, nullptr,
                         nullptr, nullptr),
              pix::kFileRead);
    EXPECT_EQ(b.Data, nullptr);
    EXPECT_EQ(b.Width, 0);
}

}  // namespace
