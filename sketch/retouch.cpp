// SPDX-License-Identifier: GPL-3.0-or-later
#include "sketch/retouch.h"

#include "imaging/engine/retouch_ops.h"
#include "imaging/engine/status_codes.h"

namespace sketch {

PipelineResult Retouch(PixBitmap* drawing, const RetouchChoice& choice) {
    if (choice.brightness != 0) {
        const int32_t status = P_ChangeBitmapBrightness(drawing, choice.brightness);
        if (status != pix::kSuccess) return Failed("P_ChangeBitmapBrightness", status);
    }
    if (choice.sharpen != 0) {
        const int32_t status = P_SharpenBitmap(drawing, choice.sharpen);
        if (status != pix::kSuccess) return Failed("P_SharpenBitmap", status);
    }
    return {};
}

}  // namespace sketch
