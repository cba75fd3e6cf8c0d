// SPDX-License-Identifier: GPL-3.0-or-later
#include "imaging/engine/load_options.h"

#include <cstring>

#include "imaging/engine/status_codes.h"

namespace {
PixLoadOptions& defaults() {
    // Per thread, like the format option records.
    thread_local PixLoadOptions options{sizeof(PixLoadOptions), 0, 0, 0, 0, 0, 0, 0, {0, 0, 0}};
    return options;
}

PixSaveFileOptions& saveDefaults() {
    thread_local PixSaveFileOptions options = [] {
        PixSaveFileOptions o{};
        o.StructSize = sizeof(o);
        o.Flags = kSaveDefaultBit;
        o.PageNumber = kSaveNewFile;
        o.Compression = -1;
        return o;
    }();
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

int32_t P_GetDefaultSaveFileOption(PixSaveFileOptions* options, uint32_t structSize) {
    if (!options) return pix::kInvalidParameter;
    if (structSize != sizeof(PixSaveFileOptions)) return pix::kInvalidStructSize;
    *options = saveDefaults();
    return pix::kSuccess;
}

int32_t P_SetDefaultSaveFileOption(const PixSaveFileOptions* options, uint32_t structSize) {
    if (!options) return pix::kInvalidParameter;
    if (structSize != sizeof(PixSaveFileOptions) ||
        options->StructSize != sizeof(PixSaveFileOptions))
        return pix::kInvalidStructSize;
    saveDefaults() = *options;
    return pix::kSuccess;
}
