// The brightness, sharpen and save dialog components as the main window owns
// them; each works on the bitmap of the image control it is pointed at.
#pragma once

#include <QObject>

#include "imaging/dialogs/pix_dlg_service.h"

class TPixDlgColor : public QObject {
    Q_OBJECT

public:
    explicit TPixDlgColor(QObject* owner = nullptr) : QObject(owner) {}
    TPixDlgService* PixDlgService() const { return m_service; }
    void SetPixDlgService(TPixDlgService* service) { m_service = service; }
    bool ShowHelpButton() const { return m_showHelpButton; }
    void SetShowHelpButton(bool on) { m_showHelpButton = on; }

private:
    TPixDlgService* m_service = nullptr;
    bool m_showHelpButton = false;
};

class TPixDlgImgEffect : public QObject {
    Q_OBJECT

public:
    explicit TPixDlgImgEffect(QObject* owner = nullptr) : QObject(owner) {}
};

class TPixDlgFile : public QObject {
    Q_OBJECT

public:
    explicit TPixDlgFile(QObject* owner = nullptr) : QObject(owner) {}
};
