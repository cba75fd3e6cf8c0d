// The pixels that the sketch pass writes and the blend pass mixes: memory rows
// 3 to H - 1 and columns 1 to W - 3 of a W x H picture.
#pragma once

#include <cstdint>

namespace sketch {

struct PassRegion {
    int32_t firstRow = 3;
    int32_t endRow = 0;  // one past the last row
    int32_t firstColumn = 1;
    int32_t endColumn = 0;  // one past the last column

    bool empty() const { return endRow <= firstRow || endColumn <= firstColumn; }
};

// The region of a picture of the given size; empty below 4 pixels in either side.
constexpr PassRegion PassRegionFor(int32_t width, int32_t height) {
    PassRegion region;
    region.endRow = height;
    region.endColumn = width - 2;
    return region;
}

}  // namespace sketch
