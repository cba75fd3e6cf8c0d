// SPDX-License-Identifier: GPL-3.0-or-later
// TPixDlgColor, the component that runs the engine's brightness dialog on the
// bitmap of an image control.
#pragma once

#include <cstdint>

#include "imaging/dialogs/pix_dlg_component.h"

class TPixDlgColor : public TPixDlgComponent {
    Q_OBJECT

public:
    explicit TPixDlgColor(QObject* owner = nullptr) : TPixDlgComponent(owner) {}

    int32_t BrightnessChange() const { return brightnessChange_; }
    void SetBrightnessChange(int32_t change) { brightnessChange_ = change; }

    // 100 on OK, 101 on Cancel; hands the service's font to the engine first
    // when PixDlgService is set. Raises EPixDlgColorError ("Errorcode") for a
    // failing engine result.
    int32_t ShowBrightnessDlg(QWidget* parent);

protected:
    [[noreturn]] void RaiseError(int32_t code, const std::string& operation) override;

private:
    int32_t brightnessChange_ = 0;
};
