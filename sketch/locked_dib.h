// Scoped ownership of a DIB block handed out for the passes: locked while the
// guard lives, unlocked and freed at its end (also when an error passes), with
// the header copy and pixel start that drawing the block back needs.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>

#include "platform/dib.h"
#include "platform/global_memory.h"

namespace sketch {

class LockedDib {
public:
    // Takes over `block` (null when none was handed out) and locks it.
    explicit LockedDib(HGLOBAL block) : handle_(block) {
        if (handle_) bytes_ = static_cast<uint8_t*>(GlobalLock(handle_));
    }
    ~LockedDib() {
        if (!handle_) return;
        if (bytes_) GlobalUnlock(handle_);
        GlobalFree(handle_);
    }
    LockedDib(const LockedDib&) = delete;
    LockedDib& operator=(const LockedDib&) = delete;

    bool HasBlock() const { return handle_ != nullptr; }
    // Locked, and large enough for its own header and colour table, so that
    // the header copy and the pixel start below stay inside the block.
    bool Usable() const {
        if (!bytes_ || size() < sizeof(BITMAPINFOHEADER)) return false;
        const BITMAPINFOHEADER h = Header();
        return h.biSize >= sizeof h && uint64_t{h.biSize} + 4 * uint64_t{h.biClrUsed} <= size();
    }
    uint8_t* bytes() const { return bytes_; }
    size_t size() const { return GlobalSize(handle_); }
    // A BITMAPINFO whose header is a copy of the block's; its one colour entry
    // is not filled.
    BITMAPINFO HeaderCopy() const {
        BITMAPINFO info{};
        info.bmiHeader = Header();
        return info;
    }
    // The first pixel row: biSize + 4 x biClrUsed bytes into the block.
    const uint8_t* Pixels() const {
        const BITMAPINFOHEADER h = Header();
        return bytes_ + h.biSize + 4 * size_t{h.biClrUsed};
    }

private:
    BITMAPINFOHEADER Header() const {
        BITMAPINFOHEADER h;
        std::memcpy(&h, bytes_, sizeof h);
        return h;
    }

    HGLOBAL handle_ = nullptr;
    uint8_t* bytes_ = nullptr;
};

}  // namespace sketch
