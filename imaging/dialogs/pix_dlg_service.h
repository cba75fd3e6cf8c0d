// SPDX-License-Identifier: GPL-3.0-or-later
// TPixDlgService, the component that initialises the engine's dialog library
// and owns the font of its dialogs; the dialog components' error classes; and
// the process-wide modal bracket around every engine dialog.
#pragma once

#include <QFont>
#include <QObject>
#include <cstdint>
#include <string>

#include "platform/app_error.h"

// A component that may not be created now.
class EInvalidOperation : public AppError {
public:
    using AppError::AppError;
};
class EPixDlgServiceError : public AppError {
public:
    using AppError::AppError;
};
class EPixDlgColorError : public AppError {
public:
    using AppError::AppError;
};
class EPixDlgFileError : public AppError {
public:
    using AppError::AppError;
};
class EPixDlgImgEffectError : public AppError {
public:
    using AppError::AppError;
};

// The message formats of the status checks: "%s \nError code: %d\n%s: %s "
// (service, file and image-effect components) and "%s \nErrorcode: %d\n%s: %s "
// (colour component), filled with the component's name, the code, the
// operation and the code's status text.
std::string DlgErrorMessage(const std::string& name, int32_t code, const std::string& operation);
std::string DlgColorErrorMessage(const std::string& name, int32_t code,
                                 const std::string& operation);

// -789 is reported as -999; codes below 100 other than 1 are failures.
int32_t DlgReportedCode(int32_t code);
bool DlgCodeFails(int32_t code);

class TPixDlgService : public QObject {
    Q_OBJECT

public:
    // Only one service may exist at a time: a second raises EInvalidOperation
    // "Two Contorl objects are not allowed " and is not created.
    explicit TPixDlgService(QObject* owner = nullptr);
    ~TPixDlgService() override;

    // The owned font. Assigning at run time copies the font and hands it to
    // the engine; LoadDialogsFont, as the window's description sets it while
    // the window is built, only copies.
    const QFont& DialogsFont() const { return font_; }
    void SetDialogsFont(const QFont& font);
    void LoadDialogsFont(const QFont& font) { font_ = font; }

    // Initialises the engine's dialog library; the status check's result.
    int32_t InitDialogs(uint32_t flags);
    int32_t LastStatus() const { return lastStatus_; }
    int32_t CheckStatus(const std::string& operation, int32_t code, bool allowRaise);

private:
    int32_t lastStatus_ = 0;
    QFont font_;
};

// The modal bracket: Begin disables every visible, enabled top-level window of
// the application and remembers them, the active window and the focus; End
// re-enables exactly those windows, activates the remembered window and gives
// the focus back. Not nested; one engine dialog at a time.
void BeginDialogModal();
void EndDialogModal();
