// SPDX-License-Identifier: GPL-3.0-or-later
#include "imaging/engine/file_read.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <new>
#include <utility>

#include "imaging/engine/codecs/decoder_factory.h"
#include "imaging/engine/codecs/file_format.h"
#include "imaging/engine/codecs/image_decoder.h"
#include "imaging/engine/status_codes.h"
#include "imaging/engine/unique_fd.h"

namespace pix {

namespace {
// Files from this size on get a block of their own whose pages are made
// present in one go: touching fresh pages one by one costs more than reading
// the file. Smaller files come from the heap, which reuses its memory.
constexpr size_t kOwnBlockFromBytes = size_t{4} << 20;

// Bytes read before the rest of the file: more than any signature needs.
constexpr size_t kHeadBytes = 64;

// Reads up to `count` bytes at the file's current position; the number read
// (short only at the end of the file), or -1 on a read error.
ssize_t ReadUpTo(int fd, uint8_t* to, size_t count) {
    size_t done = 0;
    while (done < count) {
        const ssize_t n = ::read(fd, to + done, count - done);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) return -1;
        if (n == 0) break;  // the file shrank while we read it
        done += static_cast<size_t>(n);
    }
    return static_cast<ssize_t>(done);
}
FileOpenObserver& Observer() {
    thread_local FileOpenObserver observer;
    return observer;
}
}  // namespace

FileOpenObserver SetFileOpenObserver(FileOpenObserver observer) {
    std::swap(Observer(), observer);
    return observer;
}

void FileBytes::Release() {
    if (data_ && mapped_) ::munmap(data_, mapped_);
    if (data_ && !mapped_) delete[] data_;
    data_ = nullptr;
    size_ = mapped_ = 0;
}

int32_t ReadImageFile(const char* path, FileBytes* out) {
    out->Release();
    if (!path || !*path) return kInvalidFileName;
    if (Observer()) Observer()(path);
    // Opened without waiting, so that a FIFO or a device is refused at once
    // instead of blocking until someone writes to it.
    UniqueFd fd(::open(path, O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY));
    if (fd.get() < 0) return errno == ENOENT || errno == ENOTDIR ? kFileNotFound : kCannotOpenFile;
    struct stat st {};
    if (::fstat(fd.get(), &st) != 0 || !S_ISREG(st.st_mode)) return kCannotOpenFile;
    const int flags = ::fcntl(fd.get(), F_GETFL);
    if (flags < 0 || ::fcntl(fd.get(), F_SETFL, flags & ~O_NONBLOCK) != 0) return kCannotOpenFile;
    if (uint64_t(st.st_size) > kMaxImageFileBytes) return kNoMemory;
    const size_t size = static_cast<size_t>(st.st_size);
    if (size == 0) return kSuccess;

    // The head decides whether this is a picture at all before memory for the
    // whole file is taken or the rest is read.
    uint8_t head[kHeadBytes];
    const ssize_t headRead = ReadUpTo(fd.get(), head, std::min(size, sizeof head));
    if (headRead < 0) return kFileRead;
    const size_t headSize = static_cast<size_t>(headRead);
    if (DetectImageFormat({head, headSize}) == kFormatUnknown) return kFileFormat;

    if (size >= kOwnBlockFromBytes) {
        void* block = ::mmap(nullptr, size, PROT_READ | PROT_WRITE,
                             MAP_PRIVATE | MAP_ANONYMOUS | MAP_POPULATE, -1, 0);
        if (block == MAP_FAILED) return kNoMemory;
        out->data_ = static_cast<uint8_t*>(block);
        out->mapped_ = size;
    } else {
        out->data_ = new (std::nothrow) uint8_t[size];
        if (!out->data_) return kNoMemory;
    }
    std::memcpy(out->data_, head, headSize);
    size_t done = headSize;
    if (done == std::min(size, sizeof head)) {
        const ssize_t rest = ReadUpTo(fd.get(), out->data_ + done, size - done);
        if (rest < 0) {
            out->Release();
            return kFileRead;
        }
        done += static_cast<size_t>(rest);
    }
    out->size_ = done;
    return kSuccess;
}

}  // namespace pix
