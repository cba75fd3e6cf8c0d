#include "sketch/sketch_pass.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "sketch/dib_rows.h"
#include "sketch/pass_region.h"

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

// d[j]: the largest of the four differences of byte j. `row`, `prev1` and
// `prev2` point at the first target byte of memory rows r, r - 1 and r - 2.
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

// h[j] = 0xFF when the pixel starting at byte j is kept as an edge: one of its
// differences exceeds the threshold and its red byte (j + 2) is not 255.
// Meaningful only where a pixel starts; d must hold two readable bytes past n.
void EdgeMasks(const uint8_t* row, const uint8_t* d, uint8_t* h, size_t n, uint8_t limit) {
    const Bytes threshold = Bytes{} + limit;
    const Bytes white = Bytes{} + uint8_t(255);
    size_t j = 0;
    for (; j + kLanes <= n; j += kLanes) {
        const Bytes strongest = Max(Max(Load(d + j), Load(d + j + 1)), Load(d + j + 2));
        const Bytes keep = (strongest > threshold) & (Load(row + j + 2) != white);
        Store(h + j, reinterpret_cast<const Bytes&>(keep));
    }
    for (; j < n; ++j) {
        const uint8_t strongest = std::max({d[j], d[j + 1], d[j + 2]});
        h[j] = (strongest > limit && row[j + 2] != 255) ? 0xFF : 0x00;
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
    const PassRegion region =
        PassRegionFor(std::min(width, rows.width), std::min(height, rows.height));
    if (region.empty()) return true;

    const ptrdiff_t stride = rows.stride;
    const size_t n = 3 * static_cast<size_t>(region.endColumn - region.firstColumn);
    const size_t firstByte = 3 * static_cast<size_t>(region.firstColumn);
    RowScratch scratch(n);
    // Rows from the top of memory down: a row reads only itself and the two rows
    // below it, which are still untouched, and is written only after all its
    // differences and masks are taken; so the result is that of computing every
    // target from an untouched copy.
    for (int32_t r = region.endRow - 1; r >= region.firstRow; --r) {
        uint8_t* row = rows.Row(r) + firstByte;
        Differences(row, row - stride, row - 2 * stride, scratch.d.data(), n);
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
