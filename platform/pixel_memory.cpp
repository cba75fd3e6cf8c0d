// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/pixel_memory.h"

#include <sys/mman.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <new>
#include <unordered_map>
#include <vector>

namespace {

// Blocks from this size on are mapped on their own and worth huge pages.
constexpr size_t kHugePage = size_t{2} << 20;

// Large blocks are mapped straight from the system, so that they never pin the
// top of the heap. Up to KeepFreedPixelMemory's bytes of them stay mapped when
// freed, so that the next picture of a batch reuses pages that are already
// there instead of faulting in and zeroing fresh ones. A request takes the smallest
// free block that holds it, if that block is at most twice its size; when none
// does, every free block is returned to the system before a new one is mapped,
// so mapped memory never exceeds the most that was ever in use at once.
class LargeBlocks {
public:
    void* Take(size_t bytes, bool zero) {
        const size_t rounded = (bytes + kHugePage - 1) / kHugePage * kHugePage;
        if (rounded < bytes) return nullptr;
        if (void* reused = Reuse(rounded)) {
            if (zero) std::memset(reused, 0, bytes);
            return reused;
        }
        void* address = Map(rounded);
        if (!address) return nullptr;
        try {
            std::lock_guard lock(mutex_);
            used_.emplace(address, rounded);
        } catch (...) {
            munmap(address, rounded);
            throw;
        }
        return address;  // fresh pages read as zero
    }

    // False when `address` is not a large block.
    bool Give(void* address) {
        size_t size = 0;
        {
            std::lock_guard lock(mutex_);
            const auto it = used_.find(address);
            if (it == used_.end()) return false;
            size = it->second;
            used_.erase(it);
            if (freeBytes_ + size <= keep_) {
                free_.push_back({address, size});
                freeBytes_ += size;
                return true;
            }
        }
        munmap(address, size);
        return true;
    }

    void Keep(size_t maxBytes) {
        {
            std::lock_guard lock(mutex_);
            keep_ = maxBytes;
        }
        Trim(maxBytes);
    }

    // Returns free blocks to the system until at most `bytes` of them remain.
    void Trim(size_t bytes) {
        std::vector<Block> released;
        {
            std::lock_guard lock(mutex_);
            while (freeBytes_ > bytes) {
                released.push_back(free_.back());
                freeBytes_ -= free_.back().size;
                free_.pop_back();
            }
        }
        for (const Block& block : released) munmap(block.address, block.size);
    }

private:
    struct Block {
        void* address;
        size_t size;
    };

    // A free block for `rounded` bytes, or null after every free block went
    // back to the system.
    void* Reuse(size_t rounded) {
        std::vector<Block> released;
        {
            std::lock_guard lock(mutex_);
            size_t best = free_.size();
            for (size_t i = 0; i < free_.size(); ++i)
                if (free_[i].size >= rounded && free_[i].size / 2 <= rounded &&
                    (best == free_.size() || free_[i].size < free_[best].size))
                    best = i;
            if (best != free_.size()) {
                const Block block = free_[best];
                used_.emplace(block.address, block.size);
                free_[best] = free_.back();
                free_.pop_back();
                freeBytes_ -= block.size;
                return block.address;
            }
            released.swap(free_);
            freeBytes_ = 0;
        }
        for (const Block& block : released) munmap(block.address, block.size);
        return nullptr;
    }

    // `size` bytes aligned to a huge page, or null.
    static void* Map(size_t size) {
        const size_t span = size + kHugePage;
        if (span < size) return nullptr;
        void* raw = mmap(nullptr, span, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
        if (raw == MAP_FAILED) return nullptr;
        const auto start = reinterpret_cast<uintptr_t>(raw);
        const uintptr_t aligned = (start + kHugePage - 1) / kHugePage * kHugePage;
        if (aligned > start) munmap(raw, aligned - start);
        const uintptr_t end = start + span;
        if (end > aligned + size)
            munmap(reinterpret_cast<void*>(aligned + size), end - aligned - size);
        void* block = reinterpret_cast<void*>(aligned);
        // Advice only: without huge pages the block works the same.
        madvise(block, size, MADV_HUGEPAGE);
        return block;
    }

    std::mutex mutex_;
    std::unordered_map<void*, size_t> used_;
    std::vector<Block> free_;
    size_t freeBytes_ = 0;
    size_t keep_ = 0;
};

LargeBlocks& Large() {
    // Never destroyed: pictures may be freed by static destructors at exit.
    static LargeBlocks* blocks = new LargeBlocks;
    return *blocks;
}

}  // namespace

void* AllocatePixelMemory(size_t bytes, bool zero) {
    if (bytes < kHugePage) return zero ? std::calloc(1, bytes) : std::malloc(bytes);
    try {
        return Large().Take(bytes, zero);
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
}

void KeepFreedPixelMemory(size_t maxBytes) {
    Large().Keep(maxBytes);
}

void ReleaseFreedPixelMemory() {
    Large().Trim(0);
}

void FreePixelMemory(void* block) {
    if (!block) return;
    if (!Large().Give(block)) std::free(block);
}
