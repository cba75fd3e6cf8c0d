// SPDX-License-Identifier: GPL-3.0-or-later
#include "imaging/engine/status_callback.h"

#include "imaging/engine/status_codes.h"

namespace {
// Per thread: the window's controls install theirs on the user-interface
// thread, and the command-line tool's workers load side by side.
thread_local PixStatusCallback t_callback = nullptr;
thread_local void* t_userData = nullptr;
}  // namespace

int32_t P_SetStatusCallBack(PixStatusCallback callback, PixStatusCallback* old, void* userData,
                            void** oldUserData) {
    if (old) *old = t_callback;
    if (oldUserData) *oldUserData = t_userData;
    t_callback = callback;
    t_userData = userData;
    return pix::kSuccess;
}

namespace pix {
bool ReportProgress(int32_t percent) {
    return t_callback == nullptr || t_callback(percent, t_userData) != 0;
}
}  // namespace pix
