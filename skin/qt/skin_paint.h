// SPDX-License-Identifier: GPL-3.0-or-later
// Drawing skin objects: a frame of a strip laid into a rectangle by its
// margins (corners kept, edges and middle stretched or tiled), and a border
// strip along its length.
#pragma once

#include <QPainter>
#include <QRect>

#include "skin/qt/skin_look.h"

// Draws `frame` of `piece` into `target` by its margins; `fillMiddle` false
// leaves the middle undrawn. Does nothing for an absent piece.
void DrawPiece(QPainter& painter, const SkinPiece& piece, int frame, const QRect& target,
               bool fillMiddle = true);

// Draws `frame` of a border strip into `target`, which lies along the strip
// (horizontal for the top and bottom borders, vertical for the sides).
void DrawBorder(QPainter& painter, const SkinBorder& border, int frame, const QRect& target,
                Qt::Orientation along);
