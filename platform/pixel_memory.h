// Allocation of picture-sized memory blocks. Large blocks are aligned to and
// backed by huge pages where the system offers them, so that a fresh picture
// costs a few page faults instead of one per 4 KiB.
#pragma once

#include <cstddef>

// Returns `bytes` of memory (zero-filled when `zero`), or null when memory is
// short. Free it with FreePixelMemory.
void* AllocatePixelMemory(size_t bytes, bool zero);
void FreePixelMemory(void* block);
