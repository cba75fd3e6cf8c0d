// SPDX-License-Identifier: GPL-3.0-or-later
// A device context that draws into a caller's pixel memory, and StretchDIBits,
// the one drawing call the application makes on it.
#pragma once

#include <cstdint>

#include "platform/dib.h"

// Pixel memory a device context draws into: rows top to bottom, 8 bits per
// channel, 24-bit blue-green-red or 8-bit indices into `palette`.
struct DrawSurface {
    uint8_t* bits = nullptr;
    int32_t width = 0;
    int32_t height = 0;
    int32_t bitsPerPixel = 0;  // 8 or 24
    int32_t stride = 0;        // bytes from one row to the next
    const RGBQUAD* palette = nullptr;
    uint32_t paletteSize = 0;
};

struct DeviceContext;
using HDC = DeviceContext*;

constexpr uint32_t DIB_RGB_COLORS = 0;
constexpr uint32_t SRCCOPY = 0x00CC0020;
constexpr int GDI_ERROR = -1;

// Opens a context on the surface; null when the surface does not describe
// usable memory. The surface's memory must outlive the context.
HDC CreateSurfaceDC(const DrawSurface& surface);
// Closes the context; false when it is not open.
bool DeleteSurfaceDC(HDC dc);

// Copies the source rectangle of a DIB (origin at the picture's lower-left
// corner for bottom-up DIBs, upper-left for top-down ones) into the
// destination rectangle, scaling by nearest neighbour and mirroring for
// negative extents. Only the parts that lie inside both bitmaps are touched.
// Takes 24-bit DIBs and 8-bit DIBs with a colour table, BI_RGB, DIB_RGB_COLORS
// and SRCCOPY; returns the number of destination rows written, or GDI_ERROR for
// a context, header, usage or operation it cannot use.
int StretchDIBits(HDC dc, int xDest, int yDest, int destWidth, int destHeight, int xSrc, int ySrc,
                  int srcWidth, int srcHeight, const void* bits, const BITMAPINFO* info,
                  uint32_t usage, uint32_t rop);
