// SPDX-License-Identifier: GPL-3.0-or-later
// The live preview of a retouch dialog: a copy of the picture scaled to fit the
// preview box, and the retouch worked on a copy of that copy for each value, so
// that the real bitmap stays untouched and every update stays cheap.
#pragma once

#include <QImage>
#include <QSize>
#include <cstdint>

#include "imaging/engine/pix_bitmap.h"

class AdjustPreview {
public:
    using Operation = int32_t (*)(PixBitmap* bitmap, int32_t value);

    // `source` is a 24-bit or grey-ramp bitmap with pixels; a picture smaller
    // than `box` keeps its size. Throws std::bad_alloc when memory is short.
    AdjustPreview(const PixBitmap& source, QSize box, Operation operation);
    ~AdjustPreview();
    AdjustPreview(const AdjustPreview&) = delete;
    AdjustPreview& operator=(const AdjustPreview&) = delete;

    // The scaled picture as it is.
    const QImage& Before() const { return before_; }
    // The scaled picture with the retouch of `value`.
    QImage After(int32_t value);

private:
    Operation operation_;
    QImage before_;
    PixBitmap work_{};
};
