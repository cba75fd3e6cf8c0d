// SPDX-License-Identifier: GPL-3.0-or-later
#include "sketch/sketch_pass.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "sketch/dib_rows.h"

namespace sketch {
namespace {

// The pass works on the bytes of a row rather than on pixels, 16 at a time: a
// pixel's three channels follow each other, and byte j + 3 is the same channel
// one pixel to the right.
using Bytes = uint8_t __attribute__((vector_size(16)));
constexpr size_t kLanes = sizeof(Bytes);

inline Bytes Load(const uint8_t* p) {
    Bytes v;
    std::memcpy(&v, p, sizeof v);
    return v;
}
inline void Store(uint8_t* p, Bytes v) {
    std::memcpy(p, &v, sizeof v);
}
inline Bytes Max(Bytes a, Bytes b) {
    return a > b ? a : b;
}
inline Bytes AbsDiff(Bytes a, Bytes b) {
    return (a > b ? a : b) - (a > b ? b : a);
}
inline uint8_t AbsDiff(uint8_t a, uint8_t b) {
    return a > b ? a - b : b - a;
}

// Row buffers of the pass, allocated once. `h` starts kFront bytes into its
// storage so that h[j - 1] and h[j - 2] exist for j = 0.
struct RowScratch {
    static constexpr size_t kFront = 2;
    explicit RowScratch(size_t n) : d(n + kLanes), hStorage(n + kFront + kLanes) {}
    std::vector<uint8_t> d;
    std::vector<uint8_t> hStorage;
    uint8_t* h() { return hStorage.data() + kFront; }
};

// d[j]: the largest of the four differences of byte j, for the bytes of the
// columns whose neighbours c + 1 and c + 2 lie inside the row. `row`, `prev1`
// and `prev2` point at memory rows r, r - 1 and r - 2.
void Differences(const uint8_t* row, const uint8_t* prev1, const uint8_t* prev2, uint8_t* d,
                 size_t n) {
    size_t j = 0;
    for (; j + kLanes <= n; j += kLanes) {
        Bytes m = AbsDiff(Load(row + j), Load(prev2 + j));
        m = Max(m, AbsDiff(Load(prev2 + j + 6), Load(row + j + 6)));
        m = Max(m, AbsDiff(Load(row + j + 3), Load(prev2 + j + 3)));
        m = Max(m, AbsDiff(Load(prev1 + j + 6), Load(prev1 + j)));
        Store(d + j, m);
    }
    for (; j < n; ++j) {
        uint8_t m = AbsDiff(row[j], prev2[j]);
        m = std::max(m, AbsDiff(prev2[j + 6], row[j + 6]));
        m = std::max(m, AbsDiff(row[j + 3], prev2[j + 3]));
        m = std::max(m, AbsDiff(prev1[j + 6], prev1[j]));
        d[j] = m;
    }
}

// The same for the last columns, from `first` to width - 1, whose neighbours
// past the right edge repeat column width - 1.
void EdgeColumnDifferences(const uint8_t* row, const uint8_t* prev1, const uint8_t* prev2,
                           uint8_t* d, int32_t first, int32_t width) {
    for (int32_t c = first; c < width; ++c) {
        const size_t at = 3 * size_t(c);
        const size_t at1 = 3 * size_t(std::min(c + 1, width - 1));
        const size_t at2 = 3 * size_t(std::min(c + 2, width - 1));
        for (size_t k = 0; k < 3; ++k) {
            uint8_t m = AbsDiff(row[at + k], prev2[at + k]);
            m = std::max(m, AbsDiff(prev2[at2 + k], row[at2 + k]));
            m = std::max(m, AbsDiff(row[at1 + k], prev2[at1 + k]));
            m = std::max(m, AbsDiff(prev1[at2 + k], prev1[at + k]));
            d[at + k] = m;
        }
    }
}

// h[j] = 0xFF when the pixel starting at byte j is kept as an edge: one of its
// differences exceeds the threshold and its red byte (j + 2) is not 255.
// Meaningful only where a pixel starts; d must hold two readable bytes past n,
// and `row` is read only within its n bytes.
void EdgeMasks(const uint8_t* row, const uint8_t* d, uint8_t* h, size_t n, uint8_t limit) {
    const Bytes threshold = Bytes{} + limit;
    const Bytes white = Bytes{} + uint8_t(255);
    size_t j = 0;
    for (; j + kLanes + 2 <= n; j += kLanes) {
        const Bytes strongest = Max(Max(Load(d + j), Load(d + j + 1)), Load(d + j + 2));
        const Bytes keep = (strongest > threshold) & (Load(row + j + 2) != white);
        Store(h + j, reinterpret_cast<const Bytes&>(keep));
    }
    for (; j < n; ++j) {
        const uint8_t strongest = std::max({d[j], d[j + 1], d[j + 2]});
        h[j] = (strongest > limit && row[j - j % 3 + 2] != 255) ? 0xFF : 0x00;
    }
}

// Byte lanes whose position in their pixel is `channel`, for a vector whose first
// byte is at position `first` (0, 1 or 2) of its pixel.
Bytes ChannelLanes(size_t first, size_t channel) {
    Bytes lanes{};
    for (size_t i = 0; i < kLanes; ++i) lanes[i] = (first + i) % 3 == channel ? 0xFF : 0x00;
    return lanes;
}

// Writes the targets: each byte keeps its difference where its pixel's mask
// (h at the pixel's first byte) is set, else 0.
void WriteTargets(uint8_t* row, const uint8_t* d, const uint8_t* h, size_t n) {
    static const Bytes kLanesAt[3][3] = {
        {ChannelLanes(0, 0), ChannelLanes(0, 1), ChannelLanes(0, 2)},
        {ChannelLanes(1, 0), ChannelLanes(1, 1), ChannelLanes(1, 2)},
        {ChannelLanes(2, 0), ChannelLanes(2, 1), ChannelLanes(2, 2)}};
    size_t j = 0;
    size_t first = 0;  // j % 3
    for (; j + kLanes <= n; j += kLanes) {
        const Bytes* lanes = kLanesAt[first];
        const Bytes mask =
            (lanes[0] & Load(h + j)) | (lanes[1] & Load(h + j - 1)) | (lanes[2] & Load(h + j - 2));
        Store(row + j, Load(d + j) & mask);
        first = (first + kLanes) % 3;
    }
    for (; j < n; ++j) row[j] = d[j] & h[j - j % 3];
}

}  // namespace

bool SketchPass(const DibRows& rows, int32_t width, int32_t height, int threshold) {
    const auto limit =
        static_cast<uint8_t>(std::clamp(threshold, kMinEdgeThreshold, kMaxEdgeThreshold));
    const int32_t w = std::min(width, rows.width), h = std::min(height, rows.height);
    if (w <= 0 || h <= 0) return true;

    const size_t n = 3 * static_cast<size_t>(w);
    // Columns 0 to w - 3 see both right neighbours inside the row and take the
    // vectorised path; the last two see column w - 1 in place of those past it.
    const int32_t inner = std::max(w - 2, 0);
    RowScratch scratch(n);
    // Rows from the top of memory down: a row reads only itself and the two rows
    // below it, which are still untouched, and is written only after all its
    // differences and masks are taken; so the result is that of computing every
    // pixel from an untouched copy. Below memory row 0 the rows repeat row 0.
    for (int32_t r = h - 1; r >= 0; --r) {
        uint8_t* row = rows.Row(r);
        const uint8_t* prev1 = rows.Row(std::max(r - 1, 0));
        const uint8_t* prev2 = rows.Row(std::max(r - 2, 0));
        Differences(row, prev1, prev2, scratch.d.data(), 3 * static_cast<size_t>(inner));
        EdgeColumnDifferences(row, prev1, prev2, scratch.d.data(), inner, w);
        EdgeMasks(row, scratch.d.data(), scratch.h(), n, limit);
        WriteTargets(row, scratch.d.data(), scratch.h(), n);
    }
    return true;
}

bool SketchPass(uint8_t* dib, size_t dibSize, int32_t width, int32_t height, int threshold) {
    const auto rows = PackedDibRows(dib, dibSize);
    return rows && SketchPass(*rows, width, height, threshold);
}

}  // namespace sketch
