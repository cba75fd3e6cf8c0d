// SPDX-License-Identifier: GPL-3.0-or-later
#include "imaging/engine/codecs/decode_image.h"

#include <algorithm>

#include "imaging/engine/codecs/decoder_factory.h"
#include "imaging/engine/status_codes.h"

namespace pix {
namespace {
class IgnoreBands final : public BandSink {
public:
    int32_t RowsDone(int32_t, int32_t) override { return kSuccess; }
};
}  // namespace

int32_t AllocateForImage(const ImageInfo& info, PixBitmap* bitmap) {
    int32_t s = P_InitBitmap(bitmap, sizeof(PixBitmap), info.width, info.height, info.bitsPerPixel);
    if (s == kSuccess) s = P_AllocateBitmap(bitmap, sizeof(PixBitmap));
    if (s != kSuccess) return s;
    bitmap->XResolution = info.xResolution > 0 ? info.xResolution : bitmap->XResolution;
    bitmap->YResolution = info.yResolution > 0 ? info.yResolution : bitmap->YResolution;
    if (bitmap->BitsPerPixel == 8) {
        std::copy(info.palette.begin(), info.palette.end(), bitmap->Palette);
        bitmap->Colors = std::max(info.colors, 1);
    }
    return kSuccess;
}

int32_t DecodeImage(std::span<const uint8_t> data, PixBitmap* out, ImageInfo* info) {
    P_InitBitmap(out, sizeof(PixBitmap), 0, 0, 0);
    auto decoder = CreateDecoder(DetectImageFormat(data), data);
    if (!decoder) return kFileFormat;
    ImageInfo local;
    ImageInfo& i = info ? *info : local;
    int32_t s = decoder->ReadInfo(&i);
    if (s == kSuccess) s = AllocateForImage(i, out);
    if (s != kSuccess) return s;
    IgnoreBands sink;
    s = decoder->Decode(*out, sink);
    if (s != kSuccess) {
        P_FreeBitmap(out);
        P_InitBitmap(out, sizeof(PixBitmap), 0, 0, 0);
    }
    return s;
}

}  // namespace pix
