#include "imaging/dialogs/pix_dlg_service.h"

#include "imaging/engine/ui/dialog_library.h"

TPixDlgService::TPixDlgService(QObject* owner) : QObject(owner) {}

int32_t TPixDlgService::InitDialogs(int32_t flags) {
    m_lastStatus = P_DlgInit(flags);
    if (m_lastStatus == 1) P_DlgSetFont(m_font);
    return m_lastStatus;
}
