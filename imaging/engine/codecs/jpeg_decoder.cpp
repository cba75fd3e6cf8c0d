// SPDX-License-Identifier: GPL-3.0-or-later
#include "imaging/engine/codecs/jpeg_decoder.h"

// clang-format off
#include <csetjmp>
#include <cstdio>
#include <jpeglib.h>
#include <jerror.h>
// clang-format on

#include <algorithm>
#include <vector>

#include "imaging/engine/codecs/exif_orientation.h"
#include "imaging/engine/codecs/file_format.h"
#include "imaging/engine/codecs/row_bands.h"
#include "imaging/engine/status_codes.h"

namespace pix {
namespace {

constexpr unsigned kMaxMarkerBytes = 0xFFFF;
constexpr double kCmPerInch = 2.54;
// Scans a file may have. Each scan of a progressive file is another pass over
// all coefficients, so a file that repeats its last scan a thousand times would
// keep the load busy for many seconds; real files have at most a few dozen.
// More are refused as a feature not supported (-16), not as a damaged file.
constexpr int kMaxJpegScans = 100;

struct ErrorManager {
    jpeg_error_mgr pub;
    std::jmp_buf jump;
    int code = 0;
    // The entropy data of a scan stopped before its last block.
    bool scanCut = false;
    // The bytes ended before the end-of-image marker; harmless once every
    // component has all its coefficients (checked after the decode).
    bool endedEarly = false;
    bool tooManyScans = false;
    unsigned scannedComponents = 0;  // bit per component that a scan carried
};

[[noreturn]] void OnError(j_common_ptr cinfo) {
    auto* err = reinterpret_cast<ErrorManager*>(cinfo->err);
    err->code = cinfo->err->msg_code;
    std::longjmp(err->jump, 1);
}

void OnMessage(j_common_ptr cinfo, int level) {
    auto* err = reinterpret_cast<ErrorManager*>(cinfo->err);
    if (level >= 0) return;
    // Both leave the library to fill the rest with grey, so they are recorded
    // and judged rather than shown.
    if (cinfo->err->msg_code == JWRN_HIT_MARKER) err->scanCut = true;
    if (cinfo->err->msg_code == JWRN_JPEG_EOF) err->endedEarly = true;
}

// Called between units of input: counts scans and notes which components the
// current scan carries.
void OnProgress(j_common_ptr common) {
    auto* cinfo = reinterpret_cast<j_decompress_ptr>(common);
    auto* err = reinterpret_cast<ErrorManager*>(common->err);
    if (cinfo->input_scan_number > kMaxJpegScans) {
        err->tooManyScans = true;
        std::longjmp(err->jump, 1);
    }
    for (int i = 0; i < cinfo->comps_in_scan; ++i)
        err->scannedComponents |= 1u << cinfo->cur_comp_info[i]->component_index;
}

// Upright position (x, y) of source pixel (sx, sy) for an Exif orientation, in
// a source of w x h pixels.
inline void UprightOf(int32_t orientation, int32_t w, int32_t h, int32_t sx, int32_t sy, int32_t* x,
                      int32_t* y) {
    switch (orientation) {
        case 2:
            *x = w - 1 - sx;
            *y = sy;
            break;
        case 3:
            *x = w - 1 - sx;
            *y = h - 1 - sy;
            break;
        case 4:
            *x = sx;
            *y = h - 1 - sy;
            break;
        case 5:
            *x = sy;
            *y = sx;
            break;
        case 6:
            *x = h - 1 - sy;
            *y = sx;
            break;
        case 7:
            *x = h - 1 - sy;
            *y = w - 1 - sx;
            break;
        case 8:
            *x = sy;
            *y = w - 1 - sx;
            break;
        default:
            *x = sx;
            *y = sy;
            break;
    }
}

class JpegDecoder final : public ImageDecoder {
public:
    explicit JpegDecoder(std::span<const uint8_t> data) : data_(data) {
        cinfo_.err = jpeg_std_error(&err_.pub);
        err_.pub.error_exit = OnError;
        err_.pub.emit_message = OnMessage;
        jpeg_create_decompress(&cinfo_);
        progress_.progress_monitor = OnProgress;
        cinfo_.progress = &progress_;
    }
    ~JpegDecoder() override { jpeg_destroy_decompress(&cinfo_); }

    int32_t ReadInfo(ImageInfo* info) override {
        if (setjmp(err_.jump)) return status_ = ErrorStatus();
        status_ = Parse(info);
        return status_;
    }

    int32_t Decode(PixBitmap& bitmap, BandSink& sink) override {
        if (status_ != kSuccess) return status_;
        if (setjmp(err_.jump)) return status_ = ErrorStatus();
        const int32_t s = DecodeRows(bitmap, sink);
        // The library's state is spent; a second decode would need a new decoder.
        status_ = s == kSuccess ? kFailure : s;
        return s;
    }

private:
    int32_t ErrorStatus() const {
        if (err_.tooManyScans) return kNotSupported;
        if (err_.scanCut || err_.endedEarly) return kFileRead;
        switch (err_.code) {
            case JERR_OUT_OF_MEMORY:
            case JERR_NO_BACKING_STORE:
                return kNoMemory;
            case JERR_INPUT_EMPTY:
            case JERR_INPUT_EOF:
                return kFileRead;
            default:
                return kFileFormat;
        }
    }

    int32_t Parse(ImageInfo* info) {
        if (data_.empty()) return kFileRead;
        jpeg_mem_src(&cinfo_, data_.data(), static_cast<unsigned long>(data_.size()));
        jpeg_save_markers(&cinfo_, JPEG_APP0 + 1, kMaxMarkerBytes);
        jpeg_read_header(&cinfo_, TRUE);
        if (err_.scanCut || err_.endedEarly) return kFileRead;
        for (jpeg_saved_marker_ptr m = cinfo_.marker_list; m; m = m->next) {
            if (m->marker != JPEG_APP0 + 1) continue;
            const int32_t o = ExifOrientation({m->data, m->data_length});
            if (o != 1) {
                orientation_ = o;
                break;
            }
        }
        const int n = cinfo_.num_components;
        switch (cinfo_.jpeg_color_space) {
            case JCS_GRAYSCALE:
                cinfo_.out_color_space = JCS_GRAYSCALE;
                break;
            case JCS_CMYK:
            case JCS_YCCK:
                cinfo_.out_color_space = JCS_CMYK;
                break;
            default:
                if (n != 3) return kSubTypeUnsupported;
                cinfo_.out_color_space = JCS_EXT_BGR;
                break;
        }
        const bool grey = cinfo_.out_color_space == JCS_GRAYSCALE;
        const bool turned = orientation_ >= 5;
        srcWidth_ = static_cast<int32_t>(cinfo_.image_width);
        srcHeight_ = static_cast<int32_t>(cinfo_.image_height);
        const int32_t bits = grey ? 8 : 24;
        if (const int32_t s = CheckImageGeometry(srcWidth_, srcHeight_, bits); s != kSuccess)
            return s;
        *info = ImageInfo{};
        info->format = kFormatJpeg;
        info->width = turned ? srcHeight_ : srcWidth_;
        info->height = turned ? srcWidth_ : srcHeight_;
        info->bitsPerPixel = bits;
        info->fileBitsPerPixel = n * 8;
        info->channels = n;
        info->interlaced = cinfo_.progressive_mode;
        info->orientation = orientation_;
        if (cinfo_.density_unit == 1 || cinfo_.density_unit == 2) {
            const double f = cinfo_.density_unit == 2 ? kCmPerInch : 1.0;
            info->xResolution = static_cast<int32_t>(cinfo_.X_density * f + 0.5);
            info->yResolution = static_cast<int32_t>(cinfo_.Y_density * f + 0.5);
        }
        if (grey) SetGreyRamp(info);
        // Progressive and multi-scan files keep every coefficient (two bytes
        // a sample) until the last scan. The library refuses what goes past
        // the budget (it has no backing store), which reads as -1.
        cinfo_.mem->max_memory_to_use = static_cast<long>(DecoderWorkBudget(srcWidth_, srcHeight_));
        return kSuccess;
    }

    // CMYK (inverted in Adobe files, as most are) to blue-green-red.
    void CmykToBgr(const uint8_t* src, uint8_t* dst, int32_t w) const {
        const bool inverted = cinfo_.saw_Adobe_marker;
        for (int32_t x = 0; x < w; ++x, src += 4, dst += 3) {
            uint32_t c = src[0], m = src[1], y = src[2], k = src[3];
            if (!inverted) {
                c = 255 - c;
                m = 255 - m;
                y = 255 - y;
                k = 255 - k;
            }
            dst[0] = static_cast<uint8_t>((y * k + 127) / 255);
            dst[1] = static_cast<uint8_t>((m * k + 127) / 255);
            dst[2] = static_cast<uint8_t>((c * k + 127) / 255);
        }
    }

    // Whether the pixels are whole although the file ended without its end
    // marker: every component was in a scan and, in a progressive file, every
    // coefficient reached full precision.
    bool AllDataSeen() const {
        const int n = cinfo_.num_components;
        if (n > 31 || err_.scannedComponents != (1u << n) - 1) return false;
        if (!cinfo_.progressive_mode) return true;
        for (int c = 0; c < n; ++c)
            for (int k = 0; k < DCTSIZE2; ++k)
                if (cinfo_.coef_bits[c][k] != 0) return false;
        return true;
    }

    // Data that really ends early is refused; a file that only lacks its end
    // marker has every pixel and loads.
    bool Cut() const { return err_.scanCut || (err_.endedEarly && !AllDataSeen()); }

    int32_t DecodeRows(PixBitmap& bitmap, BandSink& sink) {
        // A file of several scans is read whole here, so its end is judged
        // before any row is handed on.
        jpeg_start_decompress(&cinfo_);
        if (Cut()) return kFileRead;
        if (int32_t(cinfo_.output_width) != srcWidth_ ||
            int32_t(cinfo_.output_height) != srcHeight_)
            return kFileFormat;
        const bool cmyk = cinfo_.out_color_space == JCS_CMYK;
        const int32_t outChannels = cinfo_.out_color_space == JCS_GRAYSCALE ? 1 : 3;
        RowBands bands(sink, bitmap.Height, false);
        if (cmyk) row_.resize(size_t(srcWidth_) * 4);
        if (orientation_ == 1) {
            while (cinfo_.output_scanline < cinfo_.output_height) {
                const int32_t y = static_cast<int32_t>(cinfo_.output_scanline);
                const int32_t n = std::min<int32_t>(kBandRows, srcHeight_ - y);
                for (int32_t i = 0; i < n; ++i) {
                    JSAMPROW dst = cmyk ? row_.data() : PixRow(bitmap, y + i);
                    if (jpeg_read_scanlines(&cinfo_, &dst, 1) != 1 || err_.scanCut)
                        return kFileRead;
                    if (cmyk) CmykToBgr(row_.data(), PixRow(bitmap, y + i), srcWidth_);
                }
                if (const int32_t s = bands.Advance(n); s != kSuccess) return s;
            }
            if (Cut()) return kFileRead;
            return bands.Finish();
        }
        // Turned or mirrored: every decoded row goes straight to its upright
        // place (a row or a column of the bitmap), so no second picture is
        // held; the rows are final only once the last one is in.
        row_.resize(size_t(srcWidth_) * (cmyk ? 4 : outChannels));
        std::vector<uint8_t> bgr(cmyk ? size_t(srcWidth_) * 3 : 0);
        while (cinfo_.output_scanline < cinfo_.output_height) {
            const auto sy = static_cast<int32_t>(cinfo_.output_scanline);
            JSAMPROW dst = row_.data();
            if (jpeg_read_scanlines(&cinfo_, &dst, 1) != 1 || err_.scanCut) return kFileRead;
            const uint8_t* src = row_.data();
            if (cmyk) {
                CmykToBgr(row_.data(), bgr.data(), srcWidth_);
                src = bgr.data();
            }
            for (int32_t sx = 0; sx < srcWidth_; ++sx, src += outChannels) {
                int32_t x, y;
                UprightOf(orientation_, srcWidth_, srcHeight_, sx, sy, &x, &y);
                uint8_t* to = PixRow(bitmap, y) + size_t(x) * outChannels;
                for (int32_t c = 0; c < outChannels; ++c) to[c] = src[c];
            }
        }
        if (Cut()) return kFileRead;
        row_.clear();
        row_.shrink_to_fit();
        return bands.Finish();
    }

    std::span<const uint8_t> data_;
    jpeg_decompress_struct cinfo_{};
    ErrorManager err_{};
    jpeg_progress_mgr progress_{};
    int32_t status_ = kFailure;
    int32_t orientation_ = 1;
    int32_t srcWidth_ = 0;
    int32_t srcHeight_ = 0;
    std::vector<uint8_t> row_;
};

}  // namespace

std::unique_ptr<ImageDecoder> CreateJpegDecoder(std::span<const uint8_t> data) {
    return std::make_unique<JpegDecoder>(data);
}

}  // namespace pix
