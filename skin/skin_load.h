// SPDX-License-Identifier: GPL-3.0-or-later
// Loading a skin: the file from disk, then its bytes through decompression,
// the container and the description into the skin objects.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "skin/skin_objects.h"

namespace skin {

// The message for a container whose version is none of the known ones.
inline constexpr const char* kOlderSkinMessage =
    "This is Older Skin File\rPlease update to new version !";
// The message when the decoder's memory cannot be had.
inline constexpr const char* kNoMemoryMessage = "LZH : Cannot get memory for dictionary tables";

enum class LoadStatus {
    kLoaded,     // `skin` holds the objects (all absent without a description entry)
    kOlderSkin,  // a container version below the known ones: show `message` (kOlderSkinMessage)
    // Refused without a message: truncated, out of proportion, outside its
    // limits, of a version that no skin has, or too large for the memory left.
    kDamaged,
    kNoMemory,  // the decoder's memory could not be had: `message` is kNoMemoryMessage
};

struct LoadResult {
    LoadStatus status = LoadStatus::kDamaged;
    // The text to show the user: set for kOlderSkin and kNoMemory, else empty.
    std::string message;
    // Why a damaged file was refused, for logs and tests; not for the user.
    std::string detail;
    Skin skin;
};

// Loads a whole skin file held in memory (its 4-byte size N, then the
// compressed container). Never reads outside `file`.
LoadResult LoadSkin(std::span<const uint8_t> file);
// Loads an already decompressed container.
LoadResult LoadSkinContainer(std::span<const uint8_t> container);

enum class FileStatus {
    kRead,        // `bytes` holds the whole file
    kMissing,     // nothing at the path: no message, the standard look stays
    kCannotOpen,  // `message` is "Cannot open file "<path>". <reason>"
};

struct FileResult {
    FileStatus status = FileStatus::kMissing;
    std::string message;
    std::vector<uint8_t> bytes;
};

// The system calls that reading a file makes, replaceable in tests.
struct FileCalls {
    int (*open)(const char* path, int flags) = nullptr;
    long (*read)(int fd, void* buffer, unsigned long size) = nullptr;
};
FileCalls SystemFileCalls();

// Files larger than this are not read ("File too large"): twice the largest
// container that is decoded.
inline constexpr uint64_t kMaxSkinFileBytes = uint64_t{8} << 20;

// Reads the skin file at `path` (bytes of the local 8-bit encoding). Only a
// regular file is read: a path with nothing, a folder, a FIFO or a device
// behind it counts as missing, and opening never waits for a writer.
FileResult ReadSkinFile(const std::string& path, const FileCalls& calls = SystemFileCalls());

// A skin file of our own: the 4-byte size, then the container LZHUF-coded.
std::vector<uint8_t> PackSkinFile(std::span<const uint8_t> container);

}  // namespace skin
