// SPDX-License-Identifier: GPL-3.0-or-later
// The 24-bit pixel rows that the passes work on, in DIB memory order and
// reached through a start and a stride, so that a packed DIB block and an
// engine bitmap's own memory serve alike.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>

#include "platform/dib.h"

namespace sketch {

// Memory row r (row 0 is the bottom picture row of a bottom-up DIB) starts at
// row0 + r x stride and holds 3 x width bytes of blue, green, red.
struct DibRows {
    uint8_t* row0 = nullptr;
    ptrdiff_t stride = 0;
    int32_t width = 0;
    int32_t height = 0;

    uint8_t* Row(int32_t r) const { return row0 + static_cast<ptrdiff_t>(r) * stride; }
};

// The rows of the packed 24-bit uncompressed DIB in `block`, or nothing when the
// block does not hold one whole.
inline std::optional<DibRows> PackedDibRows(uint8_t* block, size_t blockSize) {
    const std::optional<DibShape> shape = ReadPackedDib(block, blockSize);
    if (!shape || shape->bitCount != 24) return std::nullopt;
    return DibRows{block + shape->pixelOffset, static_cast<ptrdiff_t>(shape->stride), shape->width,
                   shape->rows};
}

}  // namespace sketch
