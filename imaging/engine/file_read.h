// Reads an image file whole into memory, turning each failure into the
// engine's status: no name -8, missing -10, not openable or not a plain file
// -14, a read error -7, larger than the limit -1.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>

namespace pix {

// Largest file the engine reads.
constexpr uint64_t kMaxImageFileBytes = uint64_t{2} << 30;

struct FileBytes {
    std::unique_ptr<uint8_t[]> data;
    size_t size = 0;
    std::span<const uint8_t> bytes() const { return {data.get(), size}; }
};

int32_t ReadImageFile(const char* path, FileBytes* out);

}  // namespace pix
