// The engine's painting: scales a source rectangle of a bitmap into a
// destination rectangle on a QPainter, with smooth resampling, and the stored
// display mode bits.
#pragma once

#include <QRect>
#include <cstdint>

#include "imaging/engine/pix_bitmap.h"

class QPainter;

// Draws the part of `srcClip` inside `src` (bitmap pixels) scaled as `src` maps
// onto `dst` (device pixels), limited to `dstClip`. Returns 1, or an error
// status for a bitmap without pixels or an empty rectangle (nothing drawn).
int32_t P_PaintDC(QPainter* painter, const PixBitmap* bitmap, const QRect& src,
                  const QRect& srcClip, const QRect& dst, const QRect& dstClip, uint32_t rop);

// Sets the display-mode bits selected by `mask` to `value`; returns the previous
// mode.
uint32_t P_SetDisplayMode(uint32_t mask, uint32_t value);
uint32_t P_GetDisplayMode();
