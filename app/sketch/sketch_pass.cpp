#include "app/sketch/sketch_pass.h"

#include <algorithm>
#include <vector>

#include "app/sketch/dib_layout.h"
#include "app/sketch/pass_region.h"

namespace sketch {
namespace {

inline uint8_t AbsDiff(uint8_t a, uint8_t b) {
    return a > b ? a - b : b - a;
}

// d[j] for the n bytes of a row's targets. `row`, `prev1` and `prev2` point at
// the first target byte of memory rows r, r-1 and r-2; byte j + 3 is the same
// channel one pixel to the right. Kept free of branches so that it vectorises.
void RowDifferences(const uint8_t* row, const uint8_t* prev1, const uint8_t* prev2, uint8_t* d,
                    size_t n) {
    for (size_t j = 0; j < n; ++j) {
        uint8_t m = AbsDiff(row[j], prev2[j]);
        m = std::max(m, AbsDiff(prev2[j + 6], row[j + 6]));
        m = std::max(m, AbsDiff(row[j + 3], prev2[j + 3]));
        m = std::max(m, AbsDiff(prev1[j + 6], prev1[j]));
        d[j] = m;
    }
}

// Writes the targets of one row from their differences: the differences where
// one exceeds the threshold and the red byte is not 255, else 0.
void WriteTargets(uint8_t* row, const uint8_t* d, size_t pixels) {
    for (size_t i = 0; i < pixels; ++i) {
        uint8_t* p = row + 3 * i;
        const uint8_t* dp = d + 3 * i;
        const uint8_t strongest = std::max(std::max(dp[0], dp[1]), dp[2]);
        const bool edge = strongest > kEdgeThreshold && p[2] != 255;
        const uint8_t mask = edge ? 0xFF : 0x00;
        p[0] = dp[0] & mask;
        p[1] = dp[1] & mask;
        p[2] = dp[2] & mask;
    }
}

}  // namespace

bool SketchPass(uint8_t* dib, size_t dibSize, int32_t width, int32_t height) {
    const auto layout = FindDibLayout(dib, dibSize);
    if (!layout) return false;
    const PassRegion region =
        PassRegionFor(std::min(width, layout->width), std::min(height, layout->height));
    if (region.empty()) return true;

    uint8_t* pixels = dib + layout->pixelOffset;
    const size_t stride = layout->stride;
    const size_t targets = static_cast<size_t>(region.endColumn - region.firstColumn);
    const size_t firstByte = 3 * static_cast<size_t>(region.firstColumn);
    std::vector<uint8_t> d(3 * targets);
    // Rows from the top of memory down: a row's differences read only the two
    // rows below it, which are still untouched, and are all taken before the row
    // itself is written.
    for (int32_t r = region.endRow - 1; r >= region.firstRow; --r) {
        uint8_t* row = pixels + static_cast<size_t>(r) * stride + firstByte;
        RowDifferences(row, row - stride, row - 2 * stride, d.data(), d.size());
        WriteTargets(row, d.data(), targets);
    }
    return true;
}

}  // namespace sketch
