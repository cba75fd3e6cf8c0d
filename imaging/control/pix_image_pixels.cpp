// SPDX-License-Identifier: GPL-3.0-or-later
// Pixel export and colour operations of TPixImage.
#include "imaging/control/pix_image.h"
#include "imaging/engine/color_ops.h"
#include "imaging/engine/dib_export.h"
#include "imaging/engine/status_codes.h"

HGLOBAL TPixImage::GetDIB(int32_t type) {
    CheckAllocated("GetDIB", 0);
    HGLOBAL block = P_ConvertToDIB(&bitmap_, type);
    CheckStatus("GetDIB", block ? pix::kSuccess : pix::kNoMemory);
    return block;
}

template <typename EngineCall>
int32_t TPixImage::RunColorOperation(const std::string& name, EngineCall call) {
    int32_t status = pix::kInvalidBitmap;
    if (imageAllocated_) {
        BeginProcessing(&bitmap_);
        try {
            status = call(&bitmap_);
        } catch (...) {
            EndProcessing(&bitmap_);
            throw;
        }
        EndProcessing(&bitmap_);
    }
    return CheckStatus(name, status);
}

int32_t TPixImage::Saturation(int32_t change) {
    return RunColorOperation(
        "Saturation", [change](PixBitmap* b) { return P_ChangeBitmapSaturation(b, change); });
}

int32_t TPixImage::Intensity(int32_t change) {
    return RunColorOperation("Intensity",
                             [change](PixBitmap* b) { return P_ChangeBitmapIntensity(b, change); });
}

int32_t TPixImage::Invert() {
    return RunColorOperation("Invert", [](PixBitmap* b) { return P_InvertBitmap(b); });
}

int32_t TPixImage::ColorRes(int32_t bitsPerPixel) {
    const int32_t status = RunColorOperation(
        "ColorRes", [bitsPerPixel](PixBitmap* b) { return P_ColorResBitmap(b, bitsPerPixel); });
    // The depth and row length changed: refresh the cached geometry.
    GeometryUpdate();
    return status;
}
