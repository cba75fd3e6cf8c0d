// SPDX-License-Identifier: GPL-3.0-or-later
#include "imaging/dialogs/pix_dlg_color.h"

#include "imaging/dialogs/dlg_engine.h"
#include "imaging/dialogs/pix_dlg_service.h"

int32_t TPixDlgColor::ShowBrightnessDlg(QWidget* parent) {
    return RunDialog(
        parent, "ShowBrightnessDlg",
        [](QWidget* p, PixDlgAdjustParams* r) { return CurrentDlgEngine().Brightness(p, r); },
        &brightnessChange_);
}

void TPixDlgColor::RaiseError(int32_t code, const std::string& operation) {
    throw EPixDlgColorError(DlgColorErrorMessage(objectName().toStdString(), code, operation));
}
