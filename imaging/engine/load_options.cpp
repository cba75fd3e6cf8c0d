#include "imaging/engine/load_options.h"

#include <cstring>

#include "imaging/engine/status_codes.h"

namespace {
PixLoadOptions& defaults() {
    // Per thread, like the format option records.
    thread_local PixLoadOptions options{sizeof(PixLoadOptions), 0, 0, 0, 0, 0, 0, 0, {0, 0, 0}};
    return options;
}
}  // namespace

int32_t P_GetDefaultLoadFileOption(PixLoadOptions* options, uint32_t structSize) {
    if (!options) return pix::kInvalidParameter;
    if (structSize != sizeof(PixLoadOptions)) return pix::kInvalidStructSize;
    *options = defaults();
    return pix::kSuccess;
}

int32_t P_SetDefaultLoadFileOption(const PixLoadOptions* options, uint32_t structSize) {
    if (!options) return pix::kInvalidParameter;
    if (structSize != sizeof(PixLoadOptions) || options->StructSize != sizeof(PixLoadOptions))
        return pix::kInvalidStructSize;
    defaults() = *options;
    return pix::kSuccess;
}
