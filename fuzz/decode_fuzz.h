// SPDX-License-Identifier: GPL-3.0-or-later
// The body shared by the decoder fuzz targets: read the header, then decode
// the pixels when the picture is small enough to keep each run short.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>

#include "imaging/engine/codecs/decode_image.h"
#include "imaging/engine/codecs/image_decoder.h"

namespace fuzzing {

// Larger pictures are only parsed, not decoded.
constexpr uint64_t kMaxFuzzPixels = uint64_t{1} << 22;

class CountingSink final : public pix::BandSink {
public:
    int32_t RowsDone(int32_t, int32_t rows) override {
        rows_ += rows;
        return 1;
    }

private:
    int64_t rows_ = 0;
};

using Factory = std::unique_ptr<pix::ImageDecoder> (*)(std::span<const uint8_t>);

inline int DecodeOnce(Factory create, const uint8_t* data, size_t size) {
    const std::span<const uint8_t> bytes(data, size);
    auto decoder = create(bytes);
    pix::ImageInfo info;
    if (decoder->ReadInfo(&info) != 1) return 0;
    if (uint64_t(info.width) * uint64_t(info.height) > kMaxFuzzPixels) return 0;
    PixBitmap bitmap{};
    if (pix::AllocateForImage(info, &bitmap) != 1) return 0;
    CountingSink sink;
    decoder->Decode(bitmap, sink);
    P_FreeBitmap(&bitmap);
    return 0;
}

}  // namespace fuzzing
