// SPDX-License-Identifier: GPL-3.0-or-later
#include "imaging/engine/codecs/cineon_decoder.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <vector>

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
constexpr size_t kChannelInfoBytes = 28;
constexpr size_t kInterleaveAt = 680;
constexpr size_t kPackingAt = 681;
constexpr size_t kLinePaddingAt = 684;
constexpr uint32_t kUndefined32 = 0xFFFFFFFF;
constexpr uint8_t kPixelInterleaved = 0;
constexpr uint8_t kLastOrientation = 7;
// Packing 0 is a tight bit stream; 1 to 6 put samples into 8-, 16- and 32-bit
// units, left-justified (odd codes) or right-justified (even codes).
constexpr uint8_t kPackedTight = 0;
constexpr uint8_t kLastPacking = 6;
constexpr uint32_t kCodeCount = 1024;
constexpr uint32_t kMaxCode10 = kCodeCount - 1;

// sRGB encoding of linear light in [0, 1].
double EncodeSrgb(double linear) {
    return linear <= 0.0031308 ? 12.92 * linear : 1.055 * std::pow(linear, 1 / 2.4) - 0.055;
}

std::array<uint8_t, kCodeCount> MakeCurve() {
    std::array<uint8_t, kCodeCount> curve{};
    for (uint32_t code = 0; code < kCodeCount; ++code)
        curve[code] = static_cast<uint8_t>(std::lround(255 * EncodeSrgb(CineonLinearLight(code))));
    return curve;
}

const std::array<uint8_t, kCodeCount>& Curve() {
    static const std::array<uint8_t, kCodeCount> curve = MakeCurve();
    return curve;
}

bool SupportedDepth(int bits) {
    return bits == 8 || bits == 10 || bits == 12 || bits == 16;
}

// How the samples of one line sit in the file. Lines start on a unit (a
// 32-bit word for the tight stream); end-of-line padding follows each line.
struct SampleLayout {
    int unitBytes = 4;
    int perUnit = 1;     // samples in one unit
    bool tight = false;  // a bit stream over 32-bit words, most significant bit first
    bool leftJustified = true;
};

SampleLayout LayoutFor(uint8_t packing, int bits) {
    SampleLayout l;
    if (packing == kPackedTight && bits != 8 && bits != 16) {
        l.tight = true;
        return l;
    }
    l.leftJustified = packing % 2 == 1;
    // Tight 8- and 16-bit samples are plain bytes and 16-bit units.
    const int unitBits = packing == kPackedTight ? bits : 8 << ((packing - 1) / 2);
    if (unitBits == 32 && bits > 10) {
        // 12 and 16 bits in 32-bit words: writers put one sample in each 16-bit
        // half and start lines on any half, so the unit is the half-word.
        l.unitBytes = 2;
        l.perUnit = 1;
    } else if (bits > unitBits) {
        l.unitBytes = 2;  // 10 to 16 bits in 8-bit units take two of them
        l.perUnit = 1;
    } else {
        l.unitBytes = unitBits / 8;
        l.perUnit = unitBits / bits;
    }
    return l;
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
        std::vector<uint8_t> display(size_t{1} << bits_);
        for (uint32_t code = 0; code < display.size(); ++code)
            display[code] = CineonDisplayValue(code, bits_);
        std::vector<uint16_t> samples(size_t(pixelsPerLine_) * channels_);
        const bool transposed = orientation_ >= 4;
        // A transposed line is a column, so rows are final only at the end.
        RowBands bands(sink, transposed ? pixelsPerLine_ : lines_,
                       !transposed && (orientation_ & 1));
        const int32_t bpp = channels_ == 1 ? 1 : 3;
        for (int32_t line = 0; line < lines_; ++line) {
            ReadLine(data_.data() + offset_ + lineStride_ * line, samples);
            for (int32_t i = 0; i < pixelsPerLine_; ++i) {
                int32_t x, y;
                if (transposed) {
                    x = orientation_ & 1 ? lines_ - 1 - line : line;
                    y = orientation_ & 2 ? pixelsPerLine_ - 1 - i : i;
                } else {
                    x = orientation_ & 2 ? pixelsPerLine_ - 1 - i : i;
                    y = bands.BitmapRow(line);
                }
                uint8_t* px = PixRow(bitmap, y) + bpp * x;
                const uint16_t* s = &samples[size_t(i) * channels_];
                if (channels_ == 1) {
                    px[0] = display[s[0]];
                } else {
                    px[2] = display[s[0]];
                    px[1] = display[s[1]];
                    px[0] = display[s[2]];
                }
            }
            if (transposed) continue;
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
    uint32_t Unit(const uint8_t* p, int bytes) const {
        switch (bytes) {
            case 1:
                return p[0];
            case 2:
                return bigEndian_ ? Be16(p) : Le16(p);
            default:
                return bigEndian_ ? Be32(p) : Le32(p);
        }
    }

    // Unpacks the samples of one line; Parse checked that its bytes are there.
    void ReadLine(const uint8_t* src, std::vector<uint16_t>& out) const {
        const uint32_t mask = (uint32_t{1} << bits_) - 1;
        if (layout_.tight) {
            uint64_t acc = 0;  // bits not yet used, at the bottom
            int have = 0;
            for (uint16_t& s : out) {
                if (have < bits_) {
                    acc = (acc << 32) | Unit(src, 4);
                    src += 4;
                    have += 32;
                }
                have -= bits_;
                s = static_cast<uint16_t>((acc >> have) & mask);
            }
            return;
        }
        const int unitBits = layout_.unitBytes * 8;
        const int per = layout_.perUnit;
        uint32_t unit = 0;
        for (size_t i = 0; i < out.size(); ++i) {
            const int k = static_cast<int>(i % per);
            if (k == 0) {
                unit = Unit(src, layout_.unitBytes);
                src += layout_.unitBytes;
            }
            const int shift =
                layout_.leftJustified ? unitBits - (k + 1) * bits_ : (per - 1 - k) * bits_;
            out[i] = static_cast<uint16_t>((unit >> shift) & mask);
        }
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
        channels_ = d[kChannelCountAt];
        if (channels_ != 1 && channels_ != 3) return kSubTypeUnsupported;
        bits_ = d[kChannelInfoAt + 2];
        if (!SupportedDepth(bits_)) return kSubTypeUnsupported;
        const uint32_t ppl = U32(kChannelInfoAt + 4);
        const uint32_t lines = U32(kChannelInfoAt + 8);
        for (int c = 1; c < channels_; ++c) {
            const size_t at = kChannelInfoAt + kChannelInfoBytes * c;
            if (d[at + 2] != bits_) return kSubTypeUnsupported;
            if (U32(at + 4) != ppl || U32(at + 8) != lines) return kFileFormat;
        }
        // With one channel every interleave stores the same bytes.
        if (channels_ > 1 && d[kInterleaveAt] != kPixelInterleaved) return kSubTypeUnsupported;
        const uint8_t packing = d[kPackingAt];
        if (packing > kLastPacking) return kSubTypeUnsupported;
        orientation_ = d[kOrientationAt];
        if (orientation_ > kLastOrientation) return kSubTypeUnsupported;

        const bool transposed = orientation_ >= 4;
        const int32_t outBits = channels_ == 1 ? 8 : 24;
        if (const int32_t s =
                CheckImageGeometry(transposed ? lines : ppl, transposed ? ppl : lines, outBits);
            s != kSuccess)
            return s;
        pixelsPerLine_ = static_cast<int32_t>(ppl);
        lines_ = static_cast<int32_t>(lines);
        layout_ = LayoutFor(packing, bits_);

        const uint64_t samples = uint64_t(ppl) * channels_;
        const uint64_t lineBytes =
            layout_.tight ? (samples * bits_ + 31) / 32 * 4
                          : (samples + layout_.perUnit - 1) / layout_.perUnit * layout_.unitBytes;
        const uint32_t padding = U32(kLinePaddingAt);
        lineStride_ = lineBytes + (padding == kUndefined32 ? 0 : padding);
        offset_ = U32(4);
        if (offset_ < kMinHeaderBytes) return kFileFormat;
        if (offset_ > data_.size() ||
            lineStride_ * (lines - 1) + lineBytes > data_.size() - offset_)
            return kFileRead;

        *info = ImageInfo{};
        info->format = kFormatCineon;
        info->width = transposed ? lines_ : pixelsPerLine_;
        info->height = transposed ? pixelsPerLine_ : lines_;
        info->bitsPerPixel = outBits;
        info->fileBitsPerPixel = channels_ * bits_;
        info->channels = channels_;
        if (channels_ == 1) SetGreyRamp(info);
        return kSuccess;
    }

    std::span<const uint8_t> data_;
    int32_t status_ = kFailure;
    bool bigEndian_ = true;
    int channels_ = 3;
    int bits_ = 10;
    uint8_t orientation_ = 0;
    SampleLayout layout_;
    int32_t pixelsPerLine_ = 0;
    int32_t lines_ = 0;
    uint64_t offset_ = 0;
    uint64_t lineStride_ = 0;
};

}  // namespace

double CineonLinearLight(double code10) {
    // Each code step is kCineonDensityPerCode of density; the film's gamma turns
    // density into exposure. Black's exposure is the offset subtracted so that
    // reference black lands on 0 and reference white on 1.
    const double step = kCineonDensityPerCode / kCineonFilmGamma;
    const double black = std::pow(10.0, (kCineonRefBlack - kCineonRefWhite) * step);
    const double exposure = std::pow(10.0, (code10 - kCineonRefWhite) * step);
    return std::clamp((exposure - black) / (1 - black), 0.0, 1.0);
}

uint8_t CineonDisplayValue(uint32_t code, int bits) {
    const uint32_t max = (uint32_t{1} << bits) - 1;
    const uint32_t code10 = (std::min(code, max) * kMaxCode10 + max / 2) / max;
    return Curve()[code10];
}

std::unique_ptr<ImageDecoder> CreateCineonDecoder(std::span<const uint8_t> data) {
    return std::make_unique<CineonDecoder>(data);
}

}  // namespace pix
