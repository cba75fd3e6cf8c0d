// SPDX-License-Identifier: GPL-3.0-or-later
// The engine's save calls as the image control makes them: the options
// record, P_SaveBitmap, P_SaveBitmapList and the row-callback save.
#include <gtest/gtest.h>
#include <tiffio.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "imaging/engine/atomic_file.h"
#include "imaging/engine/bitmap_list.h"
#include "imaging/engine/codecs/file_format.h"
#include "imaging/engine/file_info.h"
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

namespace {

// Saves the engine refuses before writing: their status, and the file at the
// path (none, or an old one) as it was.
struct RefusedSave {
    const char* name;
    int32_t format;
    int32_t bits;
    int32_t qualityFactor;
    void (*change)(PixSaveFileOptions*);
    const char* existing;  // the old file's bytes, or null for no file
    int32_t status;
};

void NoChange(PixSaveFileOptions*) {}
void Rle(PixSaveFileOptions* o) {
    o->Compression = pix::kCompressionRle;
}
void Jpeg(PixSaveFileOptions* o) {
    o->Compression = pix::kCompressionJpeg;
}
void Lzw(PixSaveFileOptions* o) {
    o->Compression = pix::kCompressionLzw;
}
void Stamp(PixSaveFileOptions* o) {
    o->Flags = kSaveWithStamp;
    o->StampWidth = o->StampHeight = 16;
}
void StampBoxZero(PixSaveFileOptions* o) {
    Stamp(o);
    o->StampHeight = 0;
}
void StampFourBits(PixSaveFileOptions* o) {
    Stamp(o);
    o->StampBits = 4;
}
void Append(PixSaveFileOptions* o) {
    o->PageNumber = kSaveAppendPage;
}
void ReplaceSecond(PixSaveFileOptions* o) {
    o->Flags |= kSaveReplacePage;
    o->PageNumber = 1;
}
void InsertAndReplace(PixSaveFileOptions* o) {
    o->Flags |= kSaveInsertPage | kSaveReplacePage;
}

constexpr char kNotATiff[] = "BM this is not a TIFF";

class Refused : public testing::TestWithParam<RefusedSave> {};

TEST_P(Refused, GiveTheirStatusAndLeaveThePathAsItWas) {
    const RefusedSave& c = GetParam();
    PixBitmap b = Colour(9, 7);
    const std::string path = TempDir() + "/refused-" + c.name;
    std::filesystem::remove(path);
    if (c.existing)
        WriteTemp("refused-" + std::string(c.name),
                  Bytes(c.existing, c.existing + std::strlen(c.existing)));
    PixSaveFileOptions o;
    P_GetDefaultSaveFileOption(&o, sizeof(o));
    c.change(&o);
    EXPECT_EQ(P_SaveBitmap(path.c_str(), &b, c.format, c.bits, c.qualityFactor, &o), c.status);
    if (c.existing)
        EXPECT_EQ(ReadText(path), c.existing);
    else
        EXPECT_FALSE(std::filesystem::exists(path));
    P_FreeBitmap(&b);
}

INSTANTIATE_TEST_SUITE_P(
    Table, Refused,
    testing::Values(
        RefusedSave{"quality_1", pix::kFormatJpeg, 24, 1, NoChange, nullptr, -21},
        RefusedSave{"quality_256", pix::kFormatTiff, 24, 256, NoChange, nullptr, -21},
        RefusedSave{"png_16_bits", pix::kFormatPng, 16, 2, NoChange, nullptr, -27},
        RefusedSave{"jpeg_4_bits", pix::kFormatJpeg, 4, 2, NoChange, nullptr, -27},
        RefusedSave{"sgi_1_bit", pix::kFormatSgi, 1, 2, NoChange, nullptr, -27},
        RefusedSave{"bmp_rle_24", pix::kFormatBmp, 24, 2, Rle, nullptr, -23},
        RefusedSave{"bmp_rle_4", pix::kFormatBmp, 4, 2, Rle, nullptr, -23},
        RefusedSave{"tiff_jpeg_4", pix::kFormatTiff, 4, 2, Jpeg, nullptr, -23},
        RefusedSave{"png_lzw", pix::kFormatPng, 24, 2, Lzw, nullptr, -23},
        RefusedSave{"png_stamp", pix::kFormatPng, 24, 2, Stamp, nullptr, -16},
        RefusedSave{"bmp_stamp", pix::kFormatBmp, 24, 2, Stamp, "old", -16},
        RefusedSave{"stamp_box_0", pix::kFormatJpeg, 24, 2, StampBoxZero, nullptr, -11},
        RefusedSave{"stamp_4_bits", pix::kFormatTiff, 24, 2, StampFourBits, nullptr, -27},
        RefusedSave{"bmp_append", pix::kFormatBmp, 24, 2, Append, "old", -16},
        RefusedSave{"replace_no_file", pix::kFormatTiff, 24, 2, ReplaceSecond, nullptr, -10},
        RefusedSave{"append_to_not_tiff", pix::kFormatTiff, 24, 2, Append, kNotATiff, -9},
        RefusedSave{"insert_and_replace", pix::kFormatTiff, 24, 2, InsertAndReplace, nullptr, -13},
        RefusedSave{"cineon", pix::kFormatCineon, 24, 2, NoChange, nullptr, -16}),
    [](const auto& info) { return std::string(info.param.name); });

// The pages of a TIFF file as libtiff reads them: each page's first pixel
// (red) and whether it is a reduced image.
std::vector<std::pair<int, bool>> TiffPages(const std::string& path) {
    std::vector<std::pair<int, bool>> pages;
    TIFF* tif = TIFFOpen(path.c_str(), "r");
    if (!tif) return pages;
    do {
        uint32_t type = 0;
        TIFFGetFieldDefaulted(tif, TIFFTAG_SUBFILETYPE, &type);
        uint32_t w = 0, h = 0;
        TIFFGetField(tif, TIFFTAG_IMAGEWIDTH, &w);
        TIFFGetField(tif, TIFFTAG_IMAGELENGTH, &h);
        std::vector<uint32_t> rgba(size_t(w) * h);
        TIFFReadRGBAImageOriented(tif, w, h, rgba.data(), ORIENTATION_TOPLEFT, 0);
        pages.emplace_back(rgba.empty() ? -1 : int(TIFFGetR(rgba[0])),
                           (type & FILETYPE_REDUCEDIMAGE) != 0);
    } while (TIFFReadDirectory(tif));
    TIFFClose(tif);
    return pages;
}

PixBitmap Red(int red) {
    PixBitmap b = Colour(6, 4);
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 6; ++x) PixRow(b, y)[3 * x + 2] = uint8_t(red);
    return b;
}

int32_t SavePage(const std::string& path, int red, uint32_t flags, int32_t page) {
    PixBitmap b = Red(red);
    PixSaveFileOptions o;
    P_GetDefaultSaveFileOption(&o, sizeof(o));
    o.Flags |= flags;
    o.PageNumber = page;
    if (flags & kSaveWithStamp) o.StampWidth = o.StampHeight = 3;
    const int32_t s = P_SaveBitmap(path.c_str(), &b, pix::kFormatTiff, 24, 2, &o);
    P_FreeBitmap(&b);
    return s;
}

// Appending, inserting and replacing pages; a reduced image stays with its page.
TEST(SaveTiffPages, PlacesPagesInTheExistingFile) {
    const std::string path = TempDir() + "/placed.tif";
    std::filesystem::remove(path);
    ASSERT_EQ(SavePage(path, 10, 0, kSaveAppendPage), pix::kSuccess);  // no file yet: a new one
    ASSERT_EQ(SavePage(path, 20, kSaveWithStamp, kSaveAppendPage), pix::kSuccess);
    ASSERT_EQ(SavePage(path, 30, kSaveInsertPage, 1), pix::kSuccess);
    using P = std::vector<std::pair<int, bool>>;
    EXPECT_EQ(TiffPages(path), (P{{10, false}, {30, false}, {20, false}, {20, true}}));
    ASSERT_EQ(SavePage(path, 40, kSaveReplacePage, 2), pix::kSuccess);
    EXPECT_EQ(TiffPages(path), (P{{10, false}, {30, false}, {40, false}}));
    ASSERT_EQ(SavePage(path, 50, kSaveInsertPage, 99), pix::kSuccess);  // past the end: last
    ASSERT_EQ(SavePage(path, 60, kSaveReplacePage, 0), pix::kSuccess);
    EXPECT_EQ(TiffPages(path), (P{{60, false}, {30, false}, {40, false}, {50, false}}));
    EXPECT_EQ(SavePage(path, 70, kSaveReplacePage, 4), pix::kInvalidParameter);
    EXPECT_EQ(TiffPages(path).size(), 4u);
    // Our loader reads the first page and counts them all.
    PixFileInfo info{};
    info.StructSize = sizeof(info);
    ASSERT_EQ(P_FileInfo(path.c_str(), &info, sizeof(info), 0, nullptr), pix::kSuccess);
    EXPECT_EQ(info.TotalPages, 4);
    ASSERT_EQ(SavePage(path, 80, 0, kSaveNewFile), pix::kSuccess);
    EXPECT_EQ(TiffPages(path), (P{{80, false}}));
}

// The pages P_FileInfo counts, or its failure.
int32_t InfoPages(const std::string& path) {
    PixFileInfo info{};
    info.StructSize = sizeof(info);
    const int32_t s = P_FileInfo(path.c_str(), &info, sizeof(info), 0, nullptr);
    return s == pix::kSuccess ? info.TotalPages : s;
}

// Whether the file's first page loads as exactly `expected`.
bool FirstPageIs(const std::string& path, const PixBitmap& expected) {
    PixBitmap back;
    if (pix::LoadBitmapFile(path, &back, 0) != pix::kSuccess) return false;
    const bool same = SamePixels(back, expected);
    P_FreeBitmap(&back);
    return same;
}

// A stamp is not a page: only full-resolution images are counted and loaded.
TEST(SaveTiffPages, StampsAreNotPages) {
    const std::string path = TempDir() + "/stamped.tif";
    PixBitmap first = Red(10);
    ASSERT_EQ(SavePage(path, 10, kSaveWithStamp, kSaveNewFile), pix::kSuccess);
    using P = std::vector<std::pair<int, bool>>;
    ASSERT_EQ(TiffPages(path), (P{{10, false}, {10, true}}));
    EXPECT_EQ(InfoPages(path), 1);
    EXPECT_TRUE(FirstPageIs(path, first));

    ASSERT_EQ(SavePage(path, 20, kSaveWithStamp, kSaveAppendPage), pix::kSuccess);
    ASSERT_EQ(TiffPages(path), (P{{10, false}, {10, true}, {20, false}, {20, true}}));
    EXPECT_EQ(InfoPages(path), 2);
    PixLoadOptions options{};
    options.StructSize = sizeof(options);
    PixFileInfo info{};
    info.StructSize = sizeof(info);
    options.PageNumber = 1;
    EXPECT_EQ(P_FileInfo(path.c_str(), &info, sizeof(info), 0, &options), pix::kSuccess);
    options.PageNumber = 2;
    EXPECT_EQ(P_FileInfo(path.c_str(), &info, sizeof(info), 0, &options), pix::kInvalidParameter);
    EXPECT_TRUE(FirstPageIs(path, first));
    P_FreeBitmap(&first);
}

// A file whose reduced-resolution image comes before the full one loads the
// full one as its only page.
TEST(SaveTiffPages, AStampBeforeItsPageIsSkipped) {
    const std::string path = TempDir() + "/stamp-first.tif";
    PixBitmap page = Red(30);
    PixBitmap stamp = Colour(3, 2);
    TIFF* tif = TIFFOpen(path.c_str(), "w");
    ASSERT_TRUE(tif);
    for (const PixBitmap* b : {&stamp, &page}) {
        TIFFSetField(tif, TIFFTAG_SUBFILETYPE, uint32_t(b == &stamp ? FILETYPE_REDUCEDIMAGE : 0));
        TIFFSetField(tif, TIFFTAG_IMAGEWIDTH, uint32_t(b->Width));
        TIFFSetField(tif, TIFFTAG_IMAGELENGTH, uint32_t(b->Height));
        TIFFSetField(tif, TIFFTAG_SAMPLESPERPIXEL, uint16_t(3));
        TIFFSetField(tif, TIFFTAG_BITSPERSAMPLE, uint16_t(8));
        TIFFSetField(tif, TIFFTAG_PHOTOMETRIC, uint16_t(PHOTOMETRIC_RGB));
        TIFFSetField(tif, TIFFTAG_PLANARCONFIG, uint16_t(PLANARCONFIG_CONTIG));
        std::vector<uint8_t> rgb(size_t(b->Width) * 3);
        for (int y = 0; y < b->Height; ++y) {
            for (int x = 0; x < b->Width; ++x)
                for (int c = 0; c < 3; ++c) rgb[3 * x + c] = PixRow(*b, y)[3 * x + 2 - c];
            ASSERT_EQ(TIFFWriteScanline(tif, rgb.data(), uint32_t(y), 0), 1);
        }
        ASSERT_TRUE(TIFFWriteDirectory(tif));
    }
    TIFFClose(tif);
    EXPECT_EQ(InfoPages(path), 1);
    EXPECT_TRUE(FirstPageIs(path, page));
    P_FreeBitmap(&page);
    P_FreeBitmap(&stamp);
}

ssize_t FailingWrite(int, const void*, size_t) {
    errno = EIO;
    return -1;
}

// A page added to a file whose write fails leaves the file as it was.
TEST(SaveTiffPages, AFailedWriteKeepsTheFileBefore) {
    const std::string path = TempDir() + "/kept.tif";
    ASSERT_EQ(SavePage(path, 10, 0, kSaveNewFile), pix::kSuccess);
    const std::string before = ReadText(path);
    pix::AtomicFileCalls calls = pix::SystemAtomicFileCalls();
    calls.write = FailingWrite;
    pix::SetAtomicFileCalls(calls);
    const int32_t status = SavePage(path, 20, 0, kSaveAppendPage);
    pix::SetAtomicFileCalls(pix::SystemAtomicFileCalls());
    EXPECT_EQ(status, pix::kFileWrite);
    EXPECT_EQ(ReadText(path), before);
}

// Little-endian 32-bit value at `at`.
uint32_t Le32At(const std::string& b, size_t at) {
    uint32_t v = 0;
    for (int i = 3; i >= 0; --i) v = v << 8 | uint8_t(b[at + size_t(i)]);
    return v;
}
void PutLe32(std::string* b, size_t at, uint32_t v) {
    for (int i = 0; i < 4; ++i) (*b)[at + size_t(i)] = char(v >> (8 * i));
}
// Where the next-directory offset of the directory at `ifd` is kept.
size_t NextField(const std::string& b, size_t ifd) {
    return ifd + 2 + 12 * (uint8_t(b[ifd]) | uint8_t(b[ifd + 1]) << 8);
}

// A file of our pages whose chain of directories does not end in 0:
// "self": one page that names itself next; "back": the second of two pages
// names the first; "long": one page followed by 65535 empty directories.
std::string UnendingTiff(const std::string& path, const std::string& kind) {
    std::filesystem::remove(path);
    SavePage(path, 10, 0, kSaveNewFile);
    if (kind == "back") SavePage(path, 20, 0, kSaveAppendPage);
    std::string b = ReadText(path);
    const uint32_t first = Le32At(b, 4);
    uint32_t last = first;
    while (Le32At(b, NextField(b, last)) != 0) last = Le32At(b, NextField(b, last));
    if (kind == "long") {
        const uint32_t at = uint32_t(b.size() + 1) & ~1u;
        b.resize(at + 6 * 65535, '\0');
        PutLe32(&b, NextField(b, last), at);
        for (uint32_t i = 0; i + 1 < 65535; ++i) PutLe32(&b, at + 6 * i + 2, at + 6 * (i + 1));
    } else {
        PutLe32(&b, NextField(b, last), first);
    }
    std::ofstream(path, std::ios::binary | std::ios::trunc) << b;
    return b;
}

class UnendingChain : public testing::TestWithParam<std::string> {};

// libtiff would follow such a chain for ever to link a page to its end: the
// file is refused as damaged for loading and for every page placement, and
// stays as it was.
TEST_P(UnendingChain, IsRefusedAndTheFileKept) {
    const std::string path = TempDir() + "/unending-" + GetParam() + ".tif";
    const std::string before = UnendingTiff(path, GetParam());
    ASSERT_EQ(ReadText(path), before);
    EXPECT_EQ(InfoPages(path), pix::kFileFormat);
    PixBitmap loaded;
    P_InitBitmap(&loaded, sizeof(loaded), 0, 0, 0);
    EXPECT_EQ(pix::LoadBitmapFile(path, &loaded, 0), pix::kFileFormat);
    EXPECT_EQ(loaded.Data, nullptr);
    EXPECT_EQ(SavePage(path, 30, 0, kSaveAppendPage), pix::kFileFormat);
    EXPECT_EQ(SavePage(path, 30, kSaveInsertPage, 0), pix::kFileFormat);
    EXPECT_EQ(SavePage(path, 30, kSaveInsertPage, 1), pix::kFileFormat);
    EXPECT_EQ(SavePage(path, 30, kSaveReplacePage, 0), pix::kFileFormat);
    EXPECT_EQ(ReadText(path), before);
}

INSTANTIATE_TEST_SUITE_P(Kinds, UnendingChain, testing::Values("self", "back", "long"));

// Every page of a list goes into one TIFF; a format of one page takes a list
// of one and refuses more.
TEST(SaveBitmapList, WritesEveryPage) {
    HBITMAPLIST list;
    ASSERT_EQ(P_CreateBitmapList(&list), pix::kSuccess);
    const std::string path = TempDir() + "/list.tif";
    const std::string png = TempDir() + "/list.png";
    std::filesystem::remove(png);
    EXPECT_EQ(P_SaveBitmapList(path.c_str(), list, pix::kFormatTiff, 0, 2, nullptr),
              pix::kInvalidBitmap);
    for (int red : {11, 22, 33}) {
        PixBitmap b = Red(red);
        P_InsertBitmapListItem(list, 99, &b, sizeof(b));
    }
    ASSERT_EQ(P_SaveBitmapList(path.c_str(), list, pix::kFormatTiff, 0, 2, nullptr), pix::kSuccess);
    using P = std::vector<std::pair<int, bool>>;
    EXPECT_EQ(TiffPages(path), (P{{11, false}, {22, false}, {33, false}}));
    EXPECT_EQ(P_SaveBitmapList(png.c_str(), list, pix::kFormatPng, 0, 2, nullptr),
              pix::kNotSupported);
    EXPECT_FALSE(std::filesystem::exists(png));
    P_RemoveBitmapListItem(list, 2);
    P_RemoveBitmapListItem(list, 1);
    ASSERT_EQ(P_SaveBitmapList(png.c_str(), list, pix::kFormatPng, 0, 2, nullptr), pix::kSuccess);
    P_DestroyBitmapList(list);
}

}  // namespace

namespace {

// The length of the JPEG file's EXIF segment, or 0 without one.
size_t ExifSegment(const std::string& jpeg) {
    const size_t at = jpeg.find("\xFF\xE1");
    if (at == std::string::npos || jpeg.compare(at + 4, 6, std::string("Exif\0\0", 6)) != 0)
        return 0;
    return size_t(uint8_t(jpeg[at + 2])) << 8 | uint8_t(jpeg[at + 3]);
}

// A stamp rides in the EXIF segment and leaves the picture as it loads; a
// stamp too large for one segment at any quality the engine tries is refused.
TEST(SaveJpegStamp, FitsOneSegmentOrIsRefused) {
    struct {
        int side, box;
        int32_t status;
    } cases[] = {{37, 16, pix::kSuccess}, {400, 400, pix::kSuccess}, {1000, 1000, -11}};
    for (const auto& c : cases) {
        PixBitmap b = Colour(c.side, c.side);
        // Noise, which JPEG cannot make small.
        uint32_t seed = 1;
        for (int y = 0; y < c.side; ++y)
            for (int x = 0; x < 3 * c.side; ++x)
                PixRow(b, y)[x] = uint8_t((seed *= 1103515245u) >> 24);
        const std::string path = TempDir() + "/stamp-" + std::to_string(c.side) + ".jpg";
        std::filesystem::remove(path);
        PixSaveFileOptions o;
        P_GetDefaultSaveFileOption(&o, sizeof(o));
        o.Flags = kSaveWithStamp;
        o.StampWidth = o.StampHeight = c.box;
        EXPECT_EQ(P_SaveBitmap(path.c_str(), &b, pix::kFormatJpeg, 24, 2, &o), c.status) << c.side;
        if (c.status == pix::kSuccess) {
            const size_t segment = ExifSegment(ReadText(path));
            EXPECT_GT(segment, 200u) << c.side;
            EXPECT_LE(segment, 65535u) << c.side;
            PixBitmap back;
            ASSERT_EQ(pix::LoadBitmapFile(path, &back, 0), pix::kSuccess);
            EXPECT_EQ(back.Width, c.side);
            P_FreeBitmap(&back);
        } else {
            EXPECT_FALSE(std::filesystem::exists(path));
        }
        P_FreeBitmap(&b);
    }
}

}  // namespace
