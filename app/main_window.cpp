// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/main_window.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QCloseEvent>
#include <QCompleter>
#include <QLayout>
#include <QMenuBar>
#include <QScreen>
#include <QShowEvent>

#include "app/handler_guard.h"
#include "app/save_prompt.h"
#include "app/site_config.h"
#include "app/update/memo_rows.h"
#include "app/update/update_check.h"
#include "app/window_placement.h"
#include "imaging/engine/ui/save_dialog_records.h"
#include "platform/qt/message_box.h"
#include "platform/qt/open_url.h"
#include "platform/qt/quit_request.h"
#include "platform/qt/system_colors.h"
#include "skin/qt/skin_location.h"

namespace {

// The window's font: the desktop's sans-serif at 8 points.
QFont WindowFont() {
    QFont font = QApplication::font();
    font.setStyleHint(QFont::SansSerif);
    font.setPointSize(8);
    return font;
}

// The designed text colour of a themed control. Themed buttons, check boxes and
// group boxes draw their captions in the theme's text colour (white on a light
// face would be unreadable), so the colour is kept for the skin to use.
void SetTextColor(QWidget* w, const QColor& color) {
    w->setProperty("designTextColor", color);
}

TPixImage* MakeImage(QWidget* parent, const char* name, const QRect& geometry) {
    auto* image = new TPixImage(parent);
    image->setObjectName(name);
    image->setGeometry(geometry);
    return image;
}

}  // namespace

std::string TForm1::DefaultSiteHost() {
    return kSiteHost;
}

TForm1::TForm1(const std::string& siteHost, QWidget* parent)
    : QMainWindow(parent), siteHost_(siteHost) {
    setObjectName("Form1");
    setWindowTitle("Strakel");
    // A thin caption with a close button only; not resizable.
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowCloseButtonHint);
    setFont(WindowFont());
    QPalette p = palette();
    p.setColor(QPalette::Window, SystemColorValue(SystemColor::BtnFace));
    p.setColor(QPalette::WindowText, SystemColorValue(SystemColor::WindowText));
    setPalette(p);
    setAutoFillBackground(true);

    CreateControls();
    CreateMenu();
    CreateHelpMenu();
    CreateKeys();
    setAcceptDrops(true);
    WireDrawingHistory();

    PixDlgService1 = new TPixDlgService(this);
    PixDlgService1->setObjectName("PixDlgService1");
    PixDlgService1->LoadDialogsFont(WindowFont());
    PixDlgColor1 = new TPixDlgColor(this);
    PixDlgColor1->setObjectName("PixDlgColor1");
    PixDlgColor1->SetShowHelpButton(true);
    PixDlgImgEffect1 = new TPixDlgImgEffect(this);
    PixDlgImgEffect1->setObjectName("PixDlgImgEffect1");
    PixDlgFile1 = new TPixDlgFile(this);
    PixDlgFile1->setObjectName("PixDlgFile1");
    SD1 = new TSkinData(this);
    SD1->setObjectName("SD1");
    SD1->SetSkinFormtype(sfMainform);
    SD1->SetOptions(kAllSkinOptions);
    SD1->SetMenuUpdate(false);
    SD1->SetMenuMerge(false);

    // The client area is fixed; the menu bar sits above it.
    Client->setFixedSize(1025, 586);
    setCentralWidget(Client);
    move(kDesignedWindowPosition);
    layout()->setSizeConstraint(QLayout::SetFixedSize);

    RunHandler([this] { FormCreate(); });
}

TForm1::~TForm1() = default;

void TForm1::CreateControls() {
    Client = new QWidget(this);
    Client->setObjectName("Client");
    const QColor grayText = SystemColorValue(SystemColor::GrayText);

    PixImage1 = MakeImage(Client, "PixImage1", QRect(16, 56, 489, 425));
    PixImage1->SetBackColor(grayText);
    PixImage2 = MakeImage(Client, "PixImage2", QRect(512, 51, 489, 425));
    PixImage2->SetBackColor(grayText);
    Pixbackgnd = MakeImage(Client, "Pixbackgnd", QRect(24, 528, 33, 78));
    Pixbackgnd->setVisible(false);

    color_pencil = new QCheckBox("color pencil", Client);
    color_pencil->setObjectName("color_pencil");
    color_pencil->setGeometry(8, 8, 97, 17);
    // A check box fills its background from the Button role, not from Window.
    color_pencil->setAutoFillBackground(true);
    QPalette cp = color_pencil->palette();
    cp.setColor(QPalette::Button, SystemColorValue(SystemColor::BtnHighlight));
    color_pencil->setPalette(cp);
    SetTextColor(color_pencil, Qt::white);

    Adjustments = new QGroupBox("Adjustments", Client);
    Adjustments->setObjectName("Adjustments");
    Adjustments->setGeometry(8, 496, 193, 57);
    SetTextColor(Adjustments, SystemColorValue(SystemColor::Window));

    Button5 = new QPushButton("brightness", Adjustments);
    Button5->setObjectName("Button5");
    Button5->setGeometry(32, 24, 57, 25);
    SetTextColor(Button5, SystemColorValue(SystemColor::Window));
    connect(Button5, &QPushButton::clicked, this,
            [this] { RunHandler([this] { Button5Click(); }); });

    Sharpen = new QPushButton("Sharpen", Adjustments);
    Sharpen->setObjectName("Sharpen");
    Sharpen->setGeometry(112, 24, 57, 25);
    SetTextColor(Sharpen, SystemColorValue(SystemColor::Window));
    connect(Sharpen, &QPushButton::clicked, this,
            [this] { RunHandler([this] { SharpenClick(); }); });

    Memo1 = new QPlainTextEdit(Client);
    Memo1->setObjectName("Memo1");
    SetUpLineSplitter(*Memo1);
    Memo1->setVisible(false);

    // Tab order as designed; the work image lies under the Adjustments group.
    Pixbackgnd->lower();
    QWidget::setTabOrder(PixImage1, PixImage2);
    QWidget::setTabOrder(PixImage2, Pixbackgnd);
    QWidget::setTabOrder(Pixbackgnd, color_pencil);
    QWidget::setTabOrder(color_pencil, Adjustments);
    QWidget::setTabOrder(Adjustments, Button5);
    QWidget::setTabOrder(Button5, Sharpen);
    QWidget::setTabOrder(Sharpen, Memo1);
}

void TForm1::CreateMenu() {
    QMenuBar* bar = menuBar();
    bar->setObjectName("MainMenu1");
    File1 = bar->addMenu("File");
    File1->setObjectName("File1");
    Load1 = File1->addAction("Load");
    Load1->setObjectName("Load1");
    Save1 = File1->addAction("Save As");
    Save1->setObjectName("Save1");
    Sketch1 = bar->addMenu("Sketch");
    Sketch1->setObjectName("Sketch1");
    Drawsketch1 = Sketch1->addAction("Draw sketch");
    Drawsketch1->setObjectName("Drawsketch1");
    Equalize1 = Sketch1->addAction("Equalize");
    Equalize1->setObjectName("Equalize1");
    Equalaze1 = Sketch1->addAction("");
    Equalaze1->setObjectName("Equalaze1");

    connect(Load1, &QAction::triggered, this, [this] { RunHandler([this] { Load1Click(); }); });
    connect(Save1, &QAction::triggered, this, [this] { RunHandler([this] { Save1Click(); }); });
    connect(Drawsketch1, &QAction::triggered, this,
            [this] { RunHandler([this] { Drawsketch1Click(); }); });
    connect(Equalize1, &QAction::triggered, this,
            [this] { RunHandler([this] { Equalize1Click(); }); });
}

void TForm1::FormCreate() {
    // 1. Skin from the file beside the executable, else the installed one.
    SD1->SetSkinFile(
        FindSkinFile(QCoreApplication::applicationDirPath().toLocal8Bit().toStdString()));
    if (!SD1->Active()) SD1->SetActive(true);
    // 2. The web site; a build without one opens nothing.
    if (!siteHost_.empty()) CurrentUrlOpener().Open(SiteAddress());
    // 3. Update check; whatever it decides, start-up goes on.
    UpdateCheck();
    // 4. Both visible views fit the whole picture.
    PixImage1->SetPaintSizeMode(smFit);
    PixImage2->SetPaintSizeMode(smFit);
    // 5. The dialog library.
    PixDlgColor1->SetPixDlgService(PixDlgService1);
    if (PixDlgService1->InitDialogs(1) != 1) {
        ShowUserMessage("Error Initializing Dialogs");
        RequestQuit();
    }
}

void TForm1::UpdateCheck() {
    RunUpdateCheck(NetHTTP1, *Memo1, siteHost_);
}

void TForm1::FormClose() {
    if (!siteHost_.empty()) CurrentUrlOpener().Open(SiteAddress());
}

// Made on first use: building the dialog is a good part of the window's start.
QFileDialog* TForm1::OpenDialog1() {
    if (openDialog1_) return openDialog1_;
    openDialog1_ = new QFileDialog(this);
    openDialog1_->setObjectName("OpenDialog1");
    openDialog1_->setOption(QFileDialog::DontUseNativeDialog);
    openDialog1_->setOption(QFileDialog::ReadOnly, false);
    openDialog1_->setFileMode(QFileDialog::AnyFile);
    openDialog1_->setAcceptMode(QFileDialog::AcceptOpen);
    // The name box's completion list is a window of its own: left open, it
    // would stay on screen and take the next key pressed in the main window.
    connect(openDialog1_, &QDialog::finished, this, [this] {
        for (QCompleter* completer : openDialog1_->findChildren<QCompleter*>())
            if (completer->popup()) completer->popup()->hide();
    });
    return openDialog1_;
}

void TForm1::showEvent(QShowEvent* event) {
    QMainWindow::showEvent(event);
    // Placed once, when the frame's size is known: on a small or scaled
    // screen the designed position could leave the buttons off screen.
    if (placed_ || event->spontaneous()) return;
    placed_ = true;
    if (const QScreen* s = screen())
        move(FittedWindowPosition(frameGeometry(), s->availableGeometry()));
}

void TForm1::closeEvent(QCloseEvent* event) {
    if (!MayDiscardDrawing(kSaveBeforeClosingText)) {
        event->ignore();
        return;
    }
    RunHandler([this] { FormClose(); });
    event->accept();
}

void TForm1::Save1Click() {
    // The hourglass stays up for the whole command and goes on every way out,
    // also when the dialog or the save raises.
    struct WaitCursor {
        WaitCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
        ~WaitCursor() { QApplication::restoreOverrideCursor(); }
        WaitCursor(const WaitCursor&) = delete;
        WaitCursor& operator=(const WaitCursor&) = delete;
    } wait;

    PixDlgFile1->SetTitle("Save A File");
    PixDlgFile1->SetFileName("");
    PixDlgFile1->SetMaxFileTitleSize(0);
    PixDlgFile1->SetMaxFileSize(0);
    PixDlgFile1->SetOpenFileFlags(0);
    PixDlgFile1->SetDialogFlags(12);
    PixDlgFile1->SetPixImage(PixImage2);
    const int32_t result = PixDlgFile1->ShowSaveDlg(this);
    if (result < 100) {
        // A box is a window of its own and shows the normal pointer.
        QApplication::setOverrideCursor(Qt::ArrowCursor);
        ShowUserMessage("FileSave dialog failed,", "Error");
        QApplication::restoreOverrideCursor();
    }
    if (result != 100) return;

    TPixDlgFile& d = *PixDlgFile1;
    // The compression chosen in the dialog is this save's alone.
    const int32_t compression = DlgSaveCompression(d.AuxValue1());
    if (d.WithStamp()) {
        if (PixImage2->SaveWithStamp(d.FileName(), d.FileFormat(), d.BitsPerPixel(), d.QFactor(),
                                     d.StampWidth(), d.StampHeight(), d.StampBits(),
                                     compression) == 1)
            MarkDrawingSaved();
        return;
    }
    PixImage2->SetJBIG2Template1(d.JBIG2Template1());
    PixImage2->SetJBIG2Template1AT1X(d.JBIG2Template1AT1X());
    PixImage2->SetJBIG2Template1AT1Y(d.JBIG2Template1AT1Y());
    PixImage2->SetJBIG2Template1AT2X(d.JBIG2Template1AT2X());
    PixImage2->SetJBIG2Template1AT2Y(d.JBIG2Template1AT2Y());
    PixImage2->SetJBIG2Template1AT3X(d.JBIG2Template1AT3X());
    PixImage2->SetJBIG2Template1AT3Y(d.JBIG2Template1AT3Y());
    PixImage2->SetJBIG2Template1AT4X(d.JBIG2Template1AT4X());
    PixImage2->SetJBIG2Template1AT4Y(d.JBIG2Template1AT4Y());
    PixImage2->SetJBIG2ParamB(d.JBIG2ParamB());
    PixImage2->SetJBIG2ParamA(d.JBIG2ParamA());
    PixImage2->SetJBIG2Template2(d.JBIG2Template2());
    PixImage2->SetJBIG2Template2AT1X(d.JBIG2Template2AT1X());
    PixImage2->SetJBIG2Template2AT1Y(d.JBIG2Template2AT1Y());
    PixImage2->SetJBIG2Template2AT2X(d.JBIG2Template2AT2X());
    PixImage2->SetJBIG2Template2AT2Y(d.JBIG2Template2AT2Y());
    PixImage2->SetJBIG2Template2AT3X(d.JBIG2Template2AT3X());
    PixImage2->SetJBIG2Template2AT3Y(d.JBIG2Template2AT3Y());
    PixImage2->SetJBIG2Template2AT4X(d.JBIG2Template2AT4X());
    PixImage2->SetJBIG2Template2AT4Y(d.JBIG2Template2AT4Y());
    PixImage2->SetJBIG2ParamD(d.JBIG2ParamD());
    PixImage2->SetJBIG2ParamE(d.JBIG2ParamE());
    PixImage2->SetJBIG2ParamF(d.JBIG2ParamF());
    PixImage2->SetJBIG2ParamG(d.JBIG2ParamG());
    PixImage2->SetJBIG2ParamH(d.JBIG2ParamH());
    PixImage2->SetJBIG2ParamI(d.JBIG2ParamI());
    PixImage2->SetJBIG2ParamJ(d.JBIG2ParamJ());
    PixImage2->SetJBIG2ParamK(d.JBIG2ParamK());
    PixImage2->SetJBIG2ParamC(d.JBIG2ParamC());
    PixImage2->SetJBIG2ParamL(d.JBIG2ParamL());
    PixImage2->SetJBIG2ParamM(d.JBIG2ParamM());
    PixImage2->SetJBIG2ParamN(d.JBIG2ParamN());
    // The close question no longer asks about a drawing that is now on disk.
    if (PixImage2->Save(d.FileName(), d.FileFormat(), d.BitsPerPixel(), d.QFactor(), d.PageMode(),
                        compression) == 1)
        MarkDrawingSaved();
}
void TForm1::Button5Click() {
    if (!PixImage2->HasBitmap()) {
        ShowUserMessage("Imge empty");
        return;
    }
    if (PixImage2->isHidden()) return;
    // Every run starts the dialog from no change.
    PixDlgColor1->SetBrightnessChange(0);
    PixDlgColor1->SetDialogFlags(13);
    PixDlgColor1->SetPixImage(PixImage2);
    PixImage2->Intensity(PixDlgColor1->BrightnessChange());
    PixDlgColor1->ShowBrightnessDlg(this);
}

void TForm1::SharpenClick() {
    if (!PixImage2->HasBitmap()) {
        ShowUserMessage("Imge empty");
        return;
    }
    if (PixImage2->isHidden()) return;
    PixDlgImgEffect1->SetSharpenAmount(0);
    PixDlgImgEffect1->SetDialogFlags(13);
    PixDlgImgEffect1->SetPixImage(PixImage2);
    PixDlgImgEffect1->ShowSharpenDlg(this);
}
