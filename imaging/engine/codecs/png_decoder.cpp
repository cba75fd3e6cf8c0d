// SPDX-License-Identifier: GPL-3.0-or-later
#include "imaging/engine/codecs/png_decoder.h"

#include <png.h>

#include <algorithm>
#include <cstring>
#include <vector>

#include "imaging/engine/codecs/file_format.h"
#include "imaging/engine/codecs/row_bands.h"
#include "imaging/engine/status_codes.h"

namespace pix {
namespace {

// Largest ancillary chunk kept in memory, and how many of them.
constexpr png_alloc_size_t kMaxChunkBytes = 8u << 20;
constexpr png_uint_32 kMaxCachedChunks = 1000;
constexpr double kMetersPerInch = 0.0254;
// The library's own side limit stays above ours, so that our check decides.
constexpr png_uint_32 kLibrarySideLimit = PNG_UINT_31_MAX;
constexpr unsigned kOpaque = 255;

// A sample of coverage `alpha` over white, rounded to the nearest level:
// half-transparent black (alpha 128) gives 127, fully transparent gives 255.
uint8_t OverWhite(unsigned value, unsigned alpha) {
    return static_cast<uint8_t>((value * alpha + 255 * (kOpaque - alpha) + 127) / 255);
}

class PngDecoder final : public ImageDecoder {
public:
    explicit PngDecoder(std::span<const uint8_t> data) : data_(data) {
        png_ = png_create_read_struct(PNG_LIBPNG_VER_STRING, this, OnError, OnWarning);
        if (png_) info_ = png_create_info_struct(png_);
    }
    ~PngDecoder() override { png_destroy_read_struct(&png_, &info_, nullptr); }

    int32_t ReadInfo(ImageInfo* info) override {
        if (!png_ || !info_) return status_ = kNoMemory;
        if (setjmp(png_jmpbuf(png_))) return status_ = ErrorStatus();
        status_ = Parse(info);
        return status_;
    }

    int32_t Decode(PixBitmap& bitmap, BandSink& sink) override {
        if (status_ != kSuccess) return status_;
        if (setjmp(png_jmpbuf(png_))) return status_ = ErrorStatus();
        const int32_t s = DecodeRows(bitmap, sink);
        status_ = s == kSuccess ? kFailure : s;  // the stream is spent
        return s;
    }

private:
    static void OnError(png_structp png, png_const_charp) { png_longjmp(png, 1); }
    static void OnWarning(png_structp, png_const_charp) {}
    static void OnRead(png_structp png, png_bytep out, size_t length) {
        auto* self = static_cast<PngDecoder*>(png_get_io_ptr(png));
        if (self->data_.size() - self->pos_ < length) {
            self->truncated_ = true;
            png_error(png, "truncated");
        }
        std::memcpy(out, self->data_.data() + self->pos_, length);
        self->pos_ += length;
    }

    int32_t ErrorStatus() const { return truncated_ ? kFileRead : kFileFormat; }

    int32_t Parse(ImageInfo* info) {
        png_set_read_fn(png_, this, OnRead);
        png_set_user_limits(png_, kLibrarySideLimit, kLibrarySideLimit);
        png_set_chunk_cache_max(png_, kMaxCachedChunks);
        png_set_chunk_malloc_max(png_, kMaxChunkBytes);
        png_read_info(png_, info_);
        png_uint_32 w, h;
        int depth, type, interlace;
        png_get_IHDR(png_, info_, &w, &h, &depth, &type, &interlace, nullptr, nullptr);
        const bool palette = type == PNG_COLOR_TYPE_PALETTE;
        const bool grey = (type & PNG_COLOR_MASK_COLOR) == 0;
        const int32_t bits = palette || grey ? 8 : 24;
        if (const int32_t s = CheckImageGeometry(w, h, bits); s != kSuccess) return s;

        if (depth == 16) png_set_scale_16(png_);
        if (depth < 8) {
            if (palette)
                png_set_packing(png_);
            else
                png_set_expand_gray_1_2_4_to_8(png_);
        }
        // Transparent parts are drawn over white: a palette's entries are
        // blended once; other files keep their alpha (a colour key becomes
        // one) and each pixel is blended as it is read.
        const bool keyed = !palette && png_get_valid(png_, info_, PNG_INFO_tRNS);
        if (keyed) png_set_tRNS_to_alpha(png_);
        alpha_ = keyed || (type & PNG_COLOR_MASK_ALPHA);
        if (!grey && !palette) png_set_bgr(png_);
        passes_ = png_set_interlace_handling(png_);
        png_read_update_info(png_, info_);
        channels_ = bits / 8 + (alpha_ ? 1 : 0);
        if (png_get_rowbytes(png_, info_) != size_t(w) * channels_) return kFileFormat;
        // Interlaced rows with alpha are blended once all passes are in.
        const uint64_t alphaRows = passes_ > 1 ? h : 1;
        if (alpha_ && uint64_t(w) * channels_ * alphaRows > kMaxBitmapBytes) return kNoMemory;

        *info = ImageInfo{};
        info->format = kFormatPng;
        info->width = static_cast<int32_t>(w);
        info->height = static_cast<int32_t>(h);
        info->bitsPerPixel = bits;
        info->channels = bits / 8;
        info->fileBitsPerPixel =
            depth * (palette ? 1 : (grey ? 1 : 3) + ((type & PNG_COLOR_MASK_ALPHA) ? 1 : 0));
        info->interlaced = interlace != PNG_INTERLACE_NONE;
        png_uint_32 xppm, yppm;
        int unit;
        if (png_get_pHYs(png_, info_, &xppm, &yppm, &unit) && unit == PNG_RESOLUTION_METER) {
            info->xResolution = static_cast<int32_t>(xppm * kMetersPerInch + 0.5);
            info->yResolution = static_cast<int32_t>(yppm * kMetersPerInch + 0.5);
        }
        if (palette) {
            png_colorp entries = nullptr;
            int count = 0;
            if (!png_get_PLTE(png_, info_, &entries, &count)) return kFileFormat;
            count = std::clamp(count, 0, 256);
            png_bytep alphas = nullptr;
            int alphaCount = 0;
            png_get_tRNS(png_, info_, &alphas, &alphaCount, nullptr);
            for (int i = 0; i < count; ++i) {
                const unsigned a = alphas && i < alphaCount ? alphas[i] : kOpaque;
                info->palette[i] =
                    RGBQUAD{OverWhite(entries[i].blue, a), OverWhite(entries[i].green, a),
                            OverWhite(entries[i].red, a), 0};
            }
            info->colors = count;
        } else if (grey) {
            SetGreyRamp(info);
        }
        return kSuccess;
    }

    int32_t DecodeRows(PixBitmap& bitmap, BandSink& sink) {
        RowBands bands(sink, bitmap.Height, false);
        const size_t rowBytes = size_t(bitmap.Width) * channels_;
        if (alpha_) rows_.resize(rowBytes * (passes_ > 1 ? size_t(bitmap.Height) : 1));
        auto rowFor = [&](int32_t y) {
            return alpha_ ? rows_.data() + (passes_ > 1 ? rowBytes * y : 0) : PixRow(bitmap, y);
        };
        if (passes_ > 1) {
            // Interlaced rows are final only after the last pass.
            for (int pass = 0; pass < passes_; ++pass)
                for (int32_t y = 0; y < bitmap.Height; ++y) png_read_row(png_, rowFor(y), nullptr);
            if (alpha_)
                for (int32_t y = 0; y < bitmap.Height; ++y) Blend(rowFor(y), bitmap, y);
            return bands.Finish();
        }
        for (int32_t y = 0; y < bitmap.Height; ++y) {
            png_read_row(png_, rowFor(y), nullptr);
            if (alpha_) Blend(rowFor(y), bitmap, y);
            if (const int32_t s = bands.Advance(1); s != kSuccess) return s;
        }
        return bands.Finish();
    }

    // One row of samples with alpha last, drawn over white into the bitmap.
    void Blend(const uint8_t* src, PixBitmap& bitmap, int32_t y) const {
        uint8_t* dst = PixRow(bitmap, y);
        const int colors = channels_ - 1;
        for (int32_t x = 0; x < bitmap.Width; ++x, src += channels_, dst += colors)
            for (int c = 0; c < colors; ++c) dst[c] = OverWhite(src[c], src[colors]);
    }

    std::span<const uint8_t> data_;
    size_t pos_ = 0;
    bool truncated_ = false;
    png_structp png_ = nullptr;
    png_infop info_ = nullptr;
    int32_t status_ = kFailure;
    int passes_ = 1;
    bool alpha_ = false;
    int channels_ = 1;  // samples per pixel as the library delivers them
    std::vector<uint8_t> rows_;
};

}  // namespace

std::unique_ptr<ImageDecoder> CreatePngDecoder(std::span<const uint8_t> data) {
    return std::make_unique<PngDecoder>(data);
}

}  // namespace pix
