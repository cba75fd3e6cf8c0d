// SPDX-License-Identifier: GPL-3.0-or-later
// Reading an image file into memory: the head decides before the rest is read,
// and a picture comes back byte for byte.
#include "imaging/engine/file_read.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <string>
#include <vector>

#include "imaging/engine/file_info.h"
#include "imaging/engine/file_load.h"
#include "imaging/engine/status_codes.h"
#include "tests/support/address_sanitizer.h"

namespace fs = std::filesystem;

namespace {

class FileReadTest : public ::testing::Test {
protected:
    void SetUp() override {
        dir_ = fs::temp_directory_path() /
               ("strakel-file-read-" + std::to_string(::getpid()) + "-" +
                ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(dir_);
        fs::create_directories(dir_);
    }
    void TearDown() override { fs::remove_all(dir_); }

    // A file of `size` bytes that starts with `head` and holds no data blocks
    // beyond it.
    std::string Sparse(const std::string& name, const std::string& head, off_t size) {
        const std::string path = (dir_ / name).string();
        const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
        EXPECT_GE(fd, 0);
        EXPECT_EQ(::write(fd, head.data(), head.size()), ssize_t(head.size()));
        EXPECT_EQ(::ftruncate(fd, size), 0);
        ::close(fd);
        return path;
    }

    fs::path dir_;
};

// Runs `status()` in a child whose address space is capped well below the
// file's size, so that reading the file whole would fail with -1, and expects
// it to end with `expected`. Under AddressSanitizer, whose shadow memory
// needs the whole address space, the child runs without the cap.
[[noreturn]] void ExitWithStatusWithinMemoryCap(const std::function<int32_t()>& status) {
    if (!kAddressSanitizer) {
        rlimit cap{};
        cap.rlim_cur = cap.rlim_max = rlim_t{512} << 20;
        if (::setrlimit(RLIMIT_AS, &cap) != 0) std::_Exit(100);
    }
    std::_Exit(-status());
}

void ExpectStatusWithinMemoryCap(const std::function<int32_t()>& status, int32_t expected) {
    EXPECT_EXIT(ExitWithStatusWithinMemoryCap(status), ::testing::ExitedWithCode(-expected), "");
}

TEST_F(FileReadTest, ALargeFileThatIsNoPictureIsRefusedFromItsHead) {
    // As large as the engine reads at all, all zeros after a line of text.
    const std::string path =
        Sparse("large.dat", "no picture here\n", off_t(pix::kMaxImageFileBytes));
    ExpectStatusWithinMemoryCap(
        [&] {
            pix::FileBytes bytes;
            return pix::ReadImageFile(path.c_str(), &bytes);
        },
        pix::kFileFormat);
    ExpectStatusWithinMemoryCap(
        [&] {
            PixFileInfo info{};
            info.StructSize = sizeof info;
            return P_FileInfo(path.c_str(), &info, sizeof info, 1, nullptr);
        },
        pix::kFileFormat);
    ExpectStatusWithinMemoryCap(
        [&] {
            PixBitmap bitmap{};
            return pix::LoadBitmapFile(path, &bitmap, 0);
        },
        pix::kFileFormat);
}

TEST_F(FileReadTest, APictureComesBackWhole) {
    // Shorter than the head, a little longer, and long enough for a block of
    // its own.
    for (const size_t size : {size_t{40}, size_t{65}, size_t{5} << 20}) {
        std::string content(size, '\0');
        for (size_t i = 0; i < size; ++i) content[i] = char(i * 7 + i / 251);
        content[0] = 'B';
        content[1] = 'M';
        const fs::path path = dir_ / ("picture-" + std::to_string(size) + ".bmp");
        std::ofstream(path, std::ios::binary) << content;
        pix::FileBytes bytes;
        ASSERT_EQ(pix::ReadImageFile(path.c_str(), &bytes), pix::kSuccess) << size;
        ASSERT_EQ(bytes.size(), size);
        EXPECT_EQ(std::string(bytes.bytes().begin(), bytes.bytes().end()), content) << size;
    }
}

TEST_F(FileReadTest, ShortAndEmptyFiles) {
    pix::FileBytes bytes;
    const fs::path text = dir_ / "note.bmp";
    std::ofstream(text) << "B";  // one byte: not even a signature
    EXPECT_EQ(pix::ReadImageFile(text.c_str(), &bytes), pix::kFileFormat);
    EXPECT_EQ(bytes.size(), 0u);
    const fs::path empty = dir_ / "empty.bmp";
    std::ofstream{empty};
    EXPECT_EQ(pix::ReadImageFile(empty.c_str(), &bytes), pix::kSuccess);
    EXPECT_EQ(bytes.size(), 0u);
}

}  // namespace
