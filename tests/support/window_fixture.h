// SPDX-License-Identifier: GPL-3.0-or-later
// The set-up every test of the main window shares: boxes and opened addresses
// recorded instead of shown, the save question answered by a driver, the
// engine's dialogs and hooks put back after each test, and the open dialog.
#pragma once

#include <QAbstractButton>
#include <QDialog>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>
#include <QTest>
#include <QTimer>
#include <functional>
#include <string>
#include <vector>

#include "app/main_window.h"
#include "app/save_prompt.h"
#include "imaging/dialogs/dlg_engine.h"
#include "imaging/engine/ui/dialog_library.h"
#include "platform/qt/message_box.h"
#include "platform/qt/open_url.h"
#include "platform/qt/quit_request.h"

namespace window_test {

// The window's open dialog; the one place the tests reach it.
inline QFileDialog* OpenDialog(TForm1& form) {
    return form.OpenDialog1();
}

// Runs File > Load through the real dialog: `path` is selected and confirmed,
// or the dialog cancelled when it is empty. Returns the folder the dialog
// showed when it opened. The name is selected through the dialog's own API,
// never typed into its name box: the folder listing applies a pending
// selection later and would overwrite what was typed.
inline QString ChooseInLoad(TForm1& form, const QString& path) {
    QString shown;
    QTimer::singleShot(0, &form, [&form, &shown, path] {
        QFileDialog* dialog = OpenDialog(form);
        shown = dialog->directory().absolutePath();
        if (path.isEmpty()) {
            dialog->reject();
            return;
        }
        // The dialog writes a selected name into its name box only while
        // that box has no focus, and its folder listing, which runs on a
        // thread of its own, may replace the name until it has caught up:
        // the name is selected until the dialog reports it.
        const QFileInfo file(path);
        dialog->setDirectory(file.absolutePath());
        const QStringList wanted{file.absoluteFilePath()};
        (void)QTest::qWaitFor([&] {
            if (QWidget* focused = dialog->focusWidget()) focused->clearFocus();
            dialog->selectFile(file.fileName());
            return dialog->selectedFiles() == wanted;
        });
        static_cast<QDialog*>(dialog)->accept();
        // A dialog that would not take the name is cancelled, so that the
        // test fails on what was loaded rather than waiting for ever.
        if (dialog->isVisible()) dialog->reject();
    });
    form.Load1->trigger();
    return shown;
}

inline QString ChooseInLoad(TForm1& form, const std::string& path) {
    return ChooseInLoad(form, QString::fromStdString(path));
}

// Loads `path` as a confirmed File > Load does, without the dialog.
inline void Open(TForm1& form, const std::string& path) {
    form.OpenPhoto(QString::fromStdString(path));
}
inline void Open(TForm1& form, const QString& path) {
    form.OpenPhoto(path);
}

class Fixture {
public:
    std::vector<std::string> messages;  // texts of the boxes shown
    std::vector<std::string> prompts;   // texts of the save questions asked
    RecordingUrlOpener urls;

    // For the test's init(): nothing recorded yet, the recorders installed.
    void Begin() {
        messages.clear();
        prompts.clear();
        urls.opened.clear();
        SetUrlOpener(&urls);
        SetBoxRecorder([this](BoxKind, const std::string&, const std::string& text) {
            messages.push_back(text);
        });
    }

    // For the test's cleanup(): every recorder, driver and hook a test may
    // have installed goes, so the next test starts as the program does.
    void End() {
        SetUrlOpener(nullptr);
        SetBoxRecorder(nullptr);
        SetSavePromptDriver(nullptr);
        SetDlgEngine(nullptr);
        P_DlgSetShownHook(nullptr);
        ResetQuitRequest();
    }

    // Every save question from now on is answered with `button`, clicked once
    // the box runs; `check`, when given, sees the box first.
    void AnswerPrompt(QMessageBox::StandardButton button,
                      std::function<void(QMessageBox&)> check = nullptr) {
        SetSavePromptDriver([this, button, check](QMessageBox& box) {
            prompts.push_back(box.text().toStdString());
            if (check) check(box);
            QAbstractButton* chosen = box.button(button);
            QTimer::singleShot(0, chosen, [chosen] { chosen->click(); });
        });
    }

    // The boxes shown, for a failure's message.
    std::string Shown() const {
        std::string all = "boxes shown:";
        for (const std::string& m : messages) all += " \"" + m + "\"";
        return all;
    }
};

}  // namespace window_test
