// SPDX-License-Identifier: GPL-3.0-or-later
#include "imaging/engine/codecs/image_decoder.h"

#include "imaging/engine/status_codes.h"

namespace pix {

int32_t CheckImageGeometry(int64_t width, int64_t height, int32_t bitsPerPixel) {
    if (width <= 0 || height <= 0 || width > kMaxBitmapSide || height > kMaxBitmapSide)
        return kInvalidSize;
    if (uint64_t(DibRowStride(width, bitsPerPixel)) * uint64_t(height) > kMaxBitmapBytes)
        return kNoMemory;
    return kSuccess;
}

uint64_t DecoderWorkBudget(int64_t width, int64_t height) {
    if (width <= 0 || height <= 0) return kDecoderSlackBytes;
    return 2 * 3 * uint64_t(width) * uint64_t(height) + kDecoderSlackBytes;
}

void SetGreyRamp(ImageInfo* info) {
    for (int i = 0; i < 256; ++i) {
        const auto v = static_cast<uint8_t>(i);
        info->palette[i] = RGBQUAD{v, v, v, 0};
    }
    info->colors = 256;
    info->grey = true;
}

}  // namespace pix
