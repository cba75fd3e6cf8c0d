// SPDX-License-Identifier: GPL-3.0-or-later
#include "imaging/engine/retouch_ops.h"

#include <algorithm>
#include <cstring>
#include <new>
#include <vector>

#include "imaging/engine/color_ops.h"
#include "imaging/engine/status_codes.h"

namespace {

constexpr int32_t kNeighbours = 9;
// v + (v - S / 9) x a / 100 over the common denominator 9 x 100.
constexpr int64_t kSharpenDenominator = kNeighbours * 100;

bool HasPixels(const PixBitmap* b) {
    if (!b || !(b->Flags & kBitmapAllocated) || !b->Data) return false;
    if (b->Width <= 0 || b->Height <= 0) return false;
    if (b->BitsPerPixel == 24) return b->BytesPerLine >= int64_t{b->Width} * 3;
    if (b->BitsPerPixel == 8) return b->BytesPerLine >= b->Width;
    return b->BytesPerLine > 0;
}

// -2 without pixels, -27 for a depth or palette the retouch does not handle.
int32_t CheckBitmap(const PixBitmap* b) {
    if (!HasPixels(b)) return pix::kInvalidBitmap;
    if (!pix::IsRetouchable(b)) return pix::kInvalidBitsPerPixel;
    return pix::kSuccess;
}

size_t RowBytes(const PixBitmap& b) {
    return size_t(b.Width) * size_t(b.BitsPerPixel / 8);
}

// One channel v with the sum S of its 3 x 3 neighbourhood: the new value
// (900 v + (9 v - S) a) / 900, rounded half away from zero and clamped. A
// negative total clamps to 0 whatever its rounding, so only the positive side
// needs rounding.
inline uint8_t Sharpened(int32_t v, int32_t sum, int32_t amount) {
    const int64_t total =
        kSharpenDenominator * v + (int64_t{kNeighbours} * v - sum) * int64_t{amount};
    if (total <= 0) return 0;
    return static_cast<uint8_t>(
        std::min<int64_t>(255, (total + kSharpenDenominator / 2) / kSharpenDenominator));
}

int32_t Sharpen(PixBitmap* b, int32_t amount) {
    const size_t rowBytes = RowBytes(*b);
    const size_t step = size_t(b->BitsPerPixel / 8);  // bytes of one pixel
    const size_t last = rowBytes - step;              // first byte of the last pixel
    // The rows above and at the one being written still hold their old values
    // here, since writing happens in place.
    std::vector<uint8_t> above(rowBytes), current(rowBytes);
    std::vector<int32_t> columns(rowBytes);  // vertical sums of three rows
    std::memcpy(current.data(), PixRow(*b, 0), rowBytes);
    above = current;
    for (int32_t y = 0; y < b->Height; ++y) {
        uint8_t* row = PixRow(*b, y);
        const uint8_t* below = y + 1 < b->Height ? PixRow(*b, y + 1) : current.data();
        for (size_t i = 0; i < rowBytes; ++i)
            columns[i] = int32_t{above[i]} + current[i] + below[i];
        for (size_t i = 0; i < rowBytes; ++i) {
            const size_t left = i < step ? i : i - step;
            const size_t right = i >= last ? i : i + step;
            row[i] = Sharpened(current[i], columns[left] + columns[i] + columns[right], amount);
        }
        above.swap(current);
        if (y + 1 < b->Height) std::memcpy(current.data(), below, rowBytes);
    }
    return pix::kSuccess;
}

}  // namespace

namespace pix {
bool IsRetouchable(const PixBitmap* b) {
    if (!b) return false;
    if (b->BitsPerPixel == 24) return true;
    if (b->BitsPerPixel != 8 || !b->Palette || b->Colors != 256) return false;
    for (int i = 0; i < 256; ++i) {
        const RGBQUAD& q = b->Palette[i];
        if (q.rgbBlue != i || q.rgbGreen != i || q.rgbRed != i) return false;
    }
    return true;
}
}  // namespace pix

int32_t P_ChangeBitmapBrightness(PixBitmap* b, int32_t change) {
    if (const int32_t status = CheckBitmap(b); status != pix::kSuccess) return status;
    if (change < pix::kBrightnessMin || change > pix::kBrightnessMax) return pix::kInvalidParameter;
    const auto map = pix::IntensityMap(change);
    const size_t rowBytes = RowBytes(*b);
    for (int32_t y = 0; y < b->Height; ++y) {
        uint8_t* row = PixRow(*b, y);
        for (size_t i = 0; i < rowBytes; ++i) row[i] = map[row[i]];
    }
    return pix::kSuccess;
}

int32_t P_SharpenBitmap(PixBitmap* b, int32_t amount) {
    if (const int32_t status = CheckBitmap(b); status != pix::kSuccess) return status;
    if (amount < pix::kSharpenMin || amount > pix::kSharpenMax) return pix::kInvalidParameter;
    if (amount == 0) return pix::kSuccess;
    try {
        return Sharpen(b, amount);
    } catch (const std::bad_alloc&) {
        return pix::kNoMemory;
    }
}
