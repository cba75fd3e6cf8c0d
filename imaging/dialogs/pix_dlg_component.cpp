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
    m_lastStatus = DlgReportedCode(code);
    if (allowRaise && m_enableMethodErrors && DlgCodeFails(m_lastStatus))
        RaiseError(m_lastStatus, operation);
    return m_lastStatus;
}

int32_t TPixDlgComponent::RunDialog(QWidget* parent, const std::string& operation,
                                    EngineDialog dialog, int32_t* value) {
    PixBitmap* bitmap = m_pixImage ? m_pixImage->HasBitmap() : nullptr;
    if (m_service) m_lastStatus = CurrentDlgEngine().SetFont(m_service->DialogsFont());

    PixDlgAdjustParams params{};
    params.StructSize = sizeof params;
    params.Bitmap = bitmap;
    params.Switch = m_dialogSwitch ? -1 : 0;
    params.Value = *value;
    params.Flags = m_dialogFlags;
    params.HelpCallback = m_showHelpButton ? DialogHelpCallback : nullptr;
    params.UserData = this;

    ModalBracket bracket;
    const int32_t result = dialog(parent, &params);
    if (result == kDlgOk) {
        m_dialogSwitch = params.Switch != 0;
        *value = params.Value;
        if ((m_dialogFlags & kDlgApplyToBitmap) && m_pixImage) {
            QEvent update(BitmapUpdateMessage);
            QCoreApplication::sendEvent(m_pixImage, &update);
        }
    }
    return CheckStatus(operation, result, true);
}
