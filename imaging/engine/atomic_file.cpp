// SPDX-License-Identifier: GPL-3.0-or-later
#include "imaging/engine/atomic_file.h"

#include <fcntl.h>
#include <signal.h>
#include <stdio.h>
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstring>

#include "imaging/engine/status_codes.h"
#include "imaging/engine/unique_fd.h"

namespace pix {
namespace {

AtomicFileCalls g_calls{::write, ::fsync, ::renameat2};

constexpr char kLetters[] = "0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz";
constexpr size_t kPrefixLength = sizeof kTemporaryPrefix - 1;
constexpr size_t kRandomLength = kTemporaryNameLength - kPrefixLength;
static_assert(kRandomLength == sizeof(uint64_t));
constexpr int kNameAttempts = 100;
// Largest piece handed to one write call.
constexpr size_t kMaxWriteBytes = size_t{1} << 30;

// The list of temporary files that a signal handler reads. Every field is a
// lock-free atomic, so that the handler never sees a half-written entry: the
// name's eight random letters are kept packed in one word. The command line
// runs at most 1024 writes at once; a write that finds no free entry goes on
// unlisted.
enum EntryState : int { kFree, kClaimed, kListed };
struct Entry {
    std::atomic<int> state{kFree};
    std::atomic<int> folder{-1};
    std::atomic<uint64_t> letters{0};
};
constexpr size_t kMaxListed = 1024;
Entry g_listed[kMaxListed];
std::atomic<bool> g_exiting{false};
static_assert(std::atomic<int>::is_always_lock_free && std::atomic<uint64_t>::is_always_lock_free &&
              std::atomic<bool>::is_always_lock_free);

void NameFromLetters(uint64_t letters, char (&name)[kTemporaryNameLength + 1]) {
    std::memcpy(name, kTemporaryPrefix, kPrefixLength);
    std::memcpy(name + kPrefixLength, &letters, kRandomLength);
    name[kTemporaryNameLength] = '\0';
}

// Eight letters that differ between calls and processes: a counter, the
// process id and the clock, mixed.
uint64_t RandomLetters() {
    static std::atomic<uint64_t> counter{0};
    timespec now{};
    ::clock_gettime(CLOCK_REALTIME, &now);
    uint64_t x = (counter++ * 0x9E3779B97F4A7C15u) ^ (uint64_t(::getpid()) << 40) ^
                 uint64_t(now.tv_nsec) ^ (uint64_t(now.tv_sec) << 30);
    x = (x ^ (x >> 30)) * 0xBF58476D1CE4E5B9u;
    x = (x ^ (x >> 27)) * 0x94D049BB133111EBu;
    x ^= x >> 31;
    char letters[kRandomLength];
    for (char& c : letters) {
        c = kLetters[x % (sizeof kLetters - 1)];
        x /= sizeof kLetters - 1;
    }
    uint64_t packed;
    std::memcpy(&packed, letters, sizeof packed);
    return packed;
}

// Holds back the signals whose handlers may remove temporary files, in this
// thread only, while a temporary file is created and listed; a handler running
// in another thread waits for the entry to be listed.
class ExitSignalsHeld {
public:
    ExitSignalsHeld() {
        sigset_t held;
        sigemptyset(&held);
        for (int s : {SIGHUP, SIGINT, SIGQUIT, SIGTERM}) sigaddset(&held, s);
        pthread_sigmask(SIG_BLOCK, &held, &before_);
    }
    ~ExitSignalsHeld() { pthread_sigmask(SIG_SETMASK, &before_, nullptr); }
    ExitSignalsHeld(const ExitSignalsHeld&) = delete;
    ExitSignalsHeld& operator=(const ExitSignalsHeld&) = delete;

private:
    sigset_t before_;
};

// A hidden file beside the target that the write goes to. It is removed unless
// it was renamed into place, and listed for the signal handler while it exists.
class TemporaryFile {
public:
    explicit TemporaryFile(int folder) : folder_(folder) {}
    ~TemporaryFile() {
        if (fd_ >= 0) ::close(fd_);
        if (exists_) ::unlinkat(folder_, name_, 0);
        if (entry_) entry_->state = kFree;
    }
    TemporaryFile(const TemporaryFile&) = delete;
    TemporaryFile& operator=(const TemporaryFile&) = delete;

    // False with errno set when no file could be made.
    bool Create() {
        ExitSignalsHeld held;
        for (Entry& e : g_listed) {
            int free = kFree;
            if (e.state.compare_exchange_strong(free, kClaimed)) {
                entry_ = &e;
                break;
            }
        }
        // Checked after claiming the entry: a handler that set the flag earlier
        // has already passed it.
        if (g_exiting) return Unclaim(EINTR);
        for (int attempt = 0; attempt < kNameAttempts && fd_ < 0; ++attempt) {
            letters_ = RandomLetters();
            NameFromLetters(letters_, name_);
            fd_ = ::openat(folder_, name_, O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
            if (fd_ < 0 && errno != EEXIST) return Unclaim(errno);
        }
        if (fd_ < 0) return Unclaim(EEXIST);
        exists_ = true;
        if (entry_) {
            entry_->folder = folder_;
            entry_->letters = letters_;
            entry_->state = kListed;
        }
        return true;
    }

    int fd() const { return fd_; }
    const char* name() const { return name_; }

    int Close() {
        const int result = ::close(fd_);
        fd_ = -1;
        return result;
    }

    // The file now bears the target's name.
    void Renamed() { exists_ = false; }

private:
    bool Unclaim(int error) {
        if (entry_) entry_->state = kFree;
        entry_ = nullptr;
        errno = error;
        return false;
    }

    int folder_;
    int fd_ = -1;
    bool exists_ = false;
    Entry* entry_ = nullptr;
    uint64_t letters_ = 0;
    char name_[kTemporaryNameLength + 1] = {};
};

// A replaced file keeps who may read and write it.
void KeepPermissionsOf(int folder, const char* target, int fd) {
    struct stat old {};
    if (::fstatat(folder, target, &old, AT_SYMLINK_NOFOLLOW) != 0 || !S_ISREG(old.st_mode)) return;
    struct stat now {};
    if (::fstat(fd, &now) != 0) return;
    if (now.st_uid != old.st_uid || now.st_gid != old.st_gid) {
        if (::fchown(fd, old.st_uid, old.st_gid) != 0 && ::fchown(fd, uid_t(-1), old.st_gid) != 0) {
            // Owner and group stay the process's own.
        }
        if (::fstat(fd, &now) != 0) return;
    }
    mode_t mode = old.st_mode & 0777;
    // Members of the new group were others to the old file.
    if (now.st_gid != old.st_gid) mode = (mode & ~mode_t{070}) | ((mode & 07) << 3);
    ::fchmod(fd, mode);
}

int32_t Failed(int32_t status, int error, int* systemError) {
    if (systemError) *systemError = error;
    return status;
}

// Gives the temporary file the target's name unless a file has that name.
// Where the file system cannot rename without replacing, a hard link does the
// same; where it has no hard links either, a last look for the target before
// the rename has to do.
int RenameNoReplace(int folder, const char* from, const char* to) {
    if (g_calls.renameat(folder, from, folder, to, RENAME_NOREPLACE) == 0) return 0;
    if (errno != EINVAL && errno != ENOSYS && errno != ENOTSUP) return -1;
    if (::linkat(folder, from, folder, to, 0) == 0) {
        ::unlinkat(folder, from, 0);
        return 0;
    }
    if (errno == EEXIST) return -1;
    struct stat existing {};
    if (::fstatat(folder, to, &existing, AT_SYMLINK_NOFOLLOW) == 0) {
        errno = EEXIST;
        return -1;
    }
    return g_calls.renameat(folder, from, folder, to, 0);
}

}  // namespace

int32_t WriteFileAtomically(const std::string& path, std::span<const uint8_t> bytes,
                            int* systemError, bool replace) {
    if (systemError) *systemError = 0;
    const size_t slash = path.rfind('/');
    const std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
    if (name.empty() || name == "." || name == "..") return kInvalidFileName;
    const std::string folderPath = slash == std::string::npos ? std::string(".")
                                   : slash == 0               ? std::string("/")
                                                              : path.substr(0, slash);
    // The folder stays open, so that the temporary file is made, renamed and
    // removed in the same folder whatever happens to its path meanwhile.
    const UniqueFd folder(::open(folderPath.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC));
    if (folder.get() < 0) return Failed(kFileCreate, errno, systemError);
    struct stat existing {};
    if (!replace && ::fstatat(folder.get(), name.c_str(), &existing, AT_SYMLINK_NOFOLLOW) == 0)
        return Failed(kFileWrite, EEXIST, systemError);
    TemporaryFile temp(folder.get());
    if (!temp.Create()) return Failed(kFileCreate, errno, systemError);
    KeepPermissionsOf(folder.get(), name.c_str(), temp.fd());

    for (size_t done = 0; done < bytes.size();) {
        const size_t piece = std::min(bytes.size() - done, kMaxWriteBytes);
        const ssize_t n = g_calls.write(temp.fd(), bytes.data() + done, piece);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) return Failed(kFileWrite, errno, systemError);
        if (n == 0) return Failed(kFileWrite, ENOSPC, systemError);
        done += static_cast<size_t>(n);
    }
    // On disk before it takes the target's name: after a crash the target is
    // either the old file or the whole new one.
    if (g_calls.fsync(temp.fd()) != 0) return Failed(kFileWrite, errno, systemError);
    if (temp.Close() != 0) return Failed(kFileWrite, errno, systemError);
    const int renamed =
        replace ? g_calls.renameat(folder.get(), temp.name(), folder.get(), name.c_str(), 0)
                : RenameNoReplace(folder.get(), temp.name(), name.c_str());
    if (renamed != 0) return Failed(kFileWrite, errno, systemError);
    temp.Renamed();
    return kSuccess;
}

void RemoveTemporaryFilesForExit() {
    g_exiting = true;
    for (Entry& e : g_listed) {
        int state;
        // A thread between claiming and listing holds these signals back, so
        // it is never the one waiting here.
        while ((state = e.state.load()) == kClaimed) {
        }
        if (state != kListed) continue;
        char name[kTemporaryNameLength + 1];
        NameFromLetters(e.letters.load(), name);
        ::unlinkat(e.folder.load(), name, 0);
    }
}

AtomicFileCalls SystemAtomicFileCalls() {
    return {::write, ::fsync, ::renameat2};
}

AtomicFileCalls SetAtomicFileCalls(const AtomicFileCalls& calls) {
    const AtomicFileCalls before = g_calls;
    g_calls = calls;
    return before;
}

}  // namespace pix
