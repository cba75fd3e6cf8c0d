// SPDX-License-Identifier: GPL-3.0-or-later
// Allocation of picture-sized memory blocks. Large blocks are mapped on their
// own, aligned to and backed by huge pages where the system offers them, so
// that a fresh picture costs a few page faults instead of one per 4 KiB, and
// freed ones may be kept for the next picture.
#pragma once

#include <cstddef>

// Returns `bytes` of memory (zero-filled when `zero`), or null when memory is
// short. Free it with FreePixelMemory.
void* AllocatePixelMemory(size_t bytes, bool zero);
void FreePixelMemory(void* block);

// Keeps up to `maxBytes` of freed large blocks mapped for reuse (none by
// default); a request that none of them fits returns them all to the system
// first, so that the memory mapped never exceeds the most in use at once.
void KeepFreedPixelMemory(size_t maxBytes);
// Returns the kept blocks to the system, keeping the limit for later frees.
void ReleaseFreedPixelMemory();
