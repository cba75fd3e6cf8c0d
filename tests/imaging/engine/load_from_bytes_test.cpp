// SPDX-License-Identifier: GPL-3.0-or-later
// A load from a file read once: the file entries open the file once each, and
// the entries over bytes already in memory give the same information record
// and pixels as the file entries without opening anything.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "imaging/engine/file_info.h"
#include "imaging/engine/file_load.h"
#include "imaging/engine/file_read.h"
#include "imaging/engine/status_codes.h"
#include "tests/imaging/engine/codecs/image_fixtures.h"

namespace fs = std::filesystem;

namespace {

// Records every file the engine opens on this thread while it lives.
class OpenLog {
public:
    OpenLog() {
        previous_ = pix::SetFileOpenObserver([this](const char* path) { paths.push_back(path); });
    }
    ~OpenLog() { pix::SetFileOpenObserver(previous_); }
    std::vector<std::string> paths;

private:
    pix::FileOpenObserver previous_;
};

class LoadFromBytesTest : public ::testing::Test {
protected:
    void SetUp() override {
        dir_ = fs::temp_directory_path() /
               ("strakel-load-bytes-" + std::to_string(::getpid()) + "-" +
                ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(dir_);
        fs::create_directories(dir_);
        photo_ = (dir_ / "photo.bmp").string();
        ASSERT_TRUE(fixtures::WriteFile(photo_, fixtures::Bmp24(7, 5, fixtures::Color)));
    }
    void TearDown() override { fs::remove_all(dir_); }

    static PixFileInfo FreshInfo() {
        PixFileInfo info{};
        info.StructSize = sizeof info;
        return info;
    }

    fs::path dir_;
    std::string photo_;
};

int32_t LoadFromFile(const std::string& path, PixBitmap* b, PixFileInfo* info) {
    P_InitBitmap(b, sizeof *b, 0, 0, 0);
    return P_LoadFile(path.c_str(), b, sizeof *b, 0, kOrderBGR, kLoadOnePage, nullptr, nullptr,
                      nullptr, info);
}

}  // namespace

TEST_F(LoadFromBytesTest, FileEntriesOpenTheFileOnceEach) {
    OpenLog log;
    PixFileInfo info = FreshInfo();
    ASSERT_EQ(P_FileInfo(photo_.c_str(), &info, sizeof info, 1, nullptr), pix::kSuccess);
    EXPECT_EQ(log.paths, std::vector<std::string>{photo_});
    PixBitmap b;
    ASSERT_EQ(LoadFromFile(photo_, &b, nullptr), pix::kSuccess);
    EXPECT_EQ(log.paths, (std::vector<std::string>{photo_, photo_}));
    P_FreeBitmap(&b);
    // A record of the wrong size is refused before the file is touched.
    info.StructSize = 1000;
    EXPECT_EQ(P_FileInfo(photo_.c_str(), &info, sizeof info, 1, nullptr), pix::kInvalidStructSize);
    EXPECT_EQ(log.paths.size(), 2u);
}

TEST_F(LoadFromBytesTest, BytesGiveWhatTheFileGives) {
    PixFileInfo fromFile = FreshInfo();
    ASSERT_EQ(P_FileInfo(photo_.c_str(), &fromFile, sizeof fromFile, 1, nullptr), pix::kSuccess);
    PixFileInfo loadedFromFile = FreshInfo();
    PixBitmap fileBitmap;
    ASSERT_EQ(LoadFromFile(photo_, &fileBitmap, &loadedFromFile), pix::kSuccess);

    pix::FileBytes file;
    ASSERT_EQ(pix::ReadImageFile(photo_.c_str(), &file), pix::kSuccess);
    OpenLog log;
    PixFileInfo fromBytes = FreshInfo();
    ASSERT_EQ(pix::FileInfoFromBytes(file.bytes(), &fromBytes, sizeof fromBytes, nullptr),
              pix::kSuccess);
    PixFileInfo loadedFromBytes = FreshInfo();
    PixBitmap bytesBitmap;
    P_InitBitmap(&bytesBitmap, sizeof bytesBitmap, 0, 0, 0);
    ASSERT_EQ(pix::LoadFileFromBytes(file.bytes(), &bytesBitmap, sizeof bytesBitmap, 0, kOrderBGR,
                                     kLoadOnePage, nullptr, nullptr, nullptr, &loadedFromBytes),
              pix::kSuccess);
    EXPECT_TRUE(log.paths.empty());

    EXPECT_EQ(fromBytes.Width, 7);
    EXPECT_EQ(fromBytes.FileSize, uint32_t(fs::file_size(photo_)));
    EXPECT_EQ(std::memcmp(&fromBytes, &fromFile, sizeof fromBytes), 0);
    EXPECT_EQ(std::memcmp(&loadedFromBytes, &loadedFromFile, sizeof loadedFromBytes), 0);
    ASSERT_EQ(bytesBitmap.Size, fileBitmap.Size);
    EXPECT_EQ(std::memcmp(bytesBitmap.Data, fileBitmap.Data, fileBitmap.Size), 0);
    P_FreeBitmap(&bytesBitmap);
    P_FreeBitmap(&fileBitmap);
}

TEST_F(LoadFromBytesTest, BytesThatAreNoPictureFailAsTheFileWould) {
    const std::vector<uint8_t> text = {'n', 'o', ' ', 'p', 'i', 'c', 't', 'u', 'r', 'e'};
    PixFileInfo info = FreshInfo();
    EXPECT_EQ(pix::FileInfoFromBytes(text, &info, sizeof info, nullptr), pix::kFileFormat);
    PixBitmap b;
    P_InitBitmap(&b, sizeof b, 0, 0, 0);
    EXPECT_EQ(pix::LoadFileFromBytes(text, &b, sizeof b, 0, kOrderBGR, kLoadOnePage, nullptr,
                                     nullptr, nullptr, nullptr),
              pix::kFileFormat);
    EXPECT_EQ(b.Data, nullptr);
    // A header cut short fails with the same status from bytes as from a file.
    const fixtures::Bytes bmp = fixtures::Bmp24(7, 5, fixtures::Color);
    const fixtures::Bytes head(bmp.begin(), bmp.begin() + 20);
    const std::string cut = (dir_ / "cut.bmp").string();
    ASSERT_TRUE(fixtures::WriteFile(cut, head));
    const int32_t fromFile = P_FileInfo(cut.c_str(), &info, sizeof info, 1, nullptr);
    EXPECT_NE(fromFile, pix::kSuccess);
    EXPECT_EQ(pix::FileInfoFromBytes(head, &info, sizeof info, nullptr), fromFile);
}
