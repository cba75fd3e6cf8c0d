// SPDX-License-Identifier: GPL-3.0-or-later
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
    if (head->enableProgressEvent_) {
        const bool lockUpdates = head->painting_ && head->OnStatus;
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
    backColor_ = SystemColorValue(SystemColor::BtnFace);
    P_InitBitmap(&bitmap_, sizeof(PixBitmap), 0, 0, 0);
    P_InitBitmap(&backup_, sizeof(PixBitmap), 0, 0, 0);
    P_GetDefaultJ2KOptions(&j2kSave_, sizeof j2kSave_);
    P_GetPDFSaveOptions(&pdfSave_, sizeof pdfSave_);
    resize(150, 150);
    // All background work happens in paintEvent.
    setAttribute(Qt::WA_OpaquePaintEvent);
    constructing_ = false;
}

TPixImage::~TPixImage() {
    destroying_ = true;
    if (bitmapDC_) P_DeletePixDC(bitmapDC_);
    if (callbackActive_) PopStatusChain();
    if (list_) P_DestroyBitmapList(list_);
    P_FreeBitmap(&backup_);
    imageAllocated_ = false;
}

std::string TPixImage::Name() const {
    return objectName().toLocal8Bit().toStdString();
}

PixBitmap* TPixImage::HasBitmap() {
    lastStatus_ = pix::kSuccess;
    if (!imageAllocated_ || (callbackActive_ && busy_)) return nullptr;
    return &bitmap_;
}

HDC TPixImage::GetBitmapDC() {
    CheckNotBusy();
    if (!imageAllocated_) {
        lastStatus_ = pix::kInvalidBitmap;
        throw EPixImageError(Name() + " \nGetBitmapDC: Image Not allocated.");
    }
    bitmapDC_ = P_CreatePixDC(&bitmap_);
    int32_t status = pix::kFailure;
    if (bitmapDC_) {
        status = pix::kSuccess;
        busy_ = true;
    }
    CheckStatus("GetBitmapDC", status);
    return bitmapDC_;
}

int32_t TPixImage::ReleaseBitmapDC() {
    int32_t status = pix::kFailure;
    if (bitmapDC_) {
        status = P_DeletePixDC(bitmapDC_);
        bitmapDC_ = nullptr;
        imageAllocated_ = true;
    }
    busy_ = false;
    return CheckStatus("ReleaseBitmapDC", status);
}

int32_t TPixImage::RefreshBitmap() {
    int32_t status = pix::kSuccess;
    if (imageAllocated_ && !(bitmap_.Flags & kBitmapAllocated) && !loading_) {
        // The current page lost its pixels: drop it and show a neighbour.
        CheckNotBusy();
        status = P_RemoveBitmapListItem(list_, currentIndex_);
        if (status == pix::kSuccess) {
            uint32_t count = 0;
            P_GetBitmapListCount(list_, &count);
            if (count == 0) {
                currentIndex_ = 0;
            } else if (currentIndex_ >= count) {
                currentIndex_ = count - 1;
            }
            status = P_GetBitmapListItem(list_, currentIndex_, &bitmap_, sizeof(PixBitmap));
            if (status == pix::kSuccess) {
                imageAllocated_ = true;
            } else {
                ResetDescriptor();
            }
            BitmapChanged();
        }
    }
    lastStatus_ = status;
    repaint();
    return status;
}

void TPixImage::BitmapChanged() {
    if (destroying_) return;
    GeometryUpdate();
    changePending_ = true;
    if (constructing_) return;
    if (autoRepaint_) update();
    if (OnChange) OnChange(this);
}

void TPixImage::GeometryUpdate() {
    const bool swapped = bitmap_.ViewPerspective >= 5 && bitmap_.ViewPerspective <= 8;
    layout_.SetBitmapExtent(swapped ? bitmap_.Height : bitmap_.Width,
                            swapped ? bitmap_.Width : bitmap_.Height);
    bitsPerPixel_ = bitmap_.BitsPerPixel;
    bytesPerLine_ = bitmap_.BytesPerLine;
    xResolution_ = bitmap_.XResolution;
    yResolution_ = bitmap_.YResolution;
    viewPerspective_ = bitmap_.ViewPerspective;
    if (layout_.autoSetRects) UpdateLayout(true);
}

void TPixImage::UpdateLayout(bool recompute) {
    if (destroying_ || inLayout_) return;
    inLayout_ = true;
    const std::optional<PixSize> wanted =
        layout_.Arrange(recompute, PixSize{width(), height()}, imageAllocated_);
    // Resizing from inside the layout runs no second layout: inLayout_ holds.
    if (wanted) resize(wanted->Width, wanted->Height);
    layout_.Center(PixSize{width(), height()});
    inLayout_ = false;
}

void TPixImage::Relayout() {
    if (constructing_) return;
    UpdateLayout(true);
    if (autoRepaint_) update();
}

void TPixImage::ResetDescriptor() {
    P_InitBitmap(&bitmap_, sizeof(PixBitmap), 0, 0, 0);
    imageAllocated_ = false;
}

void TPixImage::SetEnableProgressEvent(bool on) {
    // Switching progress events off while an operation reports progress asks
    // the operation to stop; switching them on withdraws that request.
    if (!on && callbackActive_) TPixImage::s_cancelRequested = true;
    if (on) TPixImage::s_cancelRequested = false;
    enableProgressEvent_ = on;
}

TPixImage* TPixImage::ExchangeChainHead(TPixImage* head) {
    TPixImage* previous = TPixImage::s_chainHead;
    TPixImage::s_chainHead = head;
    return previous;
}

void TPixImage::PushStatusChain() {
    callbackActive_ = true;
    previousChainHead_ = TPixImage::s_chainHead;
    TPixImage::s_chainHead = this;
    P_SetStatusCallBack(PixImageStatusCallback, nullptr, nullptr, nullptr);
}

void TPixImage::PopStatusChain() {
    TPixImage::s_chainHead = previousChainHead_;
    previousChainHead_ = nullptr;
    P_SetStatusCallBack(TPixImage::s_chainHead ? PixImageStatusCallback : nullptr, nullptr, nullptr,
                        nullptr);
    callbackActive_ = false;
}

void TPixImage::BeginProcessing(PixBitmap* bitmap) {
    CheckNotBusy();
    busy_ = true;
    TPixImage::s_cancelled = false;
    // Short memory for the backup does not stop the operation.
    P_CopyBitmap(&backup_, bitmap, sizeof(PixBitmap));
    PushStatusChain();
}

void TPixImage::EndProcessing(PixBitmap* bitmap) {
    const bool cancelled = TPixImage::s_cancelled;
    if (cancelled && (backup_.Flags & kBitmapAllocated)) {
        P_CopyBitmap(bitmap, &backup_, sizeof(PixBitmap));
    }
    PopStatusChain();
    P_FreeBitmap(&backup_);
    P_InitBitmap(&backup_, sizeof(PixBitmap), 0, 0, 0);
    if (list_) P_SetBitmapListItem(list_, currentIndex_, bitmap, sizeof(PixBitmap));
    changePending_ = true;
    busy_ = false;
    if (constructing_) return;
    if (autoRepaint_) update();
    if (!cancelled && OnChange) OnChange(this);
}

void TPixImage::CheckNotBusy() {
    if (busy_ || callbackActive_) RaiseStatusError("Processing Not allowed", pix::kFailure);
}

int32_t TPixImage::CheckAllocated(const std::string& operation, int32_t code) {
    CheckNotBusy();
    if (code != pix::kSuccess) {
        if (!imageAllocated_) {
            lastStatus_ = pix::kInvalidBitmap;
            throw EPixImageError(Name() + " \n" + operation + ": Image Not allocated.");
        }
        lastStatus_ = pix::kSuccess;
    }
    return lastStatus_;
}

int32_t TPixImage::CheckStatus(const std::string& operation, int32_t code, bool allowRaise) {
    if (code == pix::kInvalidStructSize) code = pix::kInternal;
    lastStatus_ = code;
    if (code != pix::kSuccess && enableMethodErrors_ && allowRaise) {
        throw EPixImageError(StatusErrorMessage(Name(), code, operation));
    }
    return code;
}

void TPixImage::RaiseStatusError(const std::string& text, int32_t code) {
    lastStatus_ = code;
    throw EPixImageError(StatusErrorMessage(Name(), code, text));
}

void TPixImage::RaiseInvalidValue(const std::string& operation) {
    lastStatus_ = pix::kInvalidParameter;
    throw EPixImageError(Name() + " \n " + operation + ": Invalid value passed.");
}

void TPixImage::FreeRgn() {
    CheckNotBusy();
    if (!imageAllocated_) {
        lastStatus_ = pix::kInvalidBitmap;
        throw EPixImageError(Name() + " \nFreeRgn: Image not allocated.");
    }
    // The control keeps no region, so there is nothing to free; the descriptor
    // goes back into the list as the region call would leave it.
    int32_t status = pix::kSuccess;
    if (list_) status = P_SetBitmapListItem(list_, currentIndex_, &bitmap_, sizeof(PixBitmap));
    CheckStatus("FreeRgn", status);
}

void TPixImage::BitmapUpdate() {
    if (busy_) {
        lastStatus_ = pix::kFailure;
        return;
    }
    if ((bitmap_.Flags & kBitmapAllocated) && list_) {
        P_SetBitmapListItem(list_, currentIndex_, &bitmap_, sizeof(PixBitmap));
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
