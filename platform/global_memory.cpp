// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/global_memory.h"

#include <cstdlib>
#include <cstring>
#include <mutex>
#include <new>
#include <unordered_map>

#include "platform/pixel_memory.h"

namespace {

struct Block {
    void* bytes = nullptr;
    size_t size = 0;
    uint32_t locks = 0;
};

// Live blocks by handle. A handle is a serial number that is never handed out
// twice, so a freed handle stays unknown even after its memory is reused, and a
// forged one is refused without being dereferenced.
struct Registry {
    std::mutex mutex;
    std::unordered_map<uintptr_t, Block> blocks;
    uintptr_t lastSerial = 0;
};

Registry& Blocks() {
    static auto* r = new Registry();
    return *r;
}

Block* Find(Registry& r, HGLOBAL h) {
    const auto it = r.blocks.find(reinterpret_cast<uintptr_t>(h));
    return it == r.blocks.end() ? nullptr : &it->second;
}

}  // namespace

HGLOBAL GlobalAlloc(uint32_t flags, size_t bytes) {
    if (bytes == 0 || bytes > kGlobalAllocLimit) return nullptr;
    void* mem = AllocatePixelMemory(bytes, (flags & GMEM_ZEROINIT) != 0);
    if (!mem) return nullptr;
    Registry& r = Blocks();
    std::lock_guard lock(r.mutex);
    // Serials step by 8 so that handles look like aligned pointers and never 0.
    const uintptr_t serial = r.lastSerial += 8;
    try {
        r.blocks.emplace(serial, Block{mem, bytes, 0});
    } catch (const std::bad_alloc&) {
        FreePixelMemory(mem);
        return nullptr;
    }
    return reinterpret_cast<HGLOBAL>(serial);
}

void* GlobalLock(HGLOBAL h) {
    Registry& r = Blocks();
    std::lock_guard lock(r.mutex);
    Block* b = Find(r, h);
    if (!b) return nullptr;
    ++b->locks;
    return b->bytes;
}

bool GlobalUnlock(HGLOBAL h) {
    Registry& r = Blocks();
    std::lock_guard lock(r.mutex);
    Block* b = Find(r, h);
    if (!b || b->locks == 0) return false;
    --b->locks;
    return b->locks > 0;
}

HGLOBAL GlobalFree(HGLOBAL h) {
    Registry& r = Blocks();
    std::lock_guard lock(r.mutex);
    const auto it = r.blocks.find(reinterpret_cast<uintptr_t>(h));
    if (it == r.blocks.end()) return h;
    FreePixelMemory(it->second.bytes);
    r.blocks.erase(it);
    return nullptr;
}

size_t GlobalSize(HGLOBAL h) {
    Registry& r = Blocks();
    std::lock_guard lock(r.mutex);
    const Block* b = Find(r, h);
    return b ? b->size : 0;
}

uint32_t GlobalLockCount(HGLOBAL h) {
    Registry& r = Blocks();
    std::lock_guard lock(r.mutex);
    const Block* b = Find(r, h);
    return b ? b->locks : 0;
}
