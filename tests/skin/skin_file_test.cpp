// SPDX-License-Identifier: GPL-3.0-or-later
// Reading the skin file from disk: a missing file is no error, one that
// cannot be read gives the message with the system's reason.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>

#include "skin/skin_load.h"
#include "tests/skin/temp_folder.h"

namespace {

using skin::FileStatus;

TEST(ReadSkinFile, ReadsTheWholeFile) {
    skintest::TempFolder folder;
    std::vector<uint8_t> bytes(200000);
    for (size_t i = 0; i < bytes.size(); ++i) bytes[i] = uint8_t(i * 7);
    const skin::FileResult r = skin::ReadSkinFile(folder.Write("Xplorer_mod.skn", bytes));
    EXPECT_EQ(r.status, FileStatus::kRead);
    EXPECT_EQ(r.bytes, bytes);
    EXPECT_EQ(r.message, "");
}

TEST(ReadSkinFile, NothingOrAFolderAtThePathIsMissing) {
    skintest::TempFolder folder;
    for (const std::string& path : {(folder.Path() / "none.skn").string(), folder.Path().string(),
                                    (folder.Path() / "none" / "x.skn").string()}) {
        const skin::FileResult r = skin::ReadSkinFile(path);
        EXPECT_EQ(r.status, FileStatus::kMissing) << path;
        EXPECT_EQ(r.message, "");
    }
}

int errorToGive = 0;
int FailingOpen(const char*, int) {
    errno = errorToGive;
    return -1;
}
long FailingRead(int, void*, unsigned long) {
    errno = errorToGive;
    return -1;
}

struct Failure {
    bool atOpen;
    int error;
    const char* reason;
};

class Failures : public testing::TestWithParam<Failure> {};

TEST_P(Failures, GiveTheMessageWithTheReason) {
    skintest::TempFolder folder;
    const std::string path = folder.Write("skin.skn", {1, 2, 3});
    skin::FileCalls calls = skin::SystemFileCalls();
    if (GetParam().atOpen) {
        calls.open = FailingOpen;
    } else {
        calls.read = FailingRead;
    }
    errorToGive = GetParam().error;
    const skin::FileResult r = skin::ReadSkinFile(path, calls);
    EXPECT_EQ(r.status, FileStatus::kCannotOpen);
    EXPECT_EQ(r.message, "Cannot open file \"" + path + "\". " + GetParam().reason);
    EXPECT_TRUE(r.bytes.empty());
}

INSTANTIATE_TEST_SUITE_P(Calls, Failures,
                         testing::Values(Failure{true, EACCES, "Permission denied"},
                                         Failure{true, EMFILE, "Too many open files"},
                                         Failure{false, EIO, "Input/output error"}));

TEST(ReadSkinFile, FifoAtThePathIsMissingAndNeverWaited) {
    skintest::TempFolder folder;
    const std::string path = (folder.Path() / "Xplorer_mod.skn").string();
    ASSERT_EQ(::mkfifo(path.c_str(), 0600), 0);
    const skin::FileResult r = skin::ReadSkinFile(path);
    EXPECT_EQ(r.status, FileStatus::kMissing);
    EXPECT_EQ(r.message, "");
}

// The path looked like a regular file, but what opens is a FIFO (the file
// was replaced in between): opening must not wait for a writer.
std::string fifoPath;
bool openedWithoutWaiting = false;
int OpenFifoInstead(const char*, int flags) {
    openedWithoutWaiting = (flags & O_NONBLOCK) != 0;
    if (!openedWithoutWaiting) {
        errno = EINVAL;  // opening a FIFO to read would hang the test
        return -1;
    }
    return ::open(fifoPath.c_str(), flags);
}

TEST(ReadSkinFile, FileReplacedByAFifoIsMissing) {
    skintest::TempFolder folder;
    const std::string path = folder.Write("skin.skn", {1, 2, 3});
    fifoPath = (folder.Path() / "fifo").string();
    ASSERT_EQ(::mkfifo(fifoPath.c_str(), 0600), 0);
    skin::FileCalls calls = skin::SystemFileCalls();
    calls.open = OpenFifoInstead;
    const skin::FileResult r = skin::ReadSkinFile(path, calls);
    EXPECT_TRUE(openedWithoutWaiting);
    EXPECT_EQ(r.status, FileStatus::kMissing);
    EXPECT_TRUE(r.bytes.empty());
}

TEST(ReadSkinFile, FileLargerThanAnySkinIsNotRead) {
    skintest::TempFolder folder;
    const std::string path = folder.Write("big.skn", {});
    // A sparse file: its size is all that is looked at.
    ASSERT_EQ(::truncate(path.c_str(), off_t(skin::kMaxSkinFileBytes + 1)), 0);
    const skin::FileResult r = skin::ReadSkinFile(path);
    EXPECT_EQ(r.status, FileStatus::kCannotOpen);
    EXPECT_EQ(r.message, "Cannot open file \"" + path + "\". File too large");
    EXPECT_TRUE(r.bytes.empty());
}

}  // namespace
