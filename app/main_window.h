// SPDX-License-Identifier: GPL-3.0-or-later
// TForm1, the application's one window: the left view, the right view, the
// hidden work image, the color pencil box, the Adjustments buttons, the menu,
// and every non-visual component; start-up and close.
#pragma once

#include <QCheckBox>
#include <QFileDialog>
#include <QGroupBox>
#include <QMainWindow>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <string>

#include "app/undo_history.h"
#include "imaging/control/pix_image.h"
#include "imaging/dialogs/pix_dlg_components.h"
#include "imaging/dialogs/pix_dlg_service.h"
#include "net/http.h"
#include "skin/qt/skin_data.h"

class TForm1 : public QMainWindow {
    Q_OBJECT

public:
    // `siteHost` is the product web site's host (the build-time one unless a
    // test gives another). Without one, start and close open no site and
    // there is no update check.
    explicit TForm1(const std::string& siteHost = DefaultSiteHost(), QWidget* parent = nullptr);
    ~TForm1() override;

    static std::string DefaultSiteHost();
    // The open dialog's filter, "description|pattern|...", and the dialog's
    // name filters made from it.
    static const char* const kOpenFilter;
    static QStringList NameFilters(const QString& filter);
    std::string SiteAddress() const { return "http://" + siteHost_; }
    const std::string& PhotoFileName() const { return photoFileName_; }

    // Command handlers.
    void Load1Click();
    // Loads `path` exactly as File > Load does when that name is confirmed in
    // its dialog: the size rule, both views, PhotoFileName and the dialog's
    // memory of the name. A relative path is taken from the working folder.
    void OpenPhoto(const QString& path);
    // The folder the open dialog shows: that of the last confirmed photo, or
    // the user's Pictures folder (the home folder when there is none) before.
    QString OpenDialogFolder() const;
    void Save1Click();
    void Drawsketch1Click();
    void Equalize1Click();
    void Button5Click();
    void SharpenClick();
    // Undo and redo of the right view: Ctrl+Z and Ctrl+Shift+Z.
    // Help > About Strakel: the version, the copyright and the licence.
    void About1Click();
    static std::string AboutText();
    void Undo1Click();
    void Redo1Click();
    // The right view's drawing is saved as it stands: closing asks no more
    // until it changes again. Save As calls this after a successful save.
    void MarkDrawingSaved();
    bool DrawingChangedSinceSaved() const;
    const UndoHistory& DrawingHistory() const { return undoHistory_; }
    // The box's text for a photo that cannot be loaded: the file and the
    // engine's reason.
    static std::string CannotLoadMessage(const std::string& fileName, int32_t status);

    // Controls.
    QWidget* Client = nullptr;
    TPixImage* PixImage1 = nullptr;
    TPixImage* PixImage2 = nullptr;
    TPixImage* Pixbackgnd = nullptr;
    QCheckBox* color_pencil = nullptr;
    QGroupBox* Adjustments = nullptr;
    QPushButton* Button5 = nullptr;
    QPushButton* Sharpen = nullptr;
    QPlainTextEdit* Memo1 = nullptr;

    // Menu.
    QMenu* File1 = nullptr;
    QAction* Load1 = nullptr;
    QAction* Save1 = nullptr;
    QMenu* Sketch1 = nullptr;
    QAction* Drawsketch1 = nullptr;
    QAction* Equalize1 = nullptr;
    QAction* Equalaze1 = nullptr;
    QMenu* Help1 = nullptr;
    QAction* About1 = nullptr;
    // Shortcuts on the window, in no menu.
    QAction* Undo1 = nullptr;
    QAction* Redo1 = nullptr;

    // Non-visual components.
    // The open dialog, made on first use.
    QFileDialog* OpenDialog1();
    TPixDlgService* PixDlgService1 = nullptr;
    TPixDlgColor* PixDlgColor1 = nullptr;
    TPixDlgImgEffect* PixDlgImgEffect1 = nullptr;
    TPixDlgFile* PixDlgFile1 = nullptr;
    TNetHTTP NetHTTP1;
    TSkinData* SD1 = nullptr;

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    QFileDialog* openDialog1_ = nullptr;
    void CreateControls();
    void CreateMenu();
    void CreateHelpMenu();
    void CreateKeys();
    void LoadConfirmedPhoto();
    void FormCreate();
    void FormClose();
    void UpdateCheck();
    void WireDrawingHistory();
    // After an accepted Load: the history starts over from the loaded photo.
    void ResetDrawingHistory();
    // Asks `question` about a changed, unsaved drawing (Save, Discard,
    // Cancel); false when the drawing must stay: Cancel, or a Save that did
    // not write it.
    bool MayDiscardDrawing(const char* question);

    std::string siteHost_;
    std::string photoFileName_;
    // What the open dialog remembers between uses: the last confirmed name and
    // filter entry.
    QString lastConfirmedFile_;
    QString lastConfirmedFilter_;
    UndoHistory undoHistory_;
    // Whether the first show has placed the window on its screen.
    bool placed_ = false;
};
