// SPDX-License-Identifier: GPL-3.0-or-later
// Scoped ownership of a DIB block handed out for the passes: locked while the
// guard lives, unlocked and freed at its end (also when an error passes), with
// the header copy and pixel start that drawing the block back needs.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <optional>

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
    // Locked, and holding a whole uncompressed DIB (header, colour table and
    // rows), so that the header copy and the pixel start below stay inside it.
    bool Usable() const { return Shape().has_value(); }
    uint8_t* bytes() const { return bytes_; }
    size_t size() const { return GlobalSize(handle_); }
    std::optional<DibShape> Shape() const { return ReadPackedDib(bytes_, bytes_ ? size() : 0); }
    // A BITMAPINFO whose header is a copy of the block's; its one colour entry
    // is not filled.
    BITMAPINFO HeaderCopy() const {
        BITMAPINFO info{};
        std::memcpy(&info.bmiHeader, bytes_, sizeof info.bmiHeader);
        return info;
    }
    // The first pixel row of a usable block.
    const uint8_t* Pixels() const { return bytes_ + Shape()->pixelOffset; }

private:
    HGLOBAL handle_ = nullptr;
    uint8_t* bytes_ = nullptr;
};

}  // namespace sketch
