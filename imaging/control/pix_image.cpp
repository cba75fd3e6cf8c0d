#include "imaging/control/pix_image.h"

#include <QCoreApplication>
#include <QPaintEvent>
#include <exception>

#include "imaging/engine/pix_dc.h"
#include "imaging/engine/status_callback.h"
#include "imaging/engine/status_codes.h"
#include "platform/qt/message_box.h"
#include "platform/qt/system_colors.h"

// State of the user-interface thread's engine status callback, which carries
// no per-call context: the control whose operation is running heads the chain.
// Controls are widgets and live on that thread only, so one chain serves all.
TPixImage* TPixImage::s_chainHead = nullptr;
bool TPixImage::s_cancelRequested = false;
bool TPixImage::s_cancelled = false;

int32_t PixImageStatusCallback(int32_t percent, void* /*userData*/) {
    TPixImage* head = TPixImage::s_chainHead;
    if (!head) {
        TPixImage::s_cancelRequested = false;
        TPixImage::s_cancelled = true;
        return 1;
    }
    if (head->m_enableProgressEvent) {
        const bool lockUpdates = head->m_painting && head->OnStatus;
        if (lockUpdates) head->setUpdatesEnabled(false);
        if (head->OnStatus) head->OnStatus(head, percent);
        if (lockUpdates) head->setUpdatesEnabled(true);
        return 1;
    }
    if (TPixImage::s_cancelRequested) {
        TPixImage::s_cancelRequested = false;
        TPixImage::s_cancelled = true;
        return 0;
    }
    return 1;
}

TPixImage::TPixImage(QWidget* parent) : QWidget(parent) {
    m_backColor = SystemColorValue(SystemColor::BtnFace);
    P_InitBitmap(&m_bitmap, sizeof(PixBitmap), 0, 0, 0);
    P_InitBitmap(&m_backup, sizeof(PixBitmap), 0, 0, 0);
    resize(150, 150);
    // All background work happens in paintEvent.
    setAttribute(Qt::WA_OpaquePaintEvent);
    m_constructing = false;
}

TPixImage::~TPixImage() {
    m_destroying = true;
    if (m_bitmapDC) P_DeletePixDC(m_bitmapDC);
    if (m_callbackActive) PopStatusChain();
    if (m_list) P_DestroyBitmapList(m_list);
    P_FreeBitmap(&m_backup);
    m_imageAllocated = false;
}

std::string TPixImage::Name() const {
    return objectName().toLocal8Bit().toStdString();
}

PixBitmap* TPixImage::HasBitmap() {
    m_lastStatus = pix::kSuccess;
    if (!m_imageAllocated || (m_callbackActive && m_busy)) return nullptr;
    return &m_bitmap;
}

HDC TPixImage::GetBitmapDC() {
    CheckNotBusy();
    if (!m_imageAllocated) {
        m_lastStatus = pix::kInvalidBitmap;
        throw EPixImageError(Name() + " \nGetBitmapDC: Image Not allocated.");
    }
    m_bitmapDC = P_CreatePixDC(&m_bitmap);
    int32_t status = pix::kFailure;
    if (m_bitmapDC) {
        status = pix::kSuccess;
        m_busy = true;
    }
    CheckStatus("GetBitmapDC", status);
    return m_bitmapDC;
}

int32_t TPixImage::ReleaseBitmapDC() {
    int32_t status = pix::kFailure;
    if (m_bitmapDC) {
        status = P_DeletePixDC(m_bitmapDC);
        m_bitmapDC = nullptr;
        m_imageAllocated = true;
    }
    m_busy = false;
    return CheckStatus("ReleaseBitmapDC", status);
}

int32_t TPixImage::RefreshBitmap() {
    int32_t status = pix::kSuccess;
    if (m_imageAllocated && !(m_bitmap.Flags & kBitmapAllocated) && !m_loading) {
        // The current page lost its pixels: drop it and show a neighbour.
        CheckNotBusy();
        status = P_RemoveBitmapListItem(m_list, m_currentIndex);
        if (status == pix::kSuccess) {
            uint32_t count = 0;
            P_GetBitmapListCount(m_list, &count);
            if (count == 0) {
                m_currentIndex = 0;
            } else if (m_currentIndex >= count) {
                m_currentIndex = count - 1;
            }
            status = P_GetBitmapListItem(m_list, m_currentIndex, &m_bitmap, sizeof(PixBitmap));
            if (status == pix::kSuccess) {
                m_imageAllocated = true;
            } else {
                ResetDescriptor();
            }
            BitmapChanged();
        }
    }
    m_lastStatus = status;
    repaint();
    return status;
}

void TPixImage::BitmapChanged() {
    if (m_destroying) return;
    GeometryUpdate();
    m_changePending = true;
    if (m_constructing) return;
    if (m_autoRepaint) update();
    if (OnChange) OnChange(this);
}

void TPixImage::GeometryUpdate() {
    const bool swapped = m_bitmap.ViewPerspective >= 5 && m_bitmap.ViewPerspective <= 8;
    m_layout.SetBitmapExtent(swapped ? m_bitmap.Height : m_bitmap.Width,
                             swapped ? m_bitmap.Width : m_bitmap.Height);
    m_bitsPerPixel = m_bitmap.BitsPerPixel;
    m_bytesPerLine = m_bitmap.BytesPerLine;
    m_xResolution = m_bitmap.XResolution;
    m_yResolution = m_bitmap.YResolution;
    m_viewPerspective = m_bitmap.ViewPerspective;
    if (m_layout.autoSetRects) UpdateLayout(true);
}

void TPixImage::UpdateLayout(bool recompute) {
    if (m_destroying || m_inLayout) return;
    m_inLayout = true;
    const std::optional<PixSize> wanted =
        m_layout.Arrange(recompute, PixSize{width(), height()}, m_imageAllocated);
    // Resizing from inside the layout runs no second layout: m_inLayout holds.
    if (wanted) resize(wanted->Width, wanted->Height);
    m_layout.Center(PixSize{width(), height()});
    m_inLayout = false;
}

void TPixImage::Relayout() {
    if (m_constructing) return;
    UpdateLayout(true);
    if (m_autoRepaint) update();
}

void TPixImage::ResetDescriptor() {
    P_InitBitmap(&m_bitmap, sizeof(PixBitmap), 0, 0, 0);
    m_imageAllocated = false;
}

void TPixImage::SetEnableProgressEvent(bool on) {
    // Switching progress events off while an operation reports progress asks
    // the operation to stop; switching them on withdraws that request.
    if (!on && m_callbackActive) TPixImage::s_cancelRequested = true;
    if (on) TPixImage::s_cancelRequested = false;
    m_enableProgressEvent = on;
}

TPixImage* TPixImage::ExchangeChainHead(TPixImage* head) {
    TPixImage* previous = TPixImage::s_chainHead;
    TPixImage::s_chainHead = head;
    return previous;
}

void TPixImage::PushStatusChain() {
    m_callbackActive = true;
    m_previousChainHead = TPixImage::s_chainHead;
    TPixImage::s_chainHead = this;
    P_SetStatusCallBack(PixImageStatusCallback, nullptr, nullptr, nullptr);
}

void TPixImage::PopStatusChain() {
    TPixImage::s_chainHead = m_previousChainHead;
    m_previousChainHead = nullptr;
    P_SetStatusCallBack(TPixImage::s_chainHead ? PixImageStatusCallback : nullptr, nullptr, nullptr,
                        nullptr);
    m_callbackActive = false;
}

void TPixImage::BeginProcessing(PixBitmap* bitmap) {
    CheckNotBusy();
    m_busy = true;
    TPixImage::s_cancelled = false;
    // Short memory for the backup does not stop the operation.
    P_CopyBitmap(&m_backup, bitmap, sizeof(PixBitmap));
    PushStatusChain();
}

void TPixImage::EndProcessing(PixBitmap* bitmap) {
    const bool cancelled = TPixImage::s_cancelled;
    if (cancelled && (m_backup.Flags & kBitmapAllocated)) {
        P_CopyBitmap(bitmap, &m_backup, sizeof(PixBitmap));
    }
    PopStatusChain();
    P_FreeBitmap(&m_backup);
    P_InitBitmap(&m_backup, sizeof(PixBitmap), 0, 0, 0);
    if (m_list) P_SetBitmapListItem(m_list, m_currentIndex, bitmap, sizeof(PixBitmap));
    m_changePending = true;
    m_busy = false;
    if (m_constructing) return;
    if (m_autoRepaint) update();
    if (!cancelled && OnChange) OnChange(this);
}

void TPixImage::CheckNotBusy() {
    if (m_busy || m_callbackActive) RaiseStatusError("Processing Not allowed", pix::kFailure);
}

int32_t TPixImage::CheckAllocated(const std::string& operation, int32_t code) {
    CheckNotBusy();
    if (code != pix::kSuccess) {
        if (!m_imageAllocated) {
            m_lastStatus = pix::kInvalidBitmap;
            throw EPixImageError(Name() + " \n" + operation + ": Image Not allocated.");
        }
        m_lastStatus = pix::kSuccess;
    }
    return m_lastStatus;
}

int32_t TPixImage::CheckStatus(const std::string& operation, int32_t code, bool allowRaise) {
    if (code == pix::kInvalidStructSize) code = pix::kInternal;
    m_lastStatus = code;
    if (code != pix::kSuccess && m_enableMethodErrors && allowRaise) {
        throw EPixImageError(StatusErrorMessage(Name(), code, operation));
    }
    return code;
}

void TPixImage::RaiseStatusError(const std::string& text, int32_t code) {
    m_lastStatus = code;
    throw EPixImageError(StatusErrorMessage(Name(), code, text));
}

void TPixImage::RaiseInvalidValue(const std::string& operation) {
    m_lastStatus = pix::kInvalidParameter;
    throw EPixImageError(Name() + " \n " + operation + ": Invalid value passed.");
}

void TPixImage::FreeRgn() {
    CheckNotBusy();
    if (!m_imageAllocated) {
        m_lastStatus = pix::kInvalidBitmap;
        throw EPixImageError(Name() + " \nFreeRgn: Image not allocated.");
    }
    // The control keeps no region, so there is nothing to free; the descriptor
    // goes back into the list as the region call would leave it.
    int32_t status = pix::kSuccess;
    if (m_list) status = P_SetBitmapListItem(m_list, m_currentIndex, &m_bitmap, sizeof(PixBitmap));
    CheckStatus("FreeRgn", status);
}

void TPixImage::BitmapUpdate() {
    if (m_busy) {
        m_lastStatus = pix::kFailure;
        return;
    }
    if ((m_bitmap.Flags & kBitmapAllocated) && m_list) {
        P_SetBitmapListItem(m_list, m_currentIndex, &m_bitmap, sizeof(PixBitmap));
    }
    BitmapChanged();
    FreeRgn();
    BitmapChanged();
}

bool TPixImage::event(QEvent* e) {
    if (e->type() == BitmapUpdateMessage) {
        // No exception may leave through Qt's event delivery: an error of the
        // update (FreeRgn on an empty control) is shown in the application's
        // error box, as an error leaving a command handler is, and LastStatus
        // keeps its code.
        try {
            BitmapUpdate();
        } catch (const std::exception& error) {
            ShowErrorBox(error.what());
        }
        return true;
    }
    return QWidget::event(e);
}
