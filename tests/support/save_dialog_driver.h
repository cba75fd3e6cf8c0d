// SPDX-License-Identifier: GPL-3.0-or-later
// Drives the engine's save dialog in tests as a user would: picks a format
// from the file types, types a name, presses Save or Cancel, and answers the
// question boxes it asks, so that no dialog is left waiting.
#pragma once

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QDialog>
#include <QDialogButtonBox>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>
#include <functional>

#include "imaging/engine/ui/dialog_library.h"

namespace save_driver {

// Chooses the file type whose text starts with `formatName` ("PNG", "TIFF"),
// as a click in the list does.
inline bool ChooseFormat(QDialog* dialog, const QString& formatName) {
    auto* combo = dialog->findChild<QComboBox*>("fileTypeCombo");
    if (!combo) return false;
    for (int i = 0; i < combo->count(); ++i) {
        if (combo->itemText(i).startsWith(formatName + " (")) {
            combo->setCurrentIndex(i);
            emit combo->activated(i);
            return true;
        }
    }
    return false;
}

inline QLineEdit* NameEdit(QDialog* dialog) {
    return dialog->findChild<QLineEdit*>("fileNameEdit");
}

inline void TypeName(QDialog* dialog, const QString& name) {
    if (QLineEdit* edit = NameEdit(dialog)) {
        edit->setText(name);
        emit edit->textEdited(name);
    }
}

// The file dialog's Save button.
inline QPushButton* SaveButton(QDialog* dialog) {
    auto* box = dialog->findChild<QDialogButtonBox*>("buttonBox");
    if (!box) return nullptr;
    for (QAbstractButton* b : box->buttons())
        if (box->buttonRole(b) == QDialogButtonBox::AcceptRole)
            return qobject_cast<QPushButton*>(b);
    return nullptr;
}

inline void PressSave(QDialog* dialog) {
    if (QPushButton* b = SaveButton(dialog); b && b->isEnabled()) {
        b->click();
    } else {
        dialog->accept();
    }
}

// Answers the next question box with `button` once it is shown, handing its
// text to `text` first.
inline void AnswerNextBox(QMessageBox::StandardButton button, QString* text = nullptr,
                          int* count = nullptr) {
    QTimer::singleShot(0, [=] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!box) return;
        if (count) ++*count;
        if (text) *text = box->text();
        if (QAbstractButton* b = box->button(button)) {
            b->click();
        } else {
            box->reject();
        }
    });
}

// Every save dialog opened from now on is handed to `drive`, which must end it
// (PressSave, reject); if it does not, it is cancelled.
inline void Drive(std::function<void(QDialog*)> drive) {
    P_DlgSetShownHook([drive](QDialog* dialog) {
        drive(dialog);
        if (dialog->isVisible()) dialog->reject();
    });
}

inline void Stop() {
    P_DlgSetShownHook(nullptr);
}

}  // namespace save_driver
