// SPDX-License-Identifier: GPL-3.0-or-later
#include "imaging/dialogs/pix_dlg_img_effect.h"

#include "imaging/dialogs/dlg_engine.h"
#include "imaging/dialogs/pix_dlg_service.h"

int32_t TPixDlgImgEffect::ShowSharpenDlg(QWidget* parent) {
    return RunDialog(
        parent, "ShowSharpenDlg",
        [](QWidget* p, PixDlgAdjustParams* r) { return CurrentDlgEngine().Sharpen(p, r); },
        &sharpenAmount_);
}

void TPixDlgImgEffect::RaiseError(int32_t code, const std::string& operation) {
    throw EPixDlgImgEffectError(DlgErrorMessage(objectName().toStdString(), code, operation));
}
