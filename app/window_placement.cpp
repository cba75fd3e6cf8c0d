// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/window_placement.h"

#include <algorithm>

namespace {

// The start of a span of `length` kept within [first, first + room).
int Fit(int start, int length, int first, int room) {
    return std::max(first, std::min(start, first + room - length));
}

}  // namespace

QPoint FittedWindowPosition(const QRect& frame, const QRect& available) {
    if (available.isEmpty() || available.contains(frame)) return frame.topLeft();
    return {Fit(frame.left(), frame.width(), available.left(), available.width()),
            Fit(frame.top(), frame.height(), available.top(), available.height())};
}
