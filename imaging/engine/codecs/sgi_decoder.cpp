// SPDX-License-Identifier: GPL-3.0-or-later
#include "imaging/engine/codecs/sgi_decoder.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "imaging/engine/codecs/byte_order.h"
#include "imaging/engine/codecs/file_format.h"
#include "imaging/engine/codecs/row_bands.h"
#include "imaging/engine/status_codes.h"

namespace pix {
namespace {

constexpr size_t kHeaderBytes = 512;
constexpr uint16_t kMagic = 474;
constexpr int kMaxChannels = 4;
constexpr uint8_t kVerbatim = 0;
constexpr uint8_t kRle = 1;
constexpr uint32_t kNormalColormap = 0;

// 16-bit sample to 8 bits, rounded.
inline uint8_t Reduce16(uint32_t v) {
    return static_cast<uint8_t>((v * 255 + 32767) / 65535);
}

class SgiDecoder final : public ImageDecoder {
public:
    explicit SgiDecoder(std::span<const uint8_t> data) : data_(data) {}

    int32_t ReadInfo(ImageInfo* info) override {
        status_ = Parse(info);
        return status_;
    }

    int32_t Decode(PixBitmap& bitmap, BandSink& sink) override {
        if (status_ != kSuccess) return status_;
        const int32_t s = storage_ == kRle ? DecodeRle(bitmap, sink) : DecodeVerbatim(bitmap, sink);
        if (s != kSuccess) status_ = s;
        return s;
    }

private:
    int32_t Parse(ImageInfo* info) {
        const uint8_t* d = data_.data();
        if (data_.size() < 2 || Be16(d) != kMagic) return kFileFormat;
        if (data_.size() < kHeaderBytes) return kFileRead;
        storage_ = d[2];
        bpc_ = d[3];
        const uint16_t dimension = Be16(d + 4);
        width_ = Be16(d + 6);
        height_ = Be16(d + 8);
        channels_ = Be16(d + 10);
        if (storage_ != kVerbatim && storage_ != kRle) return kUnknownCompression;
        if (bpc_ != 1 && bpc_ != 2) return kInvalidBitsPerPixel;
        if (Be32(d + 104) != kNormalColormap) return kSubTypeUnsupported;
        switch (dimension) {
            case 1:
                height_ = 1;
                channels_ = 1;
                break;
            case 2:
                channels_ = 1;
                break;
            case 3:
                break;
            default:
                return kFileFormat;
        }
        if (channels_ < 1 || channels_ > kMaxChannels) return kSubTypeUnsupported;
        const int32_t outBits = channels_ <= 2 ? 8 : 24;
        if (const int32_t s = CheckImageGeometry(width_, height_, outBits); s != kSuccess) return s;

        const uint64_t rows = uint64_t(height_) * channels_;
        if (storage_ == kVerbatim) {
            if (rows * width_ * bpc_ > data_.size() - kHeaderBytes) return kFileRead;
        } else if (rows * 8 > data_.size() - kHeaderBytes) {
            return kFileRead;
        }
        *info = ImageInfo{};
        info->format = kFormatSgi;
        info->width = width_;
        info->height = height_;
        info->bitsPerPixel = outBits;
        info->fileBitsPerPixel = channels_ * bpc_ * 8;
        info->channels = channels_;
        info->compression = storage_;
        if (outBits == 8) SetGreyRamp(info);
        return kSuccess;
    }

    // Channels that reach the bitmap: grey, or red, green and blue.
    int used() const { return channels_ <= 2 ? 1 : 3; }

    int32_t DecodeVerbatim(PixBitmap& bitmap, BandSink& sink) {
        RowBands bands(sink, height_, true);
        const size_t rowBytes = size_t(width_) * bpc_;
        const uint8_t* base = data_.data() + kHeaderBytes;
        for (int32_t y = 0; y < height_; ++y) {
            uint8_t* dst = PixRow(bitmap, bands.BitmapRow(y));
            const uint8_t* plane[3];
            for (int c = 0; c < used(); ++c) plane[c] = base + (size_t(c) * height_ + y) * rowBytes;
            if (used() == 1) {
                if (bpc_ == 1) {
                    std::memcpy(dst, plane[0], width_);
                } else {
                    for (int32_t x = 0; x < width_; ++x) dst[x] = Reduce16(Be16(plane[0] + 2 * x));
                }
            } else if (bpc_ == 1) {
                const uint8_t *r = plane[0], *g = plane[1], *b = plane[2];
                for (int32_t x = 0; x < width_; ++x, dst += 3) {
                    dst[0] = b[x];
                    dst[1] = g[x];
                    dst[2] = r[x];
                }
            } else {
                for (int32_t x = 0; x < width_; ++x, dst += 3) {
                    dst[0] = Reduce16(Be16(plane[2] + 2 * x));
                    dst[1] = Reduce16(Be16(plane[1] + 2 * x));
                    dst[2] = Reduce16(Be16(plane[0] + 2 * x));
                }
            }
            if (const int32_t s = bands.Advance(1); s != kSuccess) return s;
        }
        return bands.Finish();
    }

    // Expands one run-length row of one channel into `out` (8-bit samples).
    // A row ends at its end code or when its data runs out after the last
    // column; a row that stops short keeps zeros. A run that would go past the
    // row's width is a corrupt file, so expansion never passes the width and
    // the column counter never exceeds it.
    int32_t ExpandRow(uint32_t start, uint32_t length, uint8_t* out) const {
        if (start > data_.size() || length > data_.size() - start) return kFileRead;
        const uint8_t* p = data_.data() + start;
        const uint8_t* end = p + length;
        const size_t width = size_t(width_);
        std::memset(out, 0, width);
        size_t x = 0;
        const size_t unit = bpc_;
        while (true) {
            if (size_t(end - p) < unit) return x == width ? kSuccess : kFileRead;
            const uint8_t code = unit == 1 ? p[0] : p[1];
            p += unit;
            const size_t count = code & 0x7F;
            if (count == 0) return kSuccess;
            if (count > width - x) return kFileFormat;
            if (code & 0x80) {
                if (size_t(end - p) / unit < count) return kFileRead;
                for (size_t i = 0; i < count; ++i, p += unit)
                    out[x + i] = unit == 1 ? p[0] : Reduce16(Be16(p));
            } else {
                if (size_t(end - p) < unit) return kFileRead;
                const uint8_t v = unit == 1 ? p[0] : Reduce16(Be16(p));
                p += unit;
                std::memset(out + x, v, count);
            }
            x += count;
        }
    }

    int32_t DecodeRle(PixBitmap& bitmap, BandSink& sink) {
        RowBands bands(sink, height_, true);
        const uint8_t* starts = data_.data() + kHeaderBytes;
        const uint8_t* lengths = starts + size_t(height_) * channels_ * 4;
        std::vector<uint8_t> row(size_t(width_) * 3);
        for (int32_t y = 0; y < height_; ++y) {
            for (int c = 0; c < used(); ++c) {
                const size_t i = size_t(c) * height_ + y;
                const int32_t s = ExpandRow(Be32(starts + 4 * i), Be32(lengths + 4 * i),
                                            row.data() + size_t(c) * width_);
                if (s != kSuccess) return s;
            }
            uint8_t* dst = PixRow(bitmap, bands.BitmapRow(y));
            if (used() == 1) {
                std::memcpy(dst, row.data(), width_);
            } else {
                const uint8_t *r = row.data(), *g = r + width_, *b = g + width_;
                for (int32_t x = 0; x < width_; ++x, dst += 3) {
                    dst[0] = b[x];
                    dst[1] = g[x];
                    dst[2] = r[x];
                }
            }
            if (const int32_t s = bands.Advance(1); s != kSuccess) return s;
        }
        return bands.Finish();
    }

    std::span<const uint8_t> data_;
    int32_t status_ = kFailure;
    uint8_t storage_ = 0;
    uint8_t bpc_ = 0;
    int32_t width_ = 0;
    int32_t height_ = 0;
    int32_t channels_ = 0;
};

}  // namespace

std::unique_ptr<ImageDecoder> CreateSgiDecoder(std::span<const uint8_t> data) {
    return std::make_unique<SgiDecoder>(data);
}

}  // namespace pix
