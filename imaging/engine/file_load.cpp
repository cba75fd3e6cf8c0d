// SPDX-License-Identifier: GPL-3.0-or-later
#include "imaging/engine/file_load.h"

#include <algorithm>
#include <cmath>

#include "imaging/engine/codecs/decode_image.h"
#include "imaging/engine/codecs/decoder_factory.h"
#include "imaging/engine/file_info.h"
#include "imaging/engine/file_read.h"
#include "imaging/engine/status_callback.h"
#include "imaging/engine/status_codes.h"

namespace {

bool GoesOn(int32_t status) {
    return status >= 1 && status <= 7;
}

// Copies finished rows from the decoder's bitmap into the caller's at the
// requested depth, then tells the load callback and the status callback.
class LoadBands final : public pix::BandSink {
public:
    LoadBands(PixBitmap* native, PixBitmap* out, PixLoadCallback callback, void* userData)
        : native_(native), out_(out), callback_(callback), userData_(userData) {}

    int32_t RowsDone(int32_t firstRow, int32_t rows) override {
        if (native_ != out_) Convert(firstRow, rows);
        done_ += rows;
        if (callback_) {
            uint32_t flags = 0;
            if (!shown_) flags |= kBandFirst;
            if (done_ >= out_->Height) flags |= kBandLast;
            shown_ = true;
            const int32_t s = callback_(out_, firstRow, rows, flags, userData_);
            if (!GoesOn(s)) return stopped_ = s;
        }
        const auto percent = static_cast<int32_t>(std::lround(100.0 * done_ / out_->Height));
        if (!pix::ReportProgress(percent)) return stopped_ = pix::kUserAbort;
        return pix::kSuccess;
    }

    bool shown() const { return shown_; }
    int32_t stopped() const { return stopped_; }

private:
    void Convert(int32_t firstRow, int32_t rows) {
        for (int32_t y = firstRow; y < firstRow + rows; ++y) {
            const uint8_t* src = PixRow(*native_, y);
            uint8_t* dst = PixRow(*out_, y);
            if (native_->BitsPerPixel == 8) {
                const RGBQUAD* pal = native_->Palette;
                for (int32_t x = 0; x < out_->Width; ++x, dst += 3) {
                    const RGBQUAD& c = pal[src[x]];
                    dst[0] = c.rgbBlue;
                    dst[1] = c.rgbGreen;
                    dst[2] = c.rgbRed;
                }
            } else {
                // Luma with weights 0.299, 0.587, 0.114 in 16-bit fixed point.
                for (int32_t x = 0; x < out_->Width; ++x, src += 3)
                    dst[x] = static_cast<uint8_t>(
                        (src[0] * 7471 + src[1] * 38470 + src[2] * 19595 + 32768) >> 16);
            }
        }
    }

    PixBitmap* native_;
    PixBitmap* out_;
    PixLoadCallback callback_;
    void* userData_;
    int32_t done_ = 0;
    bool shown_ = false;
    int32_t stopped_ = 0;
};

void Empty(PixBitmap* bitmap) {
    P_FreeBitmap(bitmap);
    P_InitBitmap(bitmap, sizeof(PixBitmap), 0, 0, 0);
}

// The argument checks, made before the file is read.
int32_t CheckLoadArguments(const PixBitmap* bitmap, uint32_t structSize, int32_t bitsPerPixel,
                           int32_t colorOrder, const PixFileInfo* info) {
    if (!bitmap) return pix::kInvalidBitmap;
    if (structSize != sizeof(PixBitmap)) return pix::kInvalidStructSize;
    if (info && info->StructSize != sizeof(PixFileInfo)) return pix::kInvalidStructSize;
    if (bitsPerPixel != 0 && bitsPerPixel != 8 && bitsPerPixel != 24)
        return pix::kInvalidBitsPerPixel;
    if (colorOrder != kOrderBGR) return pix::kInvalidParameter;
    return pix::kSuccess;
}

}  // namespace

int32_t P_LoadFile(const char* fileName, PixBitmap* bitmap, uint32_t structSize,
                   int32_t bitsPerPixel, int32_t colorOrder, uint32_t loadFlags,
                   PixLoadCallback callback, void* userData, const PixLoadOptions* options,
                   PixFileInfo* info) {
    if (const int32_t s = CheckLoadArguments(bitmap, structSize, bitsPerPixel, colorOrder, info);
        s != pix::kSuccess)
        return s;
    pix::FileBytes file;
    if (const int32_t s = pix::ReadImageFile(fileName, &file); s != pix::kSuccess) return s;
    return pix::LoadFileFromBytes(file.bytes(), bitmap, structSize, bitsPerPixel, colorOrder,
                                  loadFlags, callback, userData, options, info);
}

int32_t pix::LoadFileFromBytes(std::span<const uint8_t> file, PixBitmap* bitmap,
                               uint32_t structSize, int32_t bitsPerPixel, int32_t colorOrder,
                               uint32_t /*loadFlags*/, PixLoadCallback callback, void* userData,
                               const PixLoadOptions* options, PixFileInfo* info) {
    if (const int32_t s = CheckLoadArguments(bitmap, structSize, bitsPerPixel, colorOrder, info);
        s != pix::kSuccess)
        return s;
    auto decoder = pix::CreateDecoder(pix::DetectImageFormat(file), file);
    if (!decoder) return pix::kFileFormat;
    pix::ImageInfo image;
    if (const int32_t s = decoder->ReadInfo(&image); s != pix::kSuccess) return s;
    const int32_t page = info && (info->Flags & kInfoUsePage) ? info->PageNumber
                         : options                            ? options->PageNumber
                                                              : 0;
    if (page < 0 || page >= image.pages) return pix::kInvalidParameter;
    if (page > 0) return pix::kNotSupported;
    if (info) pix::FillFileInfo(image, file.size(), info);

    const int32_t outBits = bitsPerPixel == 0 ? image.bitsPerPixel : bitsPerPixel;
    PixBitmap native{};
    PixBitmap* target = bitmap;
    if (outBits != image.bitsPerPixel) {
        if (const int32_t s = pix::AllocateForImage(image, &native); s != pix::kSuccess) return s;
        target = &native;
        pix::ImageInfo converted = image;
        converted.bitsPerPixel = outBits;
        if (outBits == 8) pix::SetGreyRamp(&converted);
        if (const int32_t s = pix::AllocateForImage(converted, bitmap); s != pix::kSuccess) {
            P_FreeBitmap(&native);
            P_InitBitmap(bitmap, sizeof(PixBitmap), 0, 0, 0);
            return s;
        }
    } else if (const int32_t s = pix::AllocateForImage(image, bitmap); s != pix::kSuccess) {
        P_InitBitmap(bitmap, sizeof(PixBitmap), 0, 0, 0);
        return s;
    }

    LoadBands bands(target, bitmap, callback, userData);
    int32_t status = decoder->Decode(*target, bands);
    if (target != bitmap) P_FreeBitmap(&native);
    if (bands.stopped() != 0) status = bands.stopped();
    if (status != pix::kSuccess && !bands.shown()) Empty(bitmap);
    return status;
}

namespace pix {

int32_t LoadBitmapFile(const std::string& path, PixBitmap* out, int32_t bitsPerPixel) {
    PixLoadOptions options;
    P_GetDefaultLoadFileOption(&options, sizeof(options));
    P_InitBitmap(out, sizeof(PixBitmap), 0, 0, 0);
    const int32_t status = P_LoadFile(path.c_str(), out, sizeof(PixBitmap), bitsPerPixel, kOrderBGR,
                                      kLoadOnePage, nullptr, nullptr, &options, nullptr);
    if (status != kSuccess) Empty(out);
    return status;
}

}  // namespace pix
