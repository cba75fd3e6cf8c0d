#include "platform/global_memory.h"

#include <cstdlib>
#include <cstring>
#include <mutex>
#include <new>
#include <unordered_map>

struct GlobalBlock {
    void* bytes = nullptr;
    size_t size = 0;
    uint32_t locks = 0;
};

namespace {

// Live handles. A handle is looked up here before use, so a freed or forged
// handle is recognised and refused rather than dereferenced.
std::mutex& RegistryMutex() {
    static std::mutex m;
    return m;
}

std::unordered_map<GlobalBlock*, bool>& Registry() {
    static auto* r = new std::unordered_map<GlobalBlock*, bool>();
    return *r;
}

bool Live(HGLOBAL h) { return h && Registry().count(h) != 0; }

}  // namespace

HGLOBAL GlobalAlloc(uint32_t flags, size_t bytes) {
    if (bytes == 0 || bytes > kGlobalAllocLimit) return nullptr;
    void* mem = (flags & GMEM_ZEROINIT) ? std::calloc(1, bytes) : std::malloc(bytes);
    if (!mem) return nullptr;
    auto* block = new (std::nothrow) GlobalBlock{mem, bytes, 0};
    if (!block) {
        std::free(mem);
        return nullptr;
    }
    std::lock_guard lock(RegistryMutex());
    Registry()[block] = true;
    return block;
}

void* GlobalLock(HGLOBAL h) {
    std::lock_guard lock(RegistryMutex());
    if (!Live(h)) return nullptr;
    ++h->locks;
    return h->bytes;
}

bool GlobalUnlock(HGLOBAL h) {
    std::lock_guard lock(RegistryMutex());
    if (!Live(h) || h->locks == 0) return false;
    --h->locks;
    return h->locks > 0;
}

HGLOBAL GlobalFree(HGLOBAL h) {
    std::lock_guard lock(RegistryMutex());
    if (!Live(h)) return h;
    Registry().erase(h);
    std::free(h->bytes);
    delete h;
    return nullptr;
}

size_t GlobalSize(HGLOBAL h) {
    std::lock_guard lock(RegistryMutex());
    return Live(h) ? h->size : 0;
}

uint32_t GlobalLockCount(HGLOBAL h) {
    std::lock_guard lock(RegistryMutex());
    return Live(h) ? h->locks : 0;
}
