// SPDX-License-Identifier: GPL-3.0-or-later
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

// Display-mode bits: each group a mask and the values it takes. The engine
// keeps the mode for its callers; its own painting always scales smoothly.
// A bit the image control sets for each of its paints.
constexpr uint32_t kDisplayControlPaint = 32;
// Dithering on displays with few colours.
constexpr uint32_t kDisplayDitherMask = 1;
constexpr uint32_t kDisplayDitherOrdered = 1;
constexpr uint32_t kDisplayDitherDiffusion = 0;
// Scaling of two-colour pictures.
constexpr uint32_t kDisplayBitonalNormal = 0;
constexpr uint32_t kDisplayBitonalScaleToGrey = 16;
constexpr uint32_t kDisplayBitonalFavourBlack = 64;
constexpr uint32_t kDisplayBitonalMask = kDisplayBitonalScaleToGrey | kDisplayBitonalFavourBlack;
// Palette choice on 256-colour displays.
constexpr uint32_t kDisplayPaletteAuto = 0;
constexpr uint32_t kDisplayPaletteFixed = 128;
constexpr uint32_t kDisplayPaletteMask = 128 | 256;
// Scaling of colour pictures.
constexpr uint32_t kDisplayScalingNormal = 0;
constexpr uint32_t kDisplayScalingResample = 512;
constexpr uint32_t kDisplayScalingBicubic = 1024;
constexpr uint32_t kDisplayScalingMask = kDisplayScalingResample | kDisplayScalingBicubic;
// Every bit, for putting a saved mode back whole.
constexpr uint32_t kDisplayModeAllBits = 0xFFFFFFFFu;
static_assert(kDisplayBitonalMask == 80 && kDisplayPaletteMask == 384 &&
              kDisplayScalingMask == 1536);

// Sets the display-mode bits selected by `mask` to `value`; returns the previous
// mode.
uint32_t P_SetDisplayMode(uint32_t mask, uint32_t value);
uint32_t P_GetDisplayMode();
