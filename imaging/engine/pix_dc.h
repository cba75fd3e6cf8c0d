// SPDX-License-Identifier: GPL-3.0-or-later
// Device contexts whose drawing lands in an engine bitmap's pixels.
#pragma once

#include <cstdint>

#include "imaging/engine/pix_bitmap.h"
#include "platform/device_context.h"

// Null for a bitmap without pixels or of a depth the context cannot draw into.
HDC P_CreatePixDC(const PixBitmap* bitmap);
// 1 when the context was open and is now closed, 0 otherwise.
int32_t P_DeletePixDC(HDC dc);
