// Scoped ownership of a DIB block that a command took from an image control:
// the block stays locked while the guard lives, and is unlocked and freed at
// the end, also when an error passes.
#pragma once

#include <cstddef>
#include <cstdint>

#include "platform/global_memory.h"

class DibLock {
public:
    explicit DibLock(HGLOBAL block) : m_block(block) {
        if (m_block) m_bytes = static_cast<uint8_t*>(GlobalLock(m_block));
    }
    ~DibLock() {
        if (!m_block) return;
        if (m_bytes) GlobalUnlock(m_block);
        GlobalFree(m_block);
    }
    DibLock(const DibLock&) = delete;
    DibLock& operator=(const DibLock&) = delete;

    bool HasBlock() const { return m_block != nullptr; }
    uint8_t* Bytes() const { return m_bytes; }
    size_t Size() const { return GlobalSize(m_block); }

private:
    HGLOBAL m_block = nullptr;
    uint8_t* m_bytes = nullptr;
};
