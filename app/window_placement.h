// SPDX-License-Identifier: GPL-3.0-or-later
// Where the main window goes on screen: its designed position where it fits,
// otherwise the nearest position that keeps it wholly on the screen.
#pragma once

#include <QPoint>
#include <QRect>

// The designed top-left corner of the window's frame.
inline constexpr QPoint kDesignedWindowPosition{190, 114};

// The top-left corner for a frame of `frame`'s size that starts at
// `frame.topLeft()` by design, within `available` (the screen less its
// panels). A frame larger than the screen keeps its top-left corner, and so
// its title bar and menu, on the screen.
QPoint FittedWindowPosition(const QRect& frame, const QRect& available);
