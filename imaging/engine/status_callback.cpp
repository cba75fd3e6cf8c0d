#include "imaging/engine/status_callback.h"

#include "imaging/engine/status_codes.h"

namespace {
// The engine runs on the user-interface thread only, as its callers do.
PixStatusCallback g_callback = nullptr;
void* g_userData = nullptr;
}  // namespace

int32_t P_SetStatusCallBack(PixStatusCallback callback, PixStatusCallback* old, void* userData,
                            void** oldUserData) {
    if (old) *old = g_callback;
    if (oldUserData) *oldUserData = g_userData;
    g_callback = callback;
    g_userData = userData;
    return pix::kSuccess;
}

namespace pix {
bool ReportProgress(int32_t percent) {
    return g_callback == nullptr || g_callback(percent, g_userData) != 0;
}
}  // namespace pix
