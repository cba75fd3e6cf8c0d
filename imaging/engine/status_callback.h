// The engine's process-wide progress callback: long operations report a
// percentage, and a callback result of 0 asks them to stop.
#pragma once

#include <cstdint>

using PixStatusCallback = int32_t (*)(int32_t percent, void* userData);

// Installs `callback` (null removes it); the previous one is stored into `old`
// and `oldUserData` when they are given.
int32_t P_SetStatusCallBack(PixStatusCallback callback, PixStatusCallback* old, void* userData,
                            void** oldUserData);

namespace pix {
// Called by engine operations: true to go on, false when the callback asked to stop.
bool ReportProgress(int32_t percent);
}  // namespace pix
