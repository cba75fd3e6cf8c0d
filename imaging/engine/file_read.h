// SPDX-License-Identifier: GPL-3.0-or-later
// Reads an image file whole into memory, turning each failure into the
// engine's status: no name -8, missing -10, not openable or not a plain file
// -14, a read error -7, larger than the limit -1, and -9 for a file whose
// first bytes are no picture that the engine reads (the rest is then never
// read).
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <span>

namespace pix {

// Largest file the engine reads.
constexpr uint64_t kMaxImageFileBytes = uint64_t{2} << 30;

// The file's bytes in memory of their own, released when this goes.
class FileBytes {
public:
    FileBytes() = default;
    ~FileBytes() { Release(); }
    FileBytes(const FileBytes&) = delete;
    FileBytes& operator=(const FileBytes&) = delete;

    std::span<const uint8_t> bytes() const { return {data_, size_}; }
    size_t size() const { return size_; }

private:
    friend int32_t ReadImageFile(const char* path, FileBytes* out);

    // Test seam: called on the calling thread with the path of every file that
    // ReadImageFile is about to open, so that a test can count the engine's reads.
    using FileOpenObserver = std::function<void(const char* path)>;
    // Installs `observer` (empty: none) for the calling thread; returns the one
    // it replaces.
    FileOpenObserver SetFileOpenObserver(FileOpenObserver observer);
    void Release();

    uint8_t* data_ = nullptr;
    size_t size_ = 0;    // bytes read
    size_t mapped_ = 0;  // bytes of the block
};

int32_t ReadImageFile(const char* path, FileBytes* out);

// Test seam: called on the calling thread with the path of every file that
// ReadImageFile is about to open, so that a test can count the engine's reads.
using FileOpenObserver = std::function<void(const char* path)>;
// Installs `observer` (empty: none) for the calling thread; returns the one
// it replaces.
FileOpenObserver SetFileOpenObserver(FileOpenObserver observer);

}  // namespace pix
