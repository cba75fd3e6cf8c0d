// SPDX-License-Identifier: GPL-3.0-or-later
// Export of an engine bitmap as a packed DIB in a movable global block.
#pragma once

#include <cstdint>

#include "imaging/engine/pix_bitmap.h"
#include "platform/global_memory.h"

// Type 0: a 40-byte BITMAPINFOHEADER, biClrUsed colour entries (256 for 8-bit
// bitmaps, none for 24-bit), then the rows bottom-up, each padded to 4 bytes.
// Returns null for a bitmap without pixels, another type, or short memory.
HGLOBAL P_ConvertToDIB(const PixBitmap* bitmap, int32_t type);
