#include "imaging/engine/file_read.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <new>

#include "imaging/engine/status_codes.h"

namespace pix {
namespace {
class Fd {
public:
    explicit Fd(int fd) : fd_(fd) {}
    ~Fd() {
        if (fd_ >= 0) ::close(fd_);
    }
    Fd(const Fd&) = delete;
    Fd& operator=(const Fd&) = delete;
    int get() const { return fd_; }

private:
    int fd_;
};
}  // namespace

int32_t ReadImageFile(const char* path, FileBytes* out) {
    out->data.reset();
    out->size = 0;
    if (!path || !*path) return kInvalidFileName;
    Fd fd(::open(path, O_RDONLY | O_CLOEXEC));
    if (fd.get() < 0) return errno == ENOENT || errno == ENOTDIR ? kFileNotFound : kCannotOpenFile;
    struct stat st {};
    if (::fstat(fd.get(), &st) != 0 || !S_ISREG(st.st_mode)) return kCannotOpenFile;
    if (uint64_t(st.st_size) > kMaxImageFileBytes) return kNoMemory;
    const size_t size = static_cast<size_t>(st.st_size);
    std::unique_ptr<uint8_t[]> data(new (std::nothrow) uint8_t[size ? size : 1]);
    if (!data) return kNoMemory;
    size_t done = 0;
    while (done < size) {
        const ssize_t n = ::read(fd.get(), data.get() + done, size - done);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) return kFileRead;
        if (n == 0) break;  // the file shrank while we read it
        done += static_cast<size_t>(n);
    }
    out->data = std::move(data);
    out->size = done;
    return kSuccess;
}

}  // namespace pix
