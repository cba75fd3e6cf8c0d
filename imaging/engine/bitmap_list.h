// SPDX-License-Identifier: GPL-3.0-or-later
// Engine bitmap lists: ordered pages of a picture. The list owns the pixel
// memory of its items; descriptors fetched from it share that memory. Lists
// may be created and destroyed on any thread; one list is used by one thread
// at a time.
#pragma once

#include <cstdint>

#include "imaging/engine/pix_bitmap.h"

struct PixBitmapList;
using HBITMAPLIST = PixBitmapList*;

// Largest number of items a list holds.
constexpr uint32_t kMaxBitmapListItems = 65535;

int32_t P_CreateBitmapList(HBITMAPLIST* list);
// Frees every item's pixels and the list; the handle is invalid afterwards.
int32_t P_DestroyBitmapList(HBITMAPLIST list);
// Inserts the descriptor before `index` (index >= count appends); the list takes
// over its pixel memory.
int32_t P_InsertBitmapListItem(HBITMAPLIST list, uint32_t index, const PixBitmap* bitmap,
                               uint32_t structSize);
// Copies the item's descriptor out; it shares the list's pixel memory.
int32_t P_GetBitmapListItem(HBITMAPLIST list, uint32_t index, PixBitmap* bitmap,
                            uint32_t structSize);
// Overwrites the item's descriptor, for a bitmap changed in place or replaced
// by one whose memory the list now owns. The old pixel memory is not freed.
int32_t P_SetBitmapListItem(HBITMAPLIST list, uint32_t index, const PixBitmap* bitmap,
                            uint32_t structSize);
// Removes the item and frees its pixel memory.
int32_t P_RemoveBitmapListItem(HBITMAPLIST list, uint32_t index);
int32_t P_GetBitmapListCount(HBITMAPLIST list, uint32_t* count);
