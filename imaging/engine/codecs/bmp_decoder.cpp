// SPDX-License-Identifier: GPL-3.0-or-later
#include "imaging/engine/codecs/bmp_decoder.h"

#include <algorithm>
#include <bit>
#include <cstring>

#include "imaging/engine/codecs/byte_order.h"
#include "imaging/engine/codecs/file_format.h"
#include "imaging/engine/codecs/row_bands.h"
#include "imaging/engine/status_codes.h"

namespace pix {
namespace {

constexpr size_t kFileHeaderBytes = 14;
constexpr uint32_t kCoreHeaderBytes = 12;
constexpr uint32_t kInfoHeaderBytes = 40;
constexpr uint32_t kRgbMaskHeaderBytes = 52;
constexpr uint32_t kRgbaMaskHeaderBytes = 56;
constexpr uint32_t kV4HeaderBytes = 108;
constexpr uint32_t kV5HeaderBytes = 124;
constexpr uint32_t kAlphaBitfields = 6;
constexpr uint32_t kMaxPaletteEntries = 256;
constexpr double kInchesPerMeter = 0.0254;

// One colour channel of a 16- or 32-bit pixel, taken out by its mask and
// scaled to 8 bits.
struct MaskChannel {
    uint32_t mask = 0;
    int shift = 0;
    int bits = 0;
    uint8_t scale[256] = {};

    bool Set(uint32_t m) {
        mask = m;
        if (m == 0) return true;
        shift = std::countr_zero(m);
        const uint32_t v = m >> shift;
        if ((v & (v + 1)) != 0) return false;  // not contiguous
        bits = std::popcount(v);
        if (bits <= 8) {
            const uint32_t max = (1u << bits) - 1;
            for (uint32_t i = 0; i <= max; ++i)
                scale[i] = static_cast<uint8_t>((i * 255 + max / 2) / max);
        }
        return true;
    }
    uint8_t Get(uint32_t px) const {
        if (mask == 0) return 0;
        const uint32_t v = (px & mask) >> shift;
        return bits > 8 ? static_cast<uint8_t>(v >> (bits - 8)) : scale[v];
    }
};

class BmpDecoder final : public ImageDecoder {
public:
    explicit BmpDecoder(std::span<const uint8_t> data) : data_(data) {}

    int32_t ReadInfo(ImageInfo* info) override {
        status_ = Parse(info);
        return status_;
    }

    int32_t Decode(PixBitmap& bitmap, BandSink& sink) override {
        if (status_ != kSuccess) return status_;
        RowBands bands(sink, height_, !topDown_);
        const int32_t s = compression_ == BI_RLE8 || compression_ == BI_RLE4
                              ? DecodeRle(bitmap, bands)
                              : DecodePlain(bitmap, bands);
        if (s != kSuccess) status_ = s;
        return s;
    }

private:
    int32_t Parse(ImageInfo* info) {
        const uint8_t* d = data_.data();
        if (data_.size() < kFileHeaderBytes + 4) return kFileRead;
        if (d[0] != 'B' || d[1] != 'M') return kFileFormat;
        const uint32_t offBits = Le32(d + 10);
        const uint32_t hdr = Le32(d + 14);
        if (hdr != kCoreHeaderBytes && hdr != kInfoHeaderBytes && hdr != kRgbMaskHeaderBytes &&
            hdr != kRgbaMaskHeaderBytes && hdr != kV4HeaderBytes && hdr != kV5HeaderBytes)
            return kSubTypeUnsupported;
        if (data_.size() < kFileHeaderBytes + hdr) return kFileRead;
        const uint8_t* h = d + kFileHeaderBytes;
        int64_t width, height;
        uint32_t colorsUsed = 0;
        int32_t xppm = 0, yppm = 0;
        if (hdr == kCoreHeaderBytes) {
            width = Le16(h + 4);
            height = Le16(h + 6);
            bpp_ = Le16(h + 10);
            compression_ = BI_RGB;
        } else {
            width = static_cast<int32_t>(Le32(h + 4));
            height = static_cast<int32_t>(Le32(h + 8));
            bpp_ = Le16(h + 14);
            compression_ = Le32(h + 16);
            xppm = static_cast<int32_t>(Le32(h + 24));
            yppm = static_cast<int32_t>(Le32(h + 28));
            colorsUsed = Le32(h + 32);
        }
        topDown_ = height < 0;
        if (topDown_) height = -height;

        switch (bpp_) {
            case 1:
            case 4:
            case 8:
            case 16:
            case 24:
            case 32:
                break;
            default:
                return kInvalidBitsPerPixel;
        }
        size_t paletteStart = kFileHeaderBytes + hdr;
        switch (compression_) {
            case BI_RGB:
                break;
            case BI_RLE8:
                if (bpp_ != 8 || topDown_) return kFileFormat;
                break;
            case BI_RLE4:
                if (bpp_ != 4 || topDown_) return kFileFormat;
                break;
            case BI_BITFIELDS:
            case kAlphaBitfields: {
                if (bpp_ != 16 && bpp_ != 32) return kFileFormat;
                const uint8_t* m = h + 40;
                if (hdr == kInfoHeaderBytes) {
                    // The masks follow a 40-byte header.
                    const size_t maskBytes = compression_ == BI_BITFIELDS ? 12 : 16;
                    if (data_.size() < paletteStart + maskBytes) return kFileRead;
                    m = d + paletteStart;
                    paletteStart += maskBytes;
                }
                if (!red_.Set(Le32(m)) || !green_.Set(Le32(m + 4)) || !blue_.Set(Le32(m + 8)))
                    return kFileFormat;
                break;
            }
            default:
                return kUnknownCompression;
        }
        if (compression_ == BI_RGB && bpp_ == 16) {
            red_.Set(0x7C00);
            green_.Set(0x03E0);
            blue_.Set(0x001F);
        }
        if (compression_ == BI_RGB && bpp_ == 32) {
            red_.Set(0xFF0000);
            green_.Set(0xFF00);
            blue_.Set(0xFF);
        }

        const int32_t outBits = bpp_ <= 8 ? 8 : 24;
        if (const int32_t s = CheckImageGeometry(width, height, outBits); s != kSuccess) return s;
        width_ = static_cast<int32_t>(width);
        height_ = static_cast<int32_t>(height);

        pixelOffset_ = offBits;
        if (pixelOffset_ == 0) pixelOffset_ = paletteStart;  // some writers leave it out
        if (pixelOffset_ < paletteStart) return kFileFormat;
        if (pixelOffset_ > data_.size()) return kFileRead;

        *info = ImageInfo{};
        info->format = kFormatBmp;
        info->width = width_;
        info->height = height_;
        info->bitsPerPixel = outBits;
        info->fileBitsPerPixel = bpp_;
        info->channels = bpp_ <= 8 ? 1 : 3;
        info->compression = static_cast<int32_t>(compression_);
        info->xResolution = static_cast<int32_t>(xppm * kInchesPerMeter + 0.5);
        info->yResolution = static_cast<int32_t>(yppm * kInchesPerMeter + 0.5);
        if (bpp_ <= 8) {
            const uint32_t full = 1u << bpp_;
            uint32_t count = colorsUsed ? colorsUsed : full;
            if (count > kMaxPaletteEntries) return kFileFormat;
            const size_t entry = hdr == kCoreHeaderBytes ? 3 : 4;
            // Entries that do not fit before the pixels are missing; they stay black.
            const size_t room = (pixelOffset_ - paletteStart) / entry;
            if (count > room) count = static_cast<uint32_t>(room);
            bool grey = true;
            for (uint32_t i = 0; i < count; ++i) {
                const uint8_t* p = d + paletteStart + i * entry;
                info->palette[i] = RGBQUAD{p[0], p[1], p[2], 0};
                grey = grey && p[0] == p[1] && p[1] == p[2];
            }
            info->colors = static_cast<int32_t>(count);
            info->grey = grey && count == full && count == 256;
        }
        return kSuccess;
    }

    int32_t DecodePlain(PixBitmap& bitmap, RowBands& bands) {
        const uint64_t stride = DibRowStride(width_, bpp_);
        const uint64_t rowBytes = (uint64_t{static_cast<uint32_t>(width_)} * bpp_ + 7) / 8;
        const uint64_t need = stride * (height_ - 1) + rowBytes;
        if (need > data_.size() - pixelOffset_) return kFileRead;
        for (int32_t y = 0; y < height_; ++y) {
            const uint8_t* src = data_.data() + pixelOffset_ + stride * y;
            ConvertRow(src, PixRow(bitmap, bands.BitmapRow(y)));
            if (const int32_t s = bands.Advance(1); s != kSuccess) return s;
        }
        return bands.Finish();
    }

    void ConvertRow(const uint8_t* src, uint8_t* dst) const {
        const int32_t w = width_;
        switch (bpp_) {
            case 1:
                for (int32_t x = 0; x < w; ++x) dst[x] = (src[x >> 3] >> (7 - (x & 7))) & 1;
                break;
            case 4:
                for (int32_t x = 0; x < w; ++x) dst[x] = (src[x >> 1] >> ((x & 1) ? 0 : 4)) & 0x0F;
                break;
            case 8:
                std::memcpy(dst, src, w);
                break;
            case 24:
                std::memcpy(dst, src, size_t(w) * 3);
                break;
            case 16:
                for (int32_t x = 0; x < w; ++x, dst += 3) {
                    const uint32_t px = Le16(src + 2 * x);
                    dst[0] = blue_.Get(px);
                    dst[1] = green_.Get(px);
                    dst[2] = red_.Get(px);
                }
                break;
            case 32:
                if (blue_.mask == 0xFF && green_.mask == 0xFF00 && red_.mask == 0xFF0000) {
                    for (int32_t x = 0; x < w; ++x, dst += 3, src += 4) {
                        dst[0] = src[0];
                        dst[1] = src[1];
                        dst[2] = src[2];
                    }
                    break;
                }
                for (int32_t x = 0; x < w; ++x, dst += 3) {
                    const uint32_t px = Le32(src + 4 * x);
                    dst[0] = blue_.Get(px);
                    dst[1] = green_.Get(px);
                    dst[2] = red_.Get(px);
                }
                break;
        }
    }

    // Run-length decoding: runs, absolute runs, end of line, deltas and an end
    // of bitmap that may come before the last row. Pixels never written keep
    // index 0. Input that ends before the end of bitmap is truncated.
    int32_t DecodeRle(PixBitmap& bitmap, RowBands& bands) {
        const bool four = compression_ == BI_RLE4;
        const uint8_t* d = data_.data();
        const size_t end = data_.size();
        size_t pos = pixelOffset_;
        int64_t x = 0;
        int32_t y = 0;
        auto put = [&](int64_t px, uint8_t v) {
            if (px < width_) PixRow(bitmap, bands.BitmapRow(y))[px] = v;
        };
        while (y < height_) {
            if (end - pos < 2) return kFileRead;
            const uint8_t count = d[pos];
            const uint8_t value = d[pos + 1];
            pos += 2;
            if (count > 0) {
                for (int i = 0; i < count; ++i, ++x)
                    put(x, four ? ((i & 1) ? value & 0x0F : value >> 4) : value);
                continue;
            }
            if (value == 0) {  // end of line
                x = 0;
                ++y;
                if (const int32_t s = bands.Advance(1); s != kSuccess) return s;
            } else if (value == 1) {  // end of bitmap
                break;
            } else if (value == 2) {  // delta
                if (end - pos < 2) return kFileRead;
                x += d[pos];
                const int32_t dy = d[pos + 1];
                pos += 2;
                if (dy > 0) {
                    y += dy;
                    if (const int32_t s = bands.Advance(dy); s != kSuccess) return s;
                }
            } else {  // absolute run of `value` pixels, padded to 16 bits
                const size_t bytes = four ? (value + 1u) / 2 : value;
                const size_t padded = (bytes + 1) & ~size_t{1};
                if (end - pos < bytes) return kFileRead;
                for (int i = 0; i < value; ++i, ++x) {
                    const uint8_t b = d[pos + (four ? i / 2 : i)];
                    put(x, four ? ((i & 1) ? b & 0x0F : b >> 4) : b);
                }
                pos += std::min(padded, end - pos);
            }
        }
        return bands.Finish();
    }

    std::span<const uint8_t> data_;
    int32_t status_ = kFailure;
    int32_t width_ = 0;
    int32_t height_ = 0;
    bool topDown_ = false;
    int32_t bpp_ = 0;
    uint32_t compression_ = 0;
    size_t pixelOffset_ = 0;
    MaskChannel red_, green_, blue_;
};

}  // namespace

std::unique_ptr<ImageDecoder> CreateBmpDecoder(std::span<const uint8_t> data) {
    return std::make_unique<BmpDecoder>(data);
}

}  // namespace pix
