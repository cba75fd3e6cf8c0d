// SPDX-License-Identifier: GPL-3.0-or-later
// Answers the engine's brightness and sharpen dialogs in tests, as a user
// would: types a value into the spin box and presses OK or Cancel, so that no
// dialog is left waiting.
#pragma once

#include <QDialog>
#include <QDialogButtonBox>
#include <QPushButton>
#include <QSpinBox>
#include <functional>

#include "imaging/engine/ui/dialog_library.h"

namespace dialog_driver {

enum class Press { Ok, Cancel };

// Every dialog opened from now on gets `value` and `press`; `inspect`, when
// given, sees the dialog first; `count`, when given, counts the dialogs.
inline void AnswerDialogs(int value, Press press, std::function<void(QDialog*)> inspect = nullptr,
                          int* count = nullptr) {
    P_DlgSetShownHook([=](QDialog* dialog) {
        if (count) ++*count;
        if (inspect) inspect(dialog);
        if (auto* spin = dialog->findChild<QSpinBox*>("value")) spin->setValue(value);
        auto* buttons = dialog->findChild<QDialogButtonBox*>();
        QPushButton* button = buttons
                                  ? buttons->button(press == Press::Ok ? QDialogButtonBox::Ok
                                                                       : QDialogButtonBox::Cancel)
                                  : nullptr;
        if (button && button->isEnabled() && dialog->isEnabled())
            button->click();
        else
            dialog->reject();  // a dialog that cannot be used is never left waiting
    });
}

inline void Stop() {
    P_DlgSetShownHook(nullptr);
}

}  // namespace dialog_driver
