// SPDX-License-Identifier: GPL-3.0-or-later
// TPixDlgImgEffect, the component that runs the engine's sharpen dialog on the
// bitmap of an image control.
#pragma once

#include <cstdint>

#include "imaging/dialogs/pix_dlg_component.h"

class TPixDlgImgEffect : public TPixDlgComponent {
    Q_OBJECT

public:
    explicit TPixDlgImgEffect(QObject* owner = nullptr) : TPixDlgComponent(owner) {}

    int32_t SharpenAmount() const { return sharpenAmount_; }
    void SetSharpenAmount(int32_t amount) { sharpenAmount_ = amount; }

    // 100 on OK, 101 on Cancel. Raises EPixDlgImgEffectError ("Error code")
    // for a failing engine result.
    int32_t ShowSharpenDlg(QWidget* parent);

protected:
    [[noreturn]] void RaiseError(int32_t code, const std::string& operation) override;

private:
    int32_t sharpenAmount_ = 0;
};
