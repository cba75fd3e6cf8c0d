// SPDX-License-Identifier: GPL-3.0-or-later
// Movable global memory blocks: handles that must be locked to reach their
// bytes, with a lock count, and that refuse use after free instead of crashing.
#pragma once

#include <cstddef>
#include <cstdint>

struct GlobalBlock;
using HGLOBAL = GlobalBlock*;

constexpr uint32_t GMEM_FIXED = 0x0000;
constexpr uint32_t GMEM_MOVEABLE = 0x0002;
constexpr uint32_t GMEM_ZEROINIT = 0x0040;
constexpr uint32_t GHND = GMEM_MOVEABLE | GMEM_ZEROINIT;

// Largest block handed out; larger requests fail with a null handle.
constexpr size_t kGlobalAllocLimit = size_t{2} << 30;

// Returns a new handle, or null when size is 0 or over the limit or memory is short.
HGLOBAL GlobalAlloc(uint32_t flags, size_t bytes);
// Returns the block's bytes and counts the lock; null for a freed or unknown handle.
void* GlobalLock(HGLOBAL handle);
// Drops one lock; returns true while locks remain, false when none remain or the
// handle is unknown.
bool GlobalUnlock(HGLOBAL handle);
// Frees the block; returns null on success and the handle itself when it is
// unknown or already freed.
HGLOBAL GlobalFree(HGLOBAL handle);
// Size of the block in bytes; 0 for a freed or unknown handle.
size_t GlobalSize(HGLOBAL handle);
// Current lock count; 0 for a freed or unknown handle.
uint32_t GlobalLockCount(HGLOBAL handle);
