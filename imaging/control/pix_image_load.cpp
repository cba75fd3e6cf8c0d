// SPDX-License-Identifier: GPL-3.0-or-later
// File load of TPixImage: the engine's option records installed around the
// load, one read of the file for its information and then its pixels, pages
// appended band by band through the load callback, and the cancel path.
#include <QPainter>
#include <cmath>
#include <cstring>

#include "imaging/control/pix_image.h"
#include "imaging/engine/file_info.h"
#include "imaging/engine/file_load.h"
#include "imaging/engine/file_read.h"
#include "imaging/engine/format_options.h"
#include "imaging/engine/load_options.h"
#include "imaging/engine/status_codes.h"

namespace {

// The control's own records: the defaults it was created with, and its JBIG2
// record as the setters left it.
pix::LoadOptionSnapshot ControlLoadOptions(const PixJBIG2Options& jbig2) {
    pix::LoadOptionSnapshot options = pix::DefaultLoadOptionSnapshot();
    options.jbig2 = jbig2;
    return options;
}

}  // namespace

int32_t PixImageLoadCallback(PixBitmap* page, int32_t /*firstRow*/, int32_t rows, uint32_t flags,
                             void* userData) {
    auto* self = static_cast<TPixImage*>(userData);
    if (self->pagesWanted_ >= 0 && self->pagesDone_ >= self->pagesWanted_) {
        return pix::kUserAbort;
    }
    self->rowsLoaded_ += rows;
    if (flags & kBandRestartProgress) {
        if (self->enableProgressEvent_ && self->OnStatus) self->OnStatus(self, 0);
        self->rowsLoaded_ = rows;
    }
    int32_t status = pix::kSuccess;
    if ((flags & kBandFirst) == kBandFirst) {
        // From its first band on, the page's memory is ours: the list owns it.
        self->imageAllocated_ = true;
        P_CopyBitmapHandle(&self->bitmap_, page, sizeof(PixBitmap));
        status = P_InsertBitmapListItem(self->list_, UINT32_MAX, page, sizeof(PixBitmap));
        if (status != pix::kSuccess) P_FreeBitmap(page);
        if (self->paintWhileLoad_) {
            self->GeometryUpdate();
        } else {
            self->changePending_ = true;
        }
    }
    if (status == pix::kSuccess && (flags & kBandLast) == kBandLast) {
        ++self->pagesDone_;
        self->changePending_ = true;
    }
    if (self->enableProgressEvent_ && self->OnStatus && page->Height > 0) {
        const auto percent =
            static_cast<int32_t>(std::lround(double(self->rowsLoaded_) * 100.0 / page->Height));
        self->OnStatus(self, percent);
    }
    if (self->paintWhileLoad_ && self->isVisible()) self->repaint();
    self->lastStatus_ = status;
    if (TPixImage::s_cancelRequested) {
        TPixImage::s_cancelRequested = false;
        self->loadCancelled_ = true;
        return 0;
    }
    return status;
}

void TPixImage::ClearImage() {
    CheckNotBusy();
    currentIndex_ = 0;
    if (list_) {
        P_DestroyBitmapList(list_);
        list_ = nullptr;
    }
    if (imageAllocated_) ResetDescriptor();
    if (backErase_ && isVisible()) update();
}

int32_t TPixImage::Load(const std::string& fileName, int32_t bitsPerPixel, int32_t page,
                        int32_t pages) {
    ClearImage();
    loading_ = true;
    int32_t status = pix::kSuccess;
    if (pages == 0) {
        BitmapChanged();
        loading_ = false;
    } else {
        status = LoadPages(fileName, bitsPerPixel, page, pages);
        if (status != pix::kSuccess || loadCancelled_) {
            if (list_) {
                P_DestroyBitmapList(list_);
                list_ = nullptr;
            }
            ResetDescriptor();
            if (backErase_ && !transparent_) update();
        }
        BitmapChanged();
        lastStatus_ = status;
    }
    BitmapChanged();
    layout_.ResetOrigin();
    return status;
}

int32_t TPixImage::LoadPages(const std::string& fileName, int32_t bitsPerPixel, int32_t page,
                             int32_t pages) {
    PixLoadOptions options{};
    P_GetDefaultLoadFileOption(&options, sizeof options);
    options.Passes = 0;
    options.PageNumber = page;
    options.Flags &= ~kLoadControlSettingBits;

    // The engine's records are the control's for the length of the load only;
    // the scopes put everything back also when an exception passes.
    const pix::LoadOptionScope engineOptions(ControlLoadOptions(jbig2_));
    struct ChainScope {
        TPixImage* self;
        explicit ChainScope(TPixImage* image) : self(image) { self->PushStatusChain(); }
        ~ChainScope() {
            self->loading_ = false;
            self->PopStatusChain();
        }
    } chain(this);
    loadCancelled_ = false;

    // One read of the file serves both its information and its pixels.
    pix::FileBytes file;
    int32_t status = pix::ReadImageFile(fileName.c_str(), &file);
    PixFileInfo info{};
    info.StructSize = sizeof info;
    if (status == pix::kSuccess)
        status = pix::FileInfoFromBytes(file.bytes(), &info, sizeof info, &options);
    if (status == pix::kSuccess) status = P_CreateBitmapList(&list_);
    if (status != pix::kSuccess) return status;

    // The geometry is known before any pixel arrives.
    P_InitBitmap(&bitmap_, sizeof(PixBitmap), info.Width, info.Height,
                 bitsPerPixel == 0 ? info.BitsPerPixel : bitsPerPixel);
    GeometryUpdate();
    s_cancelled = false;
    rowsLoaded_ = 0;
    pagesWanted_ = pages == -1 ? info.TotalPages : pages;
    pagesDone_ = 0;
    const uint32_t loadFlags = pages == 1 ? kLoadOnePage : kLoadManyPages;
    info.StructSize = sizeof info;
    info.Flags = 0;
    PixBitmap temporary;
    P_InitBitmap(&temporary, sizeof temporary, 0, 0, 0);
    status =
        pix::LoadFileFromBytes(file.bytes(), &temporary, sizeof temporary, bitsPerPixel, kOrderBGR,
                               loadFlags, PixImageLoadCallback, this, &options, &info);
    if (status == pix::kUserAbort && !loadCancelled_) status = pix::kSuccess;
    if (s_cancelled) loadCancelled_ = true;
    if (!loadCancelled_ && status == pix::kSuccess) {
        fileName_ = fileName;
        if (P_GetBitmapListItem(list_, 0, &bitmap_, sizeof(PixBitmap)) == pix::kSuccess) {
            imageAllocated_ = true;
            // The first page's geometry and colours are the list's screen
            // values; our decoders report no background colour or looping.
            screenWidth_ = bitmap_.Width;
            screenHeight_ = bitmap_.Height;
            screenBits_ = bitmap_.BitsPerPixel;
            std::memset(screenPalette_, 0, sizeof screenPalette_);
            if (bitmap_.BitsPerPixel <= 8 && bitmap_.Palette)
                std::memcpy(screenPalette_, bitmap_.Palette, sizeof screenPalette_);
            screenBackground_ = 0;
            screenBackgroundIsIndex_ = false;
            screenLoops_ = false;
        } else {
            status = pix::kInvalidBitmap;
        }
    }
    return status;
}
