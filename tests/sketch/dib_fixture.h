// SPDX-License-Identifier: GPL-3.0-or-later
// Builds packed 24-bit DIB blocks for the pass tests, with poisoned row padding
// and a guard area after the block that the passes must leave alone.
#pragma once

#include <cstdint>
#include <cstring>
#include <vector>

#include "platform/dib.h"

namespace sketch_test {

constexpr uint8_t kPoison = 0xA5;
constexpr size_t kGuardBytes = 64;

struct TestDib {
    std::vector<uint8_t> storage;  // the block followed by the guard area
    size_t size = 0;               // bytes of the block itself
    int32_t width = 0;
    int32_t height = 0;  // rows in memory
    size_t stride = 0;
    size_t offset = 0;

    uint8_t* block() { return storage.data(); }
    uint8_t& at(int32_t row, int32_t column, int channel) {
        return storage[offset + size_t(row) * stride + 3 * size_t(column) + size_t(channel)];
    }
    void setGrey(int32_t row, int32_t column, uint8_t v) {
        for (int k = 0; k < 3; ++k) at(row, column, k) = v;
    }
    void fillGrey(uint8_t v) {
        for (int32_t r = 0; r < height; ++r)
            for (int32_t c = 0; c < width; ++c) setGrey(r, c, v);
    }
    // Only the padding and the guard hold the poison.
    bool paddingAndGuardIntact() const {
        for (int32_t r = 0; r < height; ++r)
            for (size_t b = 3 * size_t(width); b < stride; ++b)
                if (storage[offset + size_t(r) * stride + b] != kPoison) return false;
        for (size_t b = size; b < storage.size(); ++b)
            if (storage[b] != kPoison) return false;
        return true;
    }
};

// A bottom-up (or top-down) 24-bit DIB with `colors` colour entries, pixels 0,
// padding and guard poisoned.
inline TestDib MakeDib(int32_t width, int32_t height, uint32_t colors = 0, bool topDown = false) {
    TestDib d;
    d.width = width;
    d.height = height;
    d.stride = DibRowStride(width, 24);
    d.offset = sizeof(BITMAPINFOHEADER) + 4 * size_t{colors};
    d.size = d.offset + d.stride * size_t(height);
    d.storage.assign(d.size + kGuardBytes, kPoison);
    BITMAPINFOHEADER h{};
    h.biSize = sizeof h;
    h.biWidth = width;
    h.biHeight = topDown ? -height : height;
    h.biPlanes = 1;
    h.biBitCount = 24;
    h.biCompression = BI_RGB;
    h.biClrUsed = colors;
    std::memcpy(d.storage.data(), &h, sizeof h);
    std::memset(d.storage.data() + sizeof h, 0, 4 * size_t{colors});
    for (int32_t r = 0; r < height; ++r)
        std::memset(d.storage.data() + d.offset + size_t(r) * d.stride, 0, 3 * size_t(width));
    return d;
}

}  // namespace sketch_test
