// SPDX-License-Identifier: GPL-3.0-or-later
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "skin/lzhuf.h"
#include "skin/skin_load.h"

namespace skin {
namespace {

int SystemOpen(const char* path, int flags) {
    return ::open(path, flags);
}
long SystemRead(int fd, void* buffer, unsigned long size) {
    return ::read(fd, buffer, size);
}

FileResult CannotOpen(const std::string& path, int error) {
    FileResult r;
    r.status = FileStatus::kCannotOpen;
    r.message = "Cannot open file \"" + path + "\". " + std::strerror(error);
    return r;
}

class Descriptor {
public:
    explicit Descriptor(int fd) : fd_(fd) {}
    ~Descriptor() {
        if (fd_ >= 0) ::close(fd_);
    }
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    int get() const { return fd_; }

private:
    int fd_;
};

}  // namespace

FileCalls SystemFileCalls() {
    return FileCalls{SystemOpen, SystemRead};
}

FileResult ReadSkinFile(const std::string& path, const FileCalls& calls) {
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return FileResult{};
    if (uint64_t(st.st_size) > kMaxSkinFileBytes) return CannotOpen(path, EFBIG);
    // Without waiting: the path may have become a FIFO since it was looked at.
    const Descriptor fd(calls.open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY));
    if (fd.get() < 0) return CannotOpen(path, errno);
    if (::fstat(fd.get(), &st) != 0) return CannotOpen(path, errno);
    if (!S_ISREG(st.st_mode)) return FileResult{};
    FileResult r;
    uint8_t chunk[65536];
    for (;;) {
        const long n = calls.read(fd.get(), chunk, sizeof chunk);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) return CannotOpen(path, errno);
        if (n == 0) break;
        if (r.bytes.size() + uint64_t(n) > kMaxSkinFileBytes) return CannotOpen(path, EFBIG);
        r.bytes.insert(r.bytes.end(), chunk, chunk + n);
    }
    r.status = FileStatus::kRead;
    return r;
}

std::vector<uint8_t> PackSkinFile(std::span<const uint8_t> container) {
    const uint32_t size = uint32_t(container.size());
    std::vector<uint8_t> out{uint8_t(size), uint8_t(size >> 8), uint8_t(size >> 16),
                             uint8_t(size >> 24)};
    const std::vector<uint8_t> packed = LzhufEncode(container);
    out.insert(out.end(), packed.begin(), packed.end());
    return out;
}

}  // namespace skin
