// SPDX-License-Identifier: GPL-3.0-or-later
// The engine's progress callback: long operations report a percentage, and a
// callback result of 0 asks them to stop. Each thread has a callback of its
// own (none when it starts): an operation reports to the callback that its
// own thread installed, so loads on several threads never hear each other.
#pragma once

#include <cstdint>

using PixStatusCallback = int32_t (*)(int32_t percent, void* userData);

// Installs `callback` (null removes it) for the calling thread; that thread's
// previous one is stored into `old` and `oldUserData` when they are given.
int32_t P_SetStatusCallBack(PixStatusCallback callback, PixStatusCallback* old, void* userData,
                            void** oldUserData);

namespace pix {
// Called by engine operations: true to go on, false when the calling thread's
// callback asked to stop.
bool ReportProgress(int32_t percent);
}  // namespace pix
