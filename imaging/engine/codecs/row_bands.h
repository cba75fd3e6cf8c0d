// SPDX-License-Identifier: GPL-3.0-or-later
// Groups rows that a decoder finishes in file order (top-down or bottom-up)
// into bands of bitmap rows for a band sink.
#pragma once

#include <algorithm>
#include <cstdint>

#include "imaging/engine/codecs/image_decoder.h"
#include "imaging/engine/status_codes.h"

namespace pix {

class RowBands {
public:
    RowBands(BandSink& sink, int32_t height, bool bottomUp)
        : sink_(sink), height_(height), bottomUp_(bottomUp) {}

    // `rows` more rows in file order are final.
    int32_t Advance(int32_t rows) {
        done_ = std::min<int64_t>(int64_t{done_} + rows, height_);
        return done_ - reported_ >= kBandRows ? Emit() : kSuccess;
    }
    // Every row is final (rows never visited keep their background).
    int32_t Finish() {
        done_ = height_;
        return done_ > reported_ ? Emit() : kSuccess;
    }
    int32_t done() const { return done_; }
    // Bitmap row of the given row in file order.
    int32_t BitmapRow(int32_t fileRow) const { return bottomUp_ ? height_ - 1 - fileRow : fileRow; }

private:
    int32_t Emit() {
        const int32_t count = done_ - reported_;
        const int32_t first = bottomUp_ ? height_ - done_ : reported_;
        reported_ = done_;
        return sink_.RowsDone(first, count);
    }

    BandSink& sink_;
    int32_t height_;
    bool bottomUp_;
    int32_t done_ = 0;
    int32_t reported_ = 0;
};

}  // namespace pix
