// SPDX-License-Identifier: GPL-3.0-or-later
// File save of TPixImage: the save options record built for every save, the
// JPEG 2000 and PDF save records installed, the use-lookup-table bit applied
// and put back, the status callback and the cancel path, and the progress
// save that hands the engine one row at a time.
#include <QFile>
#include <cmath>
#include <cstring>
#include <vector>

#include "imaging/control/pix_image.h"
#include "imaging/engine/file_save.h"
#include "imaging/engine/status_codes.h"

namespace {

// The format code that writes every page of the list.
constexpr int32_t kFormatWholeList = 2;

// Flag bits of the save options record that a single save clears.
constexpr uint32_t kSaveClearedBits = 0x1 | 0x8000 | 0x40 | 0x400000 | 0x4000 | 0x1000000;
constexpr uint32_t kSaveListBits = kSaveUseBackground | kSaveUsePalette | kSaveUseLoop;

// A compression asked of one save goes into that save's record only.
void UseCompression(PixSaveFileOptions* o, int32_t compression) {
    if (compression == pix::kCompressionDefault) return;
    o->Compression = compression;
    o->Progressive = compression == pix::kCompressionProgressiveJpeg ? -1 : 0;
}

bool FileExists(const std::string& fileName) {
    return !fileName.empty() && QFile::exists(QFile::decodeName(fileName.c_str()));
}

// What a cancelled save leaves: nothing of its own. The engine writes whole
// files or nothing, so a file that was there before the save is the user's
// and stays; only a file that the save itself created goes.
void RemoveCancelledFile(const std::string& fileName, bool existedBefore) {
    if (!existedBefore && FileExists(fileName)) QFile::remove(QFile::decodeName(fileName.c_str()));
}

}  // namespace

// Puts the descriptor's use-lookup-table bit back as the save found it, and
// UseLUT with it, also when an exception passes.
class UseLutScope {
public:
    explicit UseLutScope(TPixImage* image)
        : image_(image), wasSet_((image->bitmap_.Flags & kBitmapUseLookupTable) != 0) {}
    ~UseLutScope() {
        if (wasSet_) {
            image_->bitmap_.Flags |= kBitmapUseLookupTable;
        } else {
            image_->bitmap_.Flags &= ~kBitmapUseLookupTable;
        }
        image_->useLUT_ = wasSet_;
    }
    UseLutScope(const UseLutScope&) = delete;
    UseLutScope& operator=(const UseLutScope&) = delete;

private:
    TPixImage* image_;
    bool wasSet_;
};

int32_t PixImageSaveRowCallback(PixBitmap* bitmap, int32_t row, uint8_t* buffer, uint32_t bytes,
                                void* userData) {
    auto* self = static_cast<TPixImage*>(userData);
    const int32_t copied = P_GetBitmapRow(bitmap, row, buffer, bytes);
    if (copied < 0 || uint32_t(copied) < bytes) return 0;
    ++self->rowsSaved_;
    if (self->OnStatus && bitmap->Height > 0) {
        const auto percent =
            static_cast<int32_t>(std::lround(double(self->rowsSaved_) * 100.0 / bitmap->Height));
        self->OnStatus(self, percent);
    }
    if (TPixImage::s_cancelRequested) {
        TPixImage::s_cancelRequested = false;
        TPixImage::s_cancelled = true;
        return 0;
    }
    return 1;
}

void TPixImage::SetUseLUT(bool on) {
    useLUT_ = on;
    if (imageAllocated_) ApplyUseLUT();
}

void TPixImage::ApplyUseLUT() {
    CheckAllocated("UseLUT", pix::kFailure);
    if (useLUT_) {
        bitmap_.Flags |= kBitmapUseLookupTable;
    } else {
        bitmap_.Flags &= ~kBitmapUseLookupTable;
    }
}

void TPixImage::PrepareSaveOptions(PixSaveFileOptions* o, int32_t modify, int32_t bitsPerPixel,
                                   bool withListData, int32_t compression) {
    if (modify == -1) modify = 1;
    P_GetDefaultSaveFileOption(o, sizeof *o);
    UseCompression(o, compression);
    // They stay installed after the save.
    P_SetJ2KOptions(&j2kSave_, sizeof j2kSave_);
    P_SetPDFSaveOptions(&pdfSave_, sizeof pdfSave_);

    switch (modify) {
        case 0:
            o->PageNumber = kSaveNewFile;
            break;
        case 1:
            o->PageNumber = kSaveAppendPage;
            break;
        case 2:
            o->Flags |= kSaveInsertPage;
            o->PageNumber = savePage_;
            break;
        case 3:
            o->Flags |= kSaveReplacePage;
            o->PageNumber = savePage_;
            break;
        default:
            break;
    }
    o->Passes = savePasses_;
    o->Flags |= kSaveDefaultBit;
    o->Flags &= ~kSaveClearedBits;
    NotifyHook(4);

    if (!withListData) {
        o->Width = screenWidth_;
        o->Height = screenHeight_;
        o->Flags &= ~kSaveListBits;
        return;
    }
    if (bitsPerPixel == screenBits_) {
        if (bitsPerPixel <= 8) {
            std::memcpy(o->Palette, screenPalette_, sizeof o->Palette);
            o->Flags |= kSaveUsePalette;
        }
        o->Background = screenBackground_;
        o->Flags |= kSaveUseBackground;
    } else if (bitsPerPixel <= 8 && screenBackgroundIsIndex_ && screenBackground_ < 256) {
        const RGBQUAD& c = screenPalette_[screenBackground_];
        o->Background = uint32_t(c.rgbRed) | uint32_t(c.rgbGreen) << 8 | uint32_t(c.rgbBlue) << 16;
    }
    o->Width = screenWidth_;
    o->Height = screenHeight_;
    if (screenLoops_) {
        o->Loop = 0;
        o->Flags |= kSaveUseLoop;
    }
}

int32_t TPixImage::ProgressSave(const std::string& fileName, int32_t format, int32_t bitsPerPixel,
                                int32_t qualityFactor, uint32_t saveFlags,
                                const PixSaveFileOptions& options) {
    // The engine's bitmaps are always upright (the loader applies a file's
    // orientation), so no view perspective needs turning here.
    const int32_t depth = bitsPerPixel == 0 ? bitmap_.BitsPerPixel : bitsPerPixel;
    saveFlags |= (depth == bitmap_.BitsPerPixel || depth > 4) ? kSaveFileOwnDepth : kSaveFileReduce;
    rowsSaved_ = 0;
    return P_SaveFile(fileName.c_str(), &bitmap_, format, bitsPerPixel, qualityFactor, saveFlags,
                      PixImageSaveRowCallback, this, &options);
}

int32_t TPixImage::Save(const std::string& fileName, int32_t format, int32_t bitsPerPixel,
                        int32_t qualityFactor, int32_t modify, int32_t compression) {
    CheckNotBusy();
    if (!imageAllocated_) {
        lastStatus_ = pix::kInvalidBitmap;
        throw EPixImageError(Name() + " \nSave: Image not allocated.");
    }
    rowsSaved_ = 0;
    const bool existedBefore = FileExists(fileName);
    int32_t result = pix::kFailure;
    {
        UseLutScope lut(this);
        ApplyUseLUT();
        s_cancelRequested = false;
        s_cancelled = false;
        struct ChainScope {
            TPixImage* self;
            explicit ChainScope(TPixImage* image) : self(image) { self->PushStatusChain(); }
            ~ChainScope() { self->PopStatusChain(); }
        } chain(this);

        PixSaveFileOptions options{};
        if (format == kFormatWholeList) {
            PrepareSaveOptions(&options, modify, bitsPerPixel, true, compression);
            result = P_SaveBitmapList(fileName.c_str(), list_, format, bitsPerPixel, qualityFactor,
                                      &options);
        } else {
            PrepareSaveOptions(&options, modify, bitsPerPixel, false, compression);
            result = enableProgressEvent_
                         ? ProgressSave(fileName, format, bitsPerPixel, qualityFactor, 0, options)
                         : P_SaveBitmap(fileName.c_str(), &bitmap_, format, bitsPerPixel,
                                        qualityFactor, &options);
        }
    }
    if (s_cancelled) RemoveCancelledFile(fileName, existedBefore);
    lastStatus_ = result;
    if (result != pix::kSuccess && enableMethodErrors_)
        throw EPixImageError(StatusErrorMessage(Name(), result, "Save"));
    return result;
}

int32_t TPixImage::SaveWithStamp(const std::string& fileName, int32_t format, int32_t bitsPerPixel,
                                 int32_t qualityFactor, int32_t stampWidth, int32_t stampHeight,
                                 int32_t stampBits, int32_t compression) {
    CheckNotBusy();
    if (!imageAllocated_) {
        lastStatus_ = pix::kInvalidBitmap;
        throw EPixImageError(Name() + " \nSaveWithStamp: Image not allocated.");
    }
    const bool existedBefore = FileExists(fileName);
    int32_t result = pix::kFailure;
    {
        UseLutScope lut(this);
        ApplyUseLUT();

        PixSaveFileOptions options{};
        P_GetDefaultSaveFileOption(&options, sizeof options);
        UseCompression(&options, compression);
        options.Flags = kSaveWithStamp;
        options.PageNumber = kSaveNewFile;
        options.StampWidth = stampWidth;
        options.StampHeight = stampHeight;
        options.StampBits = stampBits;

        s_cancelRequested = false;
        s_cancelled = false;
        rowsSaved_ = 0;
        // Marked active without installing the callback: the control is
        // busy for the length of the save.
        struct ActiveScope {
            bool& active;
            explicit ActiveScope(bool& a) : active(a) { active = true; }
            ~ActiveScope() { active = false; }
        } active(callbackActive_);
        result = enableProgressEvent_ ? ProgressSave(fileName, format, bitsPerPixel, qualityFactor,
                                                     kSaveFileStamp, options)
                                      : P_SaveBitmap(fileName.c_str(), &bitmap_, format,
                                                     bitsPerPixel, qualityFactor, &options);
    }
    if (s_cancelled) RemoveCancelledFile(fileName, existedBefore);
    lastStatus_ = result;
    if (result != pix::kSuccess && enableMethodErrors_)
        throw EPixImageError(StatusErrorMessage(Name(), result, "SaveWithStamp"));
    return result;
}
