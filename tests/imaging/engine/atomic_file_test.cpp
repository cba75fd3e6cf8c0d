// SPDX-License-Identifier: GPL-3.0-or-later
#include "imaging/engine/atomic_file.h"

#include <gtest/gtest.h>
#include <stdio.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>
#include <string>
#include <vector>

#include "imaging/engine/status_codes.h"

namespace fs = std::filesystem;

namespace {

std::vector<uint8_t> Bytes(const std::string& text) {
    return {text.begin(), text.end()};
}

std::string ReadFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

mode_t ModeOf(const fs::path& path) {
    struct stat st {};
    EXPECT_EQ(::stat(path.c_str(), &st), 0) << path;
    return st.st_mode & 07777;
}

// Sets the process's umask for one scope.
class Umask {
public:
    explicit Umask(mode_t mask) : before_(::umask(mask)) {}
    ~Umask() { ::umask(before_); }

private:
    mode_t before_;
};

// What the injected calls do: the call `failing` fails once with `error`,
// after `callsBefore` calls of it have succeeded; a write may be cut short.
enum class Call { kNone, kWrite, kFsync, kRename };
struct Injection {
    Call failing = Call::kNone;
    int error = 0;
    int callsBefore = 0;
    size_t writeLimit = 0;  // largest piece one write takes; 0 for no limit
    bool writeReturnsZero = false;
    int calls = 0;
    std::string renamedFrom;
    std::string appearsDuringWrite;     // a file made at this path by the first write
    bool noReplaceUnsupported = false;  // RENAME_NOREPLACE fails as on file systems without it
};
Injection g_injection;

Injection Failing(Call call, int error, int callsBefore = 0, size_t writeLimit = 0) {
    Injection i;
    i.failing = call;
    i.error = error;
    i.callsBefore = callsBefore;
    i.writeLimit = writeLimit;
    return i;
}

Injection WritingNothing() {
    Injection i;
    i.writeReturnsZero = true;
    return i;
}

bool FailsNow(Call call) {
    if (g_injection.failing != call || g_injection.calls++ != g_injection.callsBefore) return false;
    errno = g_injection.error;
    return true;
}

ssize_t InjectedWrite(int fd, const void* data, size_t size) {
    if (g_injection.writeReturnsZero) return 0;
    if (!g_injection.appearsDuringWrite.empty()) {
        std::ofstream(g_injection.appearsDuringWrite) << "someone else's";
        g_injection.appearsDuringWrite.clear();
    }
    if (FailsNow(Call::kWrite)) return -1;
    if (g_injection.writeLimit) size = std::min(size, g_injection.writeLimit);
    return ::write(fd, data, size);
}

int InjectedFsync(int fd) {
    return FailsNow(Call::kFsync) ? -1 : ::fsync(fd);
}

int InjectedRenameat(int fromFolder, const char* from, int toFolder, const char* to,
                     unsigned flags) {
    g_injection.renamedFrom = from;
    if (g_injection.noReplaceUnsupported && (flags & RENAME_NOREPLACE)) {
        errno = EINVAL;
        return -1;
    }
    return FailsNow(Call::kRename) ? -1 : ::renameat2(fromFolder, from, toFolder, to, flags);
}

class AtomicFile : public testing::Test {
protected:
    void SetUp() override {
        std::string pattern = (fs::temp_directory_path() / "strakel-atomic-XXXXXX").string();
        ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
        dir_ = pattern;
        g_injection = Injection{};
        pix::SetAtomicFileCalls({InjectedWrite, InjectedFsync, InjectedRenameat});
    }
    void TearDown() override {
        pix::SetAtomicFileCalls(pix::SystemAtomicFileCalls());
        fs::remove_all(dir_);
    }

    std::set<std::string> Names() const {
        std::set<std::string> names;
        for (const auto& e : fs::directory_iterator(dir_)) names.insert(e.path().filename());
        return names;
    }

    int32_t Write(const fs::path& path, const std::string& text, int* error = nullptr) {
        return pix::WriteFileAtomically(path.string(), Bytes(text), error);
    }

    fs::path dir_;
};

TEST_F(AtomicFile, ANewFileGetsTheBytesAndThePermissionsTheUmaskAllows) {
    for (const mode_t mask : {mode_t{022}, mode_t{077}, mode_t{0}, mode_t{0277}}) {
        const fs::path path = dir_ / ("new-" + std::to_string(mask));
        {
            const Umask scoped(mask);
            int error = -1;
            ASSERT_EQ(Write(path, "drawing", &error), pix::kSuccess);
            EXPECT_EQ(error, 0);
        }
        EXPECT_EQ(ReadFile(path), "drawing");
        EXPECT_EQ(ModeOf(path), 0666 & ~mask) << std::oct << mask;
        fs::remove(path);
    }
    EXPECT_EQ(Names(), std::set<std::string>{});
    // The temporary file is hidden and short, whatever the target is called.
    EXPECT_EQ(g_injection.renamedFrom.size(), pix::kTemporaryNameLength);
    EXPECT_EQ(g_injection.renamedFrom.rfind(pix::kTemporaryPrefix, 0), 0u);
}

TEST_F(AtomicFile, AReplacedFileKeepsItsPermissionsAndOwner) {
    const fs::path path = dir_ / "out.png";
    std::ofstream(path) << "old drawing, longer than the new one";
    ASSERT_EQ(::chmod(path.c_str(), 0640), 0);
    // Only root may give a file to someone else; then the owner is kept too.
    const bool root = ::geteuid() == 0;
    if (root) {
        ASSERT_EQ(::chown(path.c_str(), 4321, 4322), 0);
    }
    {
        const Umask scoped(077);
        ASSERT_EQ(Write(path, "new"), pix::kSuccess);
    }
    EXPECT_EQ(ReadFile(path), "new");
    EXPECT_EQ(ModeOf(path), 0640u);
    if (root) {
        struct stat st {};
        ASSERT_EQ(::stat(path.c_str(), &st), 0);
        EXPECT_EQ(st.st_uid, 4321u);
        EXPECT_EQ(st.st_gid, 4322u);
    }
    EXPECT_EQ(Names(), std::set<std::string>{"out.png"});

    // A symbolic link is replaced by the file; what it pointed at stays.
    std::ofstream(dir_ / "photo.bmp") << "photo";
    fs::create_symlink("photo.bmp", dir_ / "link.png");
    ASSERT_EQ(Write(dir_ / "link.png", "drawing"), pix::kSuccess);
    EXPECT_FALSE(fs::is_symlink(dir_ / "link.png"));
    EXPECT_EQ(ReadFile(dir_ / "link.png"), "drawing");
    EXPECT_EQ(ReadFile(dir_ / "photo.bmp"), "photo");
}

TEST_F(AtomicFile, AFailedWriteLeavesTheTargetAsItWasAndNoTemporaryFile) {
    const struct {
        const char* what;
        Injection injection;
        int error;
    } cases[] = {
        {"write fails at once", Failing(Call::kWrite, EIO), EIO},
        {"write fails after a first piece", Failing(Call::kWrite, ENOSPC, 1, 5), ENOSPC},
        {"write takes nothing", WritingNothing(), ENOSPC},
        {"fsync fails", Failing(Call::kFsync, EIO), EIO},
        {"rename fails", Failing(Call::kRename, EXDEV), EXDEV},
    };
    const fs::path path = dir_ / "out.bmp";
    for (const auto& c : cases) {
        std::ofstream(path) << "old drawing";
        ASSERT_EQ(::chmod(path.c_str(), 0604), 0);
        g_injection = c.injection;
        int error = 0;
        EXPECT_EQ(Write(path, "a new drawing of some length", &error), pix::kFileWrite) << c.what;
        EXPECT_EQ(error, c.error) << c.what;
        EXPECT_EQ(ReadFile(path), "old drawing") << c.what;
        EXPECT_EQ(ModeOf(path), 0604u) << c.what;
        EXPECT_EQ(Names(), std::set<std::string>{"out.bmp"}) << c.what;
    }
    // Without a target before, a failure leaves the folder empty.
    g_injection = Failing(Call::kFsync, EIO);
    EXPECT_EQ(Write(dir_ / "new.bmp", "drawing"), pix::kFileWrite);
    EXPECT_EQ(Names(), std::set<std::string>{"out.bmp"});
}

// Without replacing, a file or link that is there before the write, or comes
// while it runs, stays as it was; a new name is written. Also where the file
// system cannot rename without replacing.
TEST_F(AtomicFile, WithoutReplacingAnExistingNameIsLeftAlone) {
    for (const bool unsupported : {false, true}) {
        std::ofstream(dir_ / "old.bmp") << "old drawing";
        fs::create_symlink("nowhere.bmp", dir_ / "link.bmp");
        const struct {
            const char* name;
            bool appears;
        } cases[] = {{"old.bmp", false}, {"link.bmp", false}, {"late.bmp", true}};
        for (const auto& c : cases) {
            g_injection = Injection{};
            g_injection.noReplaceUnsupported = unsupported;
            if (c.appears) g_injection.appearsDuringWrite = (dir_ / c.name).string();
            int error = 0;
            EXPECT_EQ(pix::WriteFileAtomically((dir_ / c.name).string(), Bytes("new drawing"),
                                               &error, false),
                      pix::kFileWrite)
                << c.name << unsupported;
            EXPECT_EQ(error, EEXIST) << c.name << unsupported;
        }
        EXPECT_EQ(ReadFile(dir_ / "old.bmp"), "old drawing");
        EXPECT_EQ(fs::read_symlink(dir_ / "link.bmp"), "nowhere.bmp");
        EXPECT_EQ(ReadFile(dir_ / "late.bmp"), "someone else's");

        g_injection = Injection{};
        g_injection.noReplaceUnsupported = unsupported;
        ASSERT_EQ(pix::WriteFileAtomically((dir_ / "new.bmp").string(), Bytes("new drawing"),
                                           nullptr, false),
                  pix::kSuccess);
        EXPECT_EQ(ReadFile(dir_ / "new.bmp"), "new drawing");
        EXPECT_EQ(Names(), (std::set<std::string>{"old.bmp", "link.bmp", "late.bmp", "new.bmp"}));
        for (const char* name : {"old.bmp", "link.bmp", "late.bmp", "new.bmp"})
            fs::remove(dir_ / name);
    }
}

TEST_F(AtomicFile, InterruptedAndShortWritesAreCarriedOn) {
    const std::string text(10000, 'x');
    g_injection = Failing(Call::kWrite, EINTR, 2, 777);
    ASSERT_EQ(Write(dir_ / "out.bmp", text), pix::kSuccess);
    EXPECT_EQ(ReadFile(dir_ / "out.bmp"), text);
    EXPECT_EQ(Names(), std::set<std::string>{"out.bmp"});
}

TEST_F(AtomicFile, PathsThatCannotBeWritten) {
    std::ofstream(dir_ / "file") << "x";
    fs::create_directory(dir_ / "folder");
    const struct {
        fs::path path;
        int32_t status;
        int error;
    } cases[] = {
        {dir_ / "no-such-folder" / "out.png", pix::kFileCreate, ENOENT},
        {dir_ / "file" / "out.png", pix::kFileCreate, ENOTDIR},
        {dir_ / "", pix::kInvalidFileName, 0},
        {"", pix::kInvalidFileName, 0},
        {dir_ / "..", pix::kInvalidFileName, 0},
        // A folder cannot be replaced by a file.
        {dir_ / "folder", pix::kFileWrite, EISDIR},
    };
    for (const auto& c : cases) {
        int error = -1;
        EXPECT_EQ(pix::WriteFileAtomically(c.path.string(), Bytes("x"), &error), c.status)
            << c.path;
        EXPECT_EQ(error, c.error) << c.path;
    }
    EXPECT_EQ(Names(), (std::set<std::string>{"file", "folder"}));
}

TEST_F(AtomicFile, EveryNameTheFileSystemAllowsCanBeWritten) {
    const std::string longest(255, 'n');
    ASSERT_EQ(Write(dir_ / longest, "drawing"), pix::kSuccess);
    EXPECT_EQ(ReadFile(dir_ / longest), "drawing");
    int error = 0;
    EXPECT_EQ(Write(dir_ / (longest + "n"), "drawing", &error), pix::kFileWrite);
    EXPECT_EQ(error, ENAMETOOLONG);
    EXPECT_EQ(Names(), std::set<std::string>{longest});
}

}  // namespace
