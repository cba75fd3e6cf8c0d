#include "imaging/engine/codecs/cineon_decoder.h"

#include <algorithm>
#include <array>
#include <cmath>

#include "imaging/engine/codecs/byte_order.h"
#include "imaging/engine/codecs/file_format.h"
#include "imaging/engine/codecs/row_bands.h"
#include "imaging/engine/status_codes.h"

namespace pix {
namespace {

constexpr uint32_t kMagic = 0x802A5FD7;
constexpr size_t kMinHeaderBytes = 712;
constexpr size_t kOrientationAt = 192;
constexpr size_t kChannelCountAt = 193;
constexpr size_t kChannelInfoAt = 196;
constexpr size_t kInterleaveAt = 680;
constexpr size_t kPackingAt = 681;
constexpr size_t kLinePaddingAt = 684;
constexpr int kChannels = 3;
constexpr int kBitsPerSample = 10;
constexpr uint8_t kPixelInterleaved = 0;
// Three samples left-justified in a 32-bit word, two padding bits at the bottom.
constexpr uint8_t kPackedLeft32 = 5;
constexpr uint32_t kCodeCount = 1024;

std::array<uint8_t, kCodeCount> MakeCurve() {
    std::array<uint8_t, kCodeCount> curve{};
    const double step = kCineonDensityPerCode / kCineonFilmGamma * (kCineonDisplayGamma / 1.7);
    const double black = std::pow(10.0, (kCineonRefBlack - kCineonRefWhite) * step);
    const double gain = 255.0 / (1.0 - black);
    for (uint32_t code = 0; code < kCodeCount; ++code) {
        double v;
        if (code <= uint32_t(kCineonRefBlack))
            v = 0;
        else if (code >= uint32_t(kCineonRefWhite))
            v = 255;
        else
            v = (std::pow(10.0, (double(code) - kCineonRefWhite) * step) - black) * gain;
        curve[code] = static_cast<uint8_t>(std::lround(std::clamp(v, 0.0, 255.0)));
    }
    return curve;
}

const std::array<uint8_t, kCodeCount>& Curve() {
    static const std::array<uint8_t, kCodeCount> curve = MakeCurve();
    return curve;
}

class CineonDecoder final : public ImageDecoder {
public:
    explicit CineonDecoder(std::span<const uint8_t> data) : data_(data) {}

    int32_t ReadInfo(ImageInfo* info) override {
        status_ = Parse(info);
        return status_;
    }

    int32_t Decode(PixBitmap& bitmap, BandSink& sink) override {
        if (status_ != kSuccess) return status_;
        const auto& curve = Curve();
        RowBands bands(sink, height_, bottomUp_);
        const uint8_t* base = data_.data() + offset_;
        for (int32_t y = 0; y < height_; ++y) {
            const uint8_t* src = base + lineBytes_ * y;
            uint8_t* dst = PixRow(bitmap, bands.BitmapRow(y));
            for (int32_t x = 0; x < width_; ++x, src += 4) {
                const uint32_t w = bigEndian_ ? Be32(src) : Le32(src);
                uint8_t* px = dst + 3 * (mirrored_ ? width_ - 1 - x : x);
                px[2] = curve[(w >> 22) & 0x3FF];
                px[1] = curve[(w >> 12) & 0x3FF];
                px[0] = curve[(w >> 2) & 0x3FF];
            }
            if (const int32_t s = bands.Advance(1); s != kSuccess) return status_ = s;
        }
        const int32_t s = bands.Finish();
        if (s != kSuccess) status_ = s;
        return s;
    }

private:
    uint32_t U32(size_t at) const {
        return bigEndian_ ? Be32(data_.data() + at) : Le32(data_.data() + at);
    }

    int32_t Parse(ImageInfo* info) {
        const uint8_t* d = data_.data();
        if (data_.size() < 4) return kFileFormat;
        if (Be32(d) == kMagic)
            bigEndian_ = true;
        else if (Le32(d) == kMagic)
            bigEndian_ = false;
        else
            return kFileFormat;
        if (data_.size() < kMinHeaderBytes) return kFileRead;
        if (d[kChannelCountAt] != kChannels) return kSubTypeUnsupported;
        for (int c = 0; c < kChannels; ++c)
            if (d[kChannelInfoAt + 28 * c + 2] != kBitsPerSample) return kSubTypeUnsupported;
        if (d[kInterleaveAt] != kPixelInterleaved || d[kPackingAt] != kPackedLeft32)
            return kSubTypeUnsupported;
        // Orientations 0 to 3: rows top-down or bottom-up, columns left or right first.
        const uint8_t orientation = d[kOrientationAt];
        if (orientation > 3) return kSubTypeUnsupported;
        mirrored_ = orientation & 2;
        bottomUp_ = orientation & 1;
        const uint32_t w = U32(kChannelInfoAt + 4);
        const uint32_t h = U32(kChannelInfoAt + 8);
        for (int c = 1; c < kChannels; ++c)
            if (U32(kChannelInfoAt + 28 * c + 4) != w || U32(kChannelInfoAt + 28 * c + 8) != h)
                return kFileFormat;
        if (const int32_t s = CheckImageGeometry(w, h, 24); s != kSuccess) return s;
        width_ = static_cast<int32_t>(w);
        height_ = static_cast<int32_t>(h);
        offset_ = U32(4);
        const uint32_t padding = U32(kLinePaddingAt);
        lineBytes_ = uint64_t(width_) * 4 + (padding == 0xFFFFFFFF ? 0 : padding);
        if (offset_ < kMinHeaderBytes) return kFileFormat;
        if (offset_ > data_.size() ||
            lineBytes_ * (height_ - 1) + uint64_t(width_) * 4 > data_.size() - offset_)
            return kFileRead;
        *info = ImageInfo{};
        info->format = kFormatCineon;
        info->width = width_;
        info->height = height_;
        info->bitsPerPixel = 24;
        info->fileBitsPerPixel = kChannels * kBitsPerSample;
        info->channels = kChannels;
        return kSuccess;
    }

    std::span<const uint8_t> data_;
    int32_t status_ = kFailure;
    bool bigEndian_ = true;
    bool mirrored_ = false;
    bool bottomUp_ = false;
    int32_t width_ = 0;
    int32_t height_ = 0;
    uint64_t offset_ = 0;
    uint64_t lineBytes_ = 0;
};

}  // namespace

uint8_t CineonLogToLinear(uint32_t code) {
    return Curve()[code & 0x3FF];
}

std::unique_ptr<ImageDecoder> CreateCineonDecoder(std::span<const uint8_t> data) {
    return std::make_unique<CineonDecoder>(data);
}

}  // namespace pix
