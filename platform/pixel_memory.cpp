#include "platform/pixel_memory.h"

#include <sys/mman.h>

#include <cstdlib>
#include <cstring>

namespace {
// Blocks from this size on are worth huge pages.
constexpr size_t kHugePage = size_t{2} << 20;
}  // namespace

void* AllocatePixelMemory(size_t bytes, bool zero) {
    if (bytes < kHugePage) return zero ? std::calloc(1, bytes) : std::malloc(bytes);
    const size_t rounded = (bytes + kHugePage - 1) / kHugePage * kHugePage;
    if (rounded < bytes) return nullptr;
    void* block = std::aligned_alloc(kHugePage, rounded);
    if (!block) return nullptr;
    // Advice only: without huge pages the block works the same.
    madvise(block, rounded, MADV_HUGEPAGE);
    if (zero) std::memset(block, 0, bytes);
    return block;
}

void FreePixelMemory(void* block) {
    std::free(block);
}
