// SPDX-License-Identifier: GPL-3.0-or-later
#include "sketch/blend_pass.h"

#include <algorithm>

#include "sketch/dib_rows.h"

namespace sketch {
namespace {

// round(0.2 b + 0.8 v) = round((b + 4 v) / 5); a fifth is never a half, so
// plain rounding up from .5 is never reached.
void BlendPencil(const uint8_t* work, uint8_t* view, size_t n) {
    for (size_t j = 0; j < n; ++j) {
        const uint16_t sum = static_cast<uint16_t>(work[j] + 4 * view[j] + 2);
        view[j] = static_cast<uint8_t>(sum / 5);
    }
}

// round((b + 3 v) / 4) with halves to even: adding 1, plus 1 more when the
// quotient is odd, before dividing by 4 does both.
void BlendColorPencil(const uint8_t* work, uint8_t* view, size_t n) {
    for (size_t j = 0; j < n; ++j) {
        const uint16_t sum = static_cast<uint16_t>(work[j] + 3 * view[j]);
        view[j] = static_cast<uint8_t>((sum + 1 + ((sum >> 2) & 1)) >> 2);
    }
}

// round((p b + (100 - p) v) / 100) with halves to even, in integers.
void BlendPercent(const uint8_t* work, uint8_t* view, size_t n, int percent) {
    const auto p = static_cast<uint32_t>(percent);
    for (size_t j = 0; j < n; ++j) {
        const uint32_t sum = p * work[j] + (100 - p) * view[j];
        const uint32_t q = sum / 100, rest = sum % 100;
        view[j] = static_cast<uint8_t>(q + (rest > 50 || (rest == 50 && (q & 1))));
    }
}

}  // namespace

double PhotoWeight(BlendMode mode) {
    return mode == BlendMode::kColorPencil ? 0.25 : 0.2;
}

bool BlendPass(const DibRows& work, const DibRows& view, int32_t width, int32_t height,
               BlendMode mode) {
    return BlendPass(work, view, width, height, DefaultTonePercent(mode));
}

bool BlendPass(const DibRows& work, const DibRows& view, int32_t width, int32_t height,
               int tonePercent) {
    const int percent = std::clamp(tonePercent, kMinTonePercent, kMaxTonePercent);
    const int32_t w = std::min({width, work.width, view.width});
    const int32_t h = std::min({height, work.height, view.height});
    if (w <= 0 || h <= 0) return true;

    const size_t bytes = 3 * static_cast<size_t>(w);
    for (int32_t r = 0; r < h; ++r) {
        const uint8_t* workRow = work.Row(r);
        uint8_t* viewRow = view.Row(r);
        // The two usual weights have exact shortcuts of their own.
        if (percent == 25)
            BlendColorPencil(workRow, viewRow, bytes);
        else if (percent == 20)
            BlendPencil(workRow, viewRow, bytes);
        else
            BlendPercent(workRow, viewRow, bytes, percent);
    }
    return true;
}

bool BlendPass(const uint8_t* workDib, size_t workSize, uint8_t* viewDib, size_t viewSize,
               int32_t width, int32_t height, BlendMode mode) {
    // The work block is only read; its rows are reached through the same view.
    const auto work = PackedDibRows(const_cast<uint8_t*>(workDib), workSize);
    const auto view = PackedDibRows(viewDib, viewSize);
    if (!work || !view) return false;
    return BlendPass(*work, *view, width, height, mode);
}

}  // namespace sketch
