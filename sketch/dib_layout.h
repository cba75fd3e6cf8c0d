// Where the pixel rows of a packed 24-bit DIB block lie, checked against the
// block's size so that the passes never step outside it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>

namespace sketch {

// Pixel rows of a 24-bit uncompressed DIB: memory row 0 starts `pixelOffset`
// bytes into the block (biSize + 4 x biClrUsed); each row holds 3 x width bytes
// of blue, green, red followed by padding up to `stride`.
struct DibLayout {
    size_t pixelOffset = 0;
    size_t stride = 0;
    int32_t width = 0;
    int32_t height = 0;  // rows in memory, |biHeight|
};

// The layout of the DIB in `block`, or nothing when the block is too small for
// its header, is not 24 bits per pixel without compression, or is too small for
// the rows its header describes.
std::optional<DibLayout> FindDibLayout(const uint8_t* block, size_t blockSize);

}  // namespace sketch
