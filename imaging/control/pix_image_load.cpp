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
    if (self->m_pagesWanted >= 0 && self->m_pagesDone >= self->m_pagesWanted) {
        return pix::kUserAbort;
    }
    self->m_rowsLoaded += rows;
    if (flags & kBandRestartProgress) {
        if (self->m_enableProgressEvent && self->OnStatus) self->OnStatus(self, 0);
        self->m_rowsLoaded = rows;
    }
    int32_t status = pix::kSuccess;
    if ((flags & kBandFirst) == kBandFirst) {
        // From its first band on, the page's memory is ours: the list owns it.
        self->m_imageAllocated = true;
        P_CopyBitmapHandle(&self->m_bitmap, page, sizeof(PixBitmap));
        status = P_InsertBitmapListItem(self->m_list, UINT32_MAX, page, sizeof(PixBitmap));
        if (status != pix::kSuccess) P_FreeBitmap(page);
        if (self->m_paintWhileLoad) {
            self->GeometryUpdate();
        } else {
            self->m_changePending = true;
        }
    }
    if (status == pix::kSuccess && (flags & kBandLast) == kBandLast) {
        ++self->m_pagesDone;
        self->m_changePending = true;
    }
    if (self->m_enableProgressEvent && self->OnStatus && page->Height > 0) {
        const auto percent =
            static_cast<int32_t>(std::lround(double(self->m_rowsLoaded) * 100.0 / page->Height));
        self->OnStatus(self, percent);
    }
    if (self->m_paintWhileLoad && self->isVisible()) self->repaint();
    self->m_lastStatus = status;
    if (TPixImage::s_cancelRequested) {
        TPixImage::s_cancelRequested = false;
        self->m_loadCancelled = true;
        return 0;
    }
    return status;
}

void TPixImage::ClearImage() {
    CheckNotBusy();
    m_currentIndex = 0;
    if (m_list) {
        P_DestroyBitmapList(m_list);
        m_list = nullptr;
    }
    if (m_imageAllocated) ResetDescriptor();
    if (m_backErase && isVisible()) update();
}

int32_t TPixImage::Load(const std::string& fileName, int32_t bitsPerPixel, int32_t page,
                        int32_t pages) {
    ClearImage();
    m_loading = true;
    int32_t status = pix::kSuccess;
    if (pages == 0) {
        BitmapChanged();
        m_loading = false;
    } else {
        status = LoadPages(fileName, bitsPerPixel, page, pages);
        if (status != pix::kSuccess || m_loadCancelled) {
            if (m_list) {
                P_DestroyBitmapList(m_list);
                m_list = nullptr;
            }
            ResetDescriptor();
            if (m_backErase && !m_transparent) update();
        }
        BitmapChanged();
        m_lastStatus = status;
    }
    BitmapChanged();
    m_layout.ResetOrigin();
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
    const pix::LoadOptionScope engineOptions(ControlLoadOptions(m_jbig2));
    struct ChainScope {
        TPixImage* self;
        explicit ChainScope(TPixImage* image) : self(image) { self->PushStatusChain(); }
        ~ChainScope() {
            self->m_loading = false;
            self->PopStatusChain();
        }
    } chain(this);
    m_loadCancelled = false;

    // One read of the file serves both its information and its pixels.
    pix::FileBytes file;
    int32_t status = pix::ReadImageFile(fileName.c_str(), &file);
    PixFileInfo info{};
    info.StructSize = sizeof info;
    if (status == pix::kSuccess)
        status = pix::FileInfoFromBytes(file.bytes(), &info, sizeof info, &options);
    if (status == pix::kSuccess) status = P_CreateBitmapList(&m_list);
    if (status != pix::kSuccess) return status;

    // The geometry is known before any pixel arrives.
    P_InitBitmap(&m_bitmap, sizeof(PixBitmap), info.Width, info.Height,
                 bitsPerPixel == 0 ? info.BitsPerPixel : bitsPerPixel);
    GeometryUpdate();
    s_cancelled = false;
    m_rowsLoaded = 0;
    m_pagesWanted = pages == -1 ? info.TotalPages : pages;
    m_pagesDone = 0;
    const uint32_t loadFlags = pages == 1 ? kLoadOnePage : kLoadManyPages;
    info.StructSize = sizeof info;
    info.Flags = 0;
    PixBitmap temporary;
    P_InitBitmap(&temporary, sizeof temporary, 0, 0, 0);
    status =
        pix::LoadFileFromBytes(file.bytes(), &temporary, sizeof temporary, bitsPerPixel, kOrderBGR,
                               loadFlags, PixImageLoadCallback, this, &options, &info);
    if (status == pix::kUserAbort && !m_loadCancelled) status = pix::kSuccess;
    if (s_cancelled) m_loadCancelled = true;
    if (!m_loadCancelled && status == pix::kSuccess) {
        m_fileName = fileName;
        if (P_GetBitmapListItem(m_list, 0, &m_bitmap, sizeof(PixBitmap)) == pix::kSuccess) {
            m_imageAllocated = true;
        } else {
            status = pix::kInvalidBitmap;
        }
    }
    return status;
}
