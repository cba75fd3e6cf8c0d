#include "imaging/engine/codecs/png_decoder.h"

#include <png.h>

#include <algorithm>
#include <cstring>

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
        if (type & PNG_COLOR_MASK_ALPHA) png_set_strip_alpha(png_);
        if (!grey && !palette) png_set_bgr(png_);
        passes_ = png_set_interlace_handling(png_);
        png_read_update_info(png_, info_);
        if (png_get_rowbytes(png_, info_) != size_t(w) * (bits / 8)) return kFileFormat;

        *info = ImageInfo{};
        info->format = kFormatPng;
        info->width = static_cast<int32_t>(w);
        info->height = static_cast<int32_t>(h);
        info->bitsPerPixel = bits;
        info->channels = png_get_channels(png_, info_);
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
            for (int i = 0; i < count; ++i)
                info->palette[i] = RGBQUAD{entries[i].blue, entries[i].green, entries[i].red, 0};
            info->colors = count;
        } else if (grey) {
            SetGreyRamp(info);
        }
        return kSuccess;
    }

    int32_t DecodeRows(PixBitmap& bitmap, BandSink& sink) {
        RowBands bands(sink, bitmap.Height, false);
        if (passes_ > 1) {
            // Interlaced rows are final only after the last pass.
            for (int pass = 0; pass < passes_; ++pass)
                for (int32_t y = 0; y < bitmap.Height; ++y)
                    png_read_row(png_, PixRow(bitmap, y), nullptr);
            return bands.Finish();
        }
        for (int32_t y = 0; y < bitmap.Height; ++y) {
            png_read_row(png_, PixRow(bitmap, y), nullptr);
            if (const int32_t s = bands.Advance(1); s != kSuccess) return s;
        }
        return bands.Finish();
    }

    std::span<const uint8_t> data_;
    size_t pos_ = 0;
    bool truncated_ = false;
    png_structp png_ = nullptr;
    png_infop info_ = nullptr;
    int32_t status_ = kFailure;
    int passes_ = 1;
};

}  // namespace

std::unique_ptr<ImageDecoder> CreatePngDecoder(std::span<const uint8_t> data) {
    return std::make_unique<PngDecoder>(data);
}

}  // namespace pix
