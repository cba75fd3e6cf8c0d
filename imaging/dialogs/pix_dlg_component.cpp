// SPDX-License-Identifier: GPL-3.0-or-later
#include "imaging/dialogs/pix_dlg_component.h"

#include <QCoreApplication>
#include <exception>

#include "imaging/control/pix_image.h"
#include "imaging/dialogs/dlg_engine.h"
#include "imaging/dialogs/pix_dlg_service.h"
#include "platform/qt/message_box.h"

namespace {

// Closes the modal bracket when the dialog run ends, also by an error.
struct ModalBracket {
    ModalBracket() { BeginDialogModal(); }
    ~ModalBracket() { EndDialogModal(); }
    ModalBracket(const ModalBracket&) = delete;
    ModalBracket& operator=(const ModalBracket&) = delete;
};

}  // namespace

void DialogHelpCallback(uint32_t dialogId, uint32_t /*value*/, void* userData) {
    auto* component = static_cast<TPixDlgComponent*>(userData);
    if (!component || !component->OnDlgHelp) return;
    try {
        component->OnDlgHelp(component, dialogId);
    } catch (const std::exception& e) {
        ShowErrorBox(e.what());
    }
}

int32_t TPixDlgComponent::CheckStatus(const std::string& operation, int32_t code, bool allowRaise) {
    lastStatus_ = DlgReportedCode(code);
    if (allowRaise && enableMethodErrors_ && DlgCodeFails(lastStatus_))
        RaiseError(lastStatus_, operation);
    return lastStatus_;
}

int32_t TPixDlgComponent::RunDialog(QWidget* parent, const std::string& operation,
                                    EngineDialog dialog, int32_t* value) {
    PixBitmap* bitmap = pixImage_ ? pixImage_->HasBitmap() : nullptr;
    if (service_) lastStatus_ = CurrentDlgEngine().SetFont(service_->DialogsFont());

    PixDlgAdjustParams params{};
    params.StructSize = sizeof params;
    params.Bitmap = bitmap;
    params.Switch = dialogSwitch_ ? -1 : 0;
    params.Value = *value;
    params.Flags = dialogFlags_;
    params.HelpCallback = RecordHelpCallback();
    params.UserData = this;

    ModalBracket bracket;
    const int32_t result = dialog(parent, &params);
    if (result == kDlgOk) {
        dialogSwitch_ = params.Switch != 0;
        *value = params.Value;
        if ((dialogFlags_ & kDlgApplyToBitmap) && pixImage_) {
            QEvent update(BitmapUpdateMessage);
            QCoreApplication::sendEvent(pixImage_, &update);
        }
    }
    return CheckStatus(operation, result, true);
}
