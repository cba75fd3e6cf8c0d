// TPixDlgService, the component that initialises the engine's dialog library
// and hands its font to the dialogs; and the dialog components' error class.
#pragma once

#include <QFont>
#include <QObject>
#include <cstdint>
#include <string>

#include "platform/app_error.h"

class EPixDlgServiceError : public AppError {
public:
    using AppError::AppError;
};

class TPixDlgService : public QObject {
    Q_OBJECT

public:
    explicit TPixDlgService(QObject* owner = nullptr);

    // Initialises the dialog library and returns its status.
    int32_t InitDialogs(int32_t flags);
    int32_t LastStatus() const { return m_lastStatus; }
    QFont DialogsFont() const { return m_font; }
    void SetDialogsFont(const QFont& font) { m_font = font; }

private:
    int32_t m_lastStatus = 1;
    QFont m_font;
};
