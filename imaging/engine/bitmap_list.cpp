// SPDX-License-Identifier: GPL-3.0-or-later
#include "imaging/engine/bitmap_list.h"

#include <mutex>
#include <new>
#include <set>
#include <vector>

#include "imaging/engine/status_codes.h"

struct PixBitmapList {
    std::vector<PixBitmap> items;
};

namespace {

std::mutex& LiveMutex() {
    static std::mutex m;
    return m;
}

std::set<PixBitmapList*>& Live() {
    static auto* s = new std::set<PixBitmapList*>();
    return *s;
}

bool IsLive(HBITMAPLIST list) {
    std::lock_guard lock(LiveMutex());
    return list && Live().count(list) != 0;
}

}  // namespace

int32_t P_CreateBitmapList(HBITMAPLIST* list) {
    if (!list) return pix::kInvalidParameter;
    auto* created = new (std::nothrow) PixBitmapList();
    if (!created) return pix::kNoMemory;
    std::lock_guard lock(LiveMutex());
    Live().insert(created);
    *list = created;
    return pix::kSuccess;
}

int32_t P_DestroyBitmapList(HBITMAPLIST list) {
    {
        std::lock_guard lock(LiveMutex());
        if (!list || Live().erase(list) == 0) return pix::kInvalidParameter;
    }
    for (auto& item : list->items) P_FreeBitmap(&item);
    delete list;
    return pix::kSuccess;
}

int32_t P_InsertBitmapListItem(HBITMAPLIST list, uint32_t index, const PixBitmap* bitmap,
                               uint32_t structSize) {
    if (!IsLive(list)) return pix::kInvalidParameter;
    if (!bitmap) return pix::kInvalidBitmap;
    if (structSize != sizeof(PixBitmap)) return pix::kInvalidStructSize;
    if (list->items.size() >= kMaxBitmapListItems) return pix::kNoMemory;
    const size_t at = index >= list->items.size() ? list->items.size() : index;
    list->items.insert(list->items.begin() + static_cast<std::ptrdiff_t>(at), *bitmap);
    return pix::kSuccess;
}

int32_t P_GetBitmapListItem(HBITMAPLIST list, uint32_t index, PixBitmap* bitmap,
                            uint32_t structSize) {
    if (!IsLive(list)) return pix::kInvalidParameter;
    if (!bitmap) return pix::kInvalidBitmap;
    if (structSize != sizeof(PixBitmap)) return pix::kInvalidStructSize;
    if (index >= list->items.size()) return pix::kInvalidParameter;
    *bitmap = list->items[index];
    return pix::kSuccess;
}

int32_t P_SetBitmapListItem(HBITMAPLIST list, uint32_t index, const PixBitmap* bitmap,
                            uint32_t structSize) {
    if (!IsLive(list)) return pix::kInvalidParameter;
    if (!bitmap) return pix::kInvalidBitmap;
    if (structSize != sizeof(PixBitmap)) return pix::kInvalidStructSize;
    if (index >= list->items.size()) return pix::kInvalidParameter;
    list->items[index] = *bitmap;
    return pix::kSuccess;
}

int32_t P_RemoveBitmapListItem(HBITMAPLIST list, uint32_t index) {
    if (!IsLive(list)) return pix::kInvalidParameter;
    if (index >= list->items.size()) return pix::kInvalidParameter;
    P_FreeBitmap(&list->items[index]);
    list->items.erase(list->items.begin() + index);
    return pix::kSuccess;
}

int32_t P_GetBitmapListCount(HBITMAPLIST list, uint32_t* count) {
    if (!IsLive(list)) return pix::kInvalidParameter;
    if (!count) return pix::kInvalidParameter;
    *count = static_cast<uint32_t>(list->items.size());
    return pix::kSuccess;
}
