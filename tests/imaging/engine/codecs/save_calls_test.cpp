// The engine's save calls as the image control makes them: the options
// record, P_SaveBitmap, P_SaveBitmapList and the row-callback save.
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "imaging/engine/bitmap_list.h"
#include "imaging/engine/codecs/file_format.h"
#include "imaging/engine/file_load.h"
#include "imaging/engine/file_save.h"
#include "imaging/engine/status_callback.h"
#include "imaging/engine/status_codes.h"
#include "tests/imaging/engine/codecs/image_fixtures.h"

using namespace fixtures;

namespace {

PixBitmap Colour(int w, int h) {
    PixBitmap b;
    P_InitBitmap(&b, sizeof(b), w, h, 24);
    P_AllocateBitmap(&b, sizeof(b));
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const Bgr c = Color(x, y);
            uint8_t* p = PixRow(b, y) + 3 * x;
            p[0] = c.b;
            p[1] = c.g;
            p[2] = c.r;
        }
    return b;
}

std::string TempDir() {
    return std::filesystem::path(WriteTemp("probe", {})).parent_path().string();
}

std::string ReadText(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

bool SamePixels(const PixBitmap& a, const PixBitmap& b) {
    if (a.Width != b.Width || a.Height != b.Height || a.BitsPerPixel != b.BitsPerPixel)
        return false;
    for (int y = 0; y < a.Height; ++y)
        if (std::memcmp(PixRow(a, y), PixRow(b, y), size_t(a.Width) * (a.BitsPerPixel / 8)))
            return false;
    return true;
}

TEST(SaveFileOptions, DefaultsAndTheirPair) {
    PixSaveFileOptions o;
    std::memset(&o, 0x5A, sizeof(o));
    ASSERT_EQ(P_GetDefaultSaveFileOption(&o, sizeof(o)), pix::kSuccess);
    EXPECT_EQ(o.StructSize, 1650u);
    EXPECT_EQ(o.Flags, kSaveDefaultBit);
    EXPECT_EQ(o.PageNumber, 1);
    EXPECT_EQ(o.Compression, -1);
    EXPECT_EQ(o.Passes, 0);
    EXPECT_EQ(o.StampWidth, 0);
    EXPECT_EQ(o.Reserved2[565], 0);
    EXPECT_EQ(P_GetDefaultSaveFileOption(&o, 1649), pix::kInvalidStructSize);
    EXPECT_EQ(P_GetDefaultSaveFileOption(nullptr, 1650), pix::kInvalidParameter);
    o.Compression = pix::kCompressionDeflate;
    ASSERT_EQ(P_SetDefaultSaveFileOption(&o, sizeof(o)), pix::kSuccess);
    PixSaveFileOptions back;
    P_GetDefaultSaveFileOption(&back, sizeof(back));
    EXPECT_EQ(back.Compression, pix::kCompressionDeflate);
    o.Compression = -1;
    P_SetDefaultSaveFileOption(&o, sizeof(o));
}

TEST(SaveBitmap, WritesWithTheRecordsSettings) {
    PixBitmap b = Colour(9, 4);
    const std::string path = TempDir() + "/calls.tif";
    PixSaveFileOptions o;
    P_GetDefaultSaveFileOption(&o, sizeof(o));
    o.Compression = pix::kCompressionNone;
    ASSERT_EQ(P_SaveBitmap(path.c_str(), &b, pix::kFormatTiff, 0, 2, &o), pix::kSuccess);
    // Uncompressed: the pixels are all there.
    EXPECT_GE(std::filesystem::file_size(path), 9u * 4 * 3);
    PixBitmap back;
    ASSERT_EQ(pix::LoadBitmapFile(path, &back, 0), pix::kSuccess);
    EXPECT_TRUE(SamePixels(back, b));
    P_FreeBitmap(&back);
    o.StructSize = 1649;
    EXPECT_EQ(P_SaveBitmap(path.c_str(), &b, pix::kFormatTiff, 0, 2, &o), pix::kInvalidStructSize);
    EXPECT_EQ(P_SaveBitmap(path.c_str(), &b, pix::kFormatJpeg, 0, 1, nullptr), -21);
    P_FreeBitmap(&b);
}

struct RowSource {
    const PixBitmap* source;
    int32_t stopAt;  // the row whose callback answers 0; -1 never
    int32_t rowsAsked = 0;
};

int32_t FetchRow(PixBitmap*, int32_t row, uint8_t* buffer, uint32_t bytes, void* user) {
    auto* s = static_cast<RowSource*>(user);
    if (row != s->rowsAsked++ || row == s->stopAt) return 0;
    return P_GetBitmapRow(s->source, row, buffer, bytes) == int32_t(bytes) ? 1 : 0;
}

TEST(SaveFile, RowsFromTheCallbackAndAStopLeavesNothing) {
    PixBitmap b = Colour(11, 6);
    PixBitmap descriptor;
    P_CopyBitmapHandle(&descriptor, &b, sizeof(descriptor));
    descriptor.Data = nullptr;
    descriptor.Flags &= ~kBitmapAllocated;
    const std::string path = TempDir() + "/rows.png";
    std::filesystem::remove(path);
    RowSource all{&b, -1};
    ASSERT_EQ(P_SaveFile(path.c_str(), &descriptor, pix::kFormatPng, 0, 2, kSaveFileOwnDepth,
                         FetchRow, &all, nullptr),
              pix::kSuccess);
    EXPECT_EQ(all.rowsAsked, 6);
    PixBitmap back;
    ASSERT_EQ(pix::LoadBitmapFile(path, &back, 0), pix::kSuccess);
    EXPECT_TRUE(SamePixels(back, b));
    P_FreeBitmap(&back);

    // Stopped on the last row: the old file stays, no temporary file is left;
    // without an old file nothing appears.
    const std::string kept = WriteTemp("rows-kept.png", {'o', 'l', 'd'});
    RowSource stopped{&b, 5};
    EXPECT_EQ(P_SaveFile(kept.c_str(), &descriptor, pix::kFormatPng, 0, 2, kSaveFileOwnDepth,
                         FetchRow, &stopped, nullptr),
              pix::kUserAbort);
    EXPECT_EQ(ReadText(kept), "old");
    const std::string none = TempDir() + "/rows-none.png";
    RowSource first{&b, 0};
    EXPECT_EQ(P_SaveFile(none.c_str(), &descriptor, pix::kFormatPng, 0, 2, kSaveFileOwnDepth,
                         FetchRow, &first, nullptr),
              pix::kUserAbort);
    EXPECT_FALSE(std::filesystem::exists(none));
    for (const auto& e : std::filesystem::directory_iterator(TempDir()))
        EXPECT_NE(e.path().filename().string().rfind(".strakel-", 0), 0u) << e.path();
    P_FreeBitmap(&b);
}

int32_t StopAtEnd(int32_t percent, void*) {
    return percent < 100 ? 1 : 0;
}

TEST(SaveBitmap, AStopFromTheStatusCallbackWritesNothing) {
    PixBitmap b = Colour(5, 5);
    const std::string path = TempDir() + "/stopped.bmp";
    std::filesystem::remove(path);
    P_SetStatusCallBack(StopAtEnd, nullptr, nullptr, nullptr);
    EXPECT_EQ(P_SaveBitmap(path.c_str(), &b, pix::kFormatBmp, 0, 2, nullptr), pix::kUserAbort);
    P_SetStatusCallBack(nullptr, nullptr, nullptr, nullptr);
    EXPECT_FALSE(std::filesystem::exists(path));
    P_FreeBitmap(&b);
}

}  // namespace
