// SPDX-License-Identifier: GPL-3.0-or-later
#include "skin/skin_bitmap.h"

#include "imaging/engine/codecs/bmp_decoder.h"
#include "imaging/engine/codecs/decode_image.h"

namespace skin {
namespace {

// The engine's status for success.
constexpr int32_t kDecoded = 1;

class IgnoreBands final : public pix::BandSink {
public:
    int32_t RowsDone(int32_t, int32_t) override { return kDecoded; }
};

// Frees the engine bitmap however the decoding ends.
struct OwnedBitmap {
    PixBitmap bitmap{};
    ~OwnedBitmap() { P_FreeBitmap(&bitmap); }
};

}  // namespace

SkinBitmap DecodeSkinBitmap(std::span<const uint8_t> bmp, uint64_t& budget) {
    auto decoder = pix::CreateBmpDecoder(bmp);
    pix::ImageInfo info;
    if (decoder->ReadInfo(&info) != kDecoded) return {};
    if (info.width > kMaxSkinBitmapSide || info.height > kMaxSkinBitmapSide) return {};
    const uint64_t pixels = uint64_t(info.width) * uint64_t(info.height);
    if (pixels > budget) return {};
    budget -= pixels;
    OwnedBitmap owned;
    PixBitmap& b = owned.bitmap;
    if (pix::AllocateForImage(info, &b) != kDecoded) return {};
    IgnoreBands sink;
    if (decoder->Decode(b, sink) != kDecoded) return {};

    auto bgr = std::make_shared<std::vector<uint8_t>>(size_t(b.Width) * size_t(b.Height) * 3);
    uint8_t* to = bgr->data();
    for (int32_t y = 0; y < b.Height; ++y) {
        const uint8_t* row = PixRow(b, y);
        for (int32_t x = 0; x < b.Width; ++x) {
            if (b.BitsPerPixel == 8) {
                const RGBQUAD& q = b.Palette[row[x]];
                *to++ = q.rgbBlue;
                *to++ = q.rgbGreen;
                *to++ = q.rgbRed;
            } else {
                *to++ = row[3 * x];
                *to++ = row[3 * x + 1];
                *to++ = row[3 * x + 2];
            }
        }
    }
    SkinBitmap out;
    out.width = b.Width;
    out.height = b.Height;
    out.bgr = std::move(bgr);
    return out;
}

SkinBitmap CropColumns(const SkinBitmap& from, int32_t x, int32_t width) {
    if (from.Empty() || x < 0 || width <= 0 || x > from.width - width) return {};
    auto bgr = std::make_shared<std::vector<uint8_t>>();
    bgr->reserve(size_t(width) * size_t(from.height) * 3);
    for (int32_t y = 0; y < from.height; ++y) {
        const auto row =
            from.bgr->begin() + std::ptrdiff_t((size_t(y) * size_t(from.width) + size_t(x)) * 3);
        bgr->insert(bgr->end(), row, row + std::ptrdiff_t(width) * 3);
    }
    SkinBitmap out;
    out.width = width;
    out.height = from.height;
    out.bgr = std::move(bgr);
    return out;
}

}  // namespace skin
