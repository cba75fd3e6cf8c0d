// SPDX-License-Identifier: GPL-3.0-or-later
// The main window: controls, menus, start-up order and the close handler.
#include "app/main_window.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QMenuBar>
#include <QPushButton>
#include <QScreen>
#include <QTimer>
#include <QtTest>

#include "app/window_placement.h"
#include "platform/qt/message_box.h"
#include "platform/qt/open_url.h"
#include "platform/qt/quit_request.h"
#include "platform/qt/system_colors.h"
#include "strakel_version.h"
#include "tests/support/loopback_server.h"

namespace {

// Records each opened address with what the window looked like at that moment.
class OrderRecorder : public UrlOpener {
public:
    void Open(const std::string& url) override {
        opened.push_back(url);
        // The window being created is already a top-level widget.
        for (QWidget* w : QApplication::topLevelWidgets()) {
            if (auto* form = qobject_cast<TForm1*>(w)) {
                skinActiveAtOpen = form->SD1->Active();
                fitAtOpen = form->PixImage1->PaintSizeMode() == smFit;
            }
        }
    }
    std::vector<std::string> opened;
    bool skinActiveAtOpen = false;
    bool fitAtOpen = true;
};

struct Box {
    BoxKind kind;
    std::string caption;
    std::string text;
};

}  // namespace

class MainWindowTest : public QObject {
    Q_OBJECT

private:
    OrderRecorder urls_;
    std::vector<Box> boxes_;
    // A closed loopback port: the update check fails at once without leaving
    // this machine.
    const std::string host_ = "127.0.0.1:1";

private slots:
    void init() {
        urls_ = OrderRecorder();
        boxes_.clear();
        SetUrlOpener(&urls_);
        SetBoxRecorder([this](BoxKind k, const std::string& c, const std::string& t) {
            boxes_.push_back({k, c, t});
        });
        ResetQuitRequest();
    }
    void cleanup() {
        SetUrlOpener(nullptr);
        SetBoxRecorder(nullptr);
    }

    void placementKeepsTheWindowOnScreen_data() {
        QTest::addColumn<QRect>("available");
        QTest::addColumn<QPoint>("expected");
        QTest::newRow("fits: designed place") << QRect(0, 0, 1920, 1050) << QPoint(190, 114);
        QTest::newRow("panel on the left, still fits")
            << QRect(48, 0, 1872, 1080) << QPoint(190, 114);
        // 1600 x 1000 at a scale factor of 1.5, less a 30-pixel panel.
        QTest::newRow("scaled 1.5") << QRect(0, 0, 1067, 637) << QPoint(42, 0);
        QTest::newRow("right screen") << QRect(1920, 0, 1280, 1024) << QPoint(1920, 114);
        QTest::newRow("too small: top-left kept on screen")
            << QRect(0, 24, 800, 576) << QPoint(0, 24);
    }
    void placementKeepsTheWindowOnScreen() {
        QFETCH(QRect, available);
        QFETCH(QPoint, expected);
        QCOMPARE(FittedWindowPosition(QRect(QPoint(190, 114), QSize(1025, 640)), available),
                 expected);
    }

    void shownWindowLiesOnTheScreen() {
        TForm1 form("");
        const QRect available = form.screen()->availableGeometry();
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        const QRect frame = form.frameGeometry();
        // Along each side the window either lies within the screen at its
        // designed place, or starts where the screen starts.
        if (frame.width() <= available.width())
            QVERIFY(frame.left() >= available.left() && frame.right() <= available.right());
        else
            QCOMPARE(frame.left(), available.left());
        if (frame.height() <= available.height())
            QVERIFY(frame.top() >= available.top() && frame.bottom() <= available.bottom());
        else
            QCOMPARE(frame.top(), available.top());
    }

    void windowLayout() {
        TForm1 form("");
        QCOMPARE(form.windowTitle(), QString("Strakel"));
        QCOMPARE(form.Client->size(), QSize(1025, 586));
        QCOMPARE(form.pos(), QPoint(190, 114));
        QVERIFY(form.windowFlags() & Qt::WindowCloseButtonHint);
        QVERIFY(!(form.windowFlags() & Qt::WindowMaximizeButtonHint));
        QVERIFY(!(form.windowFlags() & Qt::WindowMinimizeButtonHint));

        struct Expect {
            QWidget* widget;
            QRect geometry;
            QString text;
        };
        const Expect controls[] = {
            {form.PixImage1, QRect(16, 56, 489, 425), ""},
            {form.PixImage2, QRect(512, 51, 489, 425), ""},
            {form.Pixbackgnd, QRect(24, 528, 33, 78), ""},
            {form.color_pencil, QRect(8, 8, 97, 17), "color pencil"},
            {form.Adjustments, QRect(8, 496, 193, 57), "Adjustments"},
            {form.Button5, QRect(32, 24, 57, 25), "brightness"},
            {form.Sharpen, QRect(112, 24, 57, 25), "Sharpen"},
            {form.Memo1, QRect(232, 536, 121, 41), "Memo1"},
        };
        for (const auto& c : controls) {
            QCOMPARE(c.widget->geometry(), c.geometry);
            if (auto* b = qobject_cast<QAbstractButton*>(c.widget)) QCOMPARE(b->text(), c.text);
            if (auto* g = qobject_cast<QGroupBox*>(c.widget)) QCOMPARE(g->title(), c.text);
        }
        QCOMPARE(form.Button5->parentWidget(), form.Adjustments);
        QCOMPARE(form.Sharpen->parentWidget(), form.Adjustments);
        QVERIFY(!form.color_pencil->isChecked());
        QVERIFY(form.Pixbackgnd->isHidden());
        QVERIFY(form.Memo1->isHidden());
        QVERIFY(!form.PixImage2->isHidden());
        QCOMPARE(form.color_pencil->property("designTextColor").value<QColor>(), QColor(Qt::white));
        QCOMPARE(form.Button5->property("designTextColor").value<QColor>(),
                 SystemColorValue(SystemColor::Window));

        // Tab order as designed.
        QCOMPARE(form.PixImage1->nextInFocusChain(), form.PixImage2);
    }

    void colorPencilBoxShowsItsHighlightBackground() {
        TForm1 form("");
        const QColor highlight = SystemColorValue(SystemColor::BtnHighlight);
        QVERIFY(highlight != form.palette().color(QPalette::Button));
        QCheckBox* box = form.color_pencil;
        QVERIFY(box->autoFillBackground());
        QCOMPARE(box->backgroundRole(), QPalette::Button);
        QCOMPARE(box->palette().color(QPalette::Button), highlight);
        // What the user sees: the box's corners, clear of the indicator and
        // the text, show the highlight and not the window's face.
        form.show();
        const QImage shot = box->grab().toImage();
        QCOMPARE(shot.size(), QSize(97, 17));
        QCOMPARE(shot.pixelColor(96, 0), highlight);
        QCOMPARE(shot.pixelColor(96, 16), highlight);
    }

    void menus() {
        TForm1 form("");
        const QList<QAction*> top = form.menuBar()->actions();
        QCOMPARE(top.size(), 3);
        QCOMPARE(top[0]->text(), QString("File"));
        QCOMPARE(top[1]->text(), QString("Sketch"));
        QCOMPARE(top[2]->text(), QString("Help"));
        QStringList file, sketch, help;
        for (QAction* a : form.File1->actions()) file << a->text();
        for (QAction* a : form.Sketch1->actions()) sketch << a->text();
        for (QAction* a : form.Help1->actions()) help << a->text();
        QCOMPARE(file, QStringList({"Load", "Save As"}));
        QCOMPARE(sketch, QStringList({"Draw sketch", "Equalize", ""}));
        QCOMPARE(help, QStringList({"About Strakel"}));

        // About tells the version, the copyright and the licence.
        boxes_.clear();
        form.About1->trigger();
        QCOMPARE(boxes_.size(), size_t(1));
        QCOMPARE(boxes_[0].text, "Strakel " + std::string(kStrakelVersion) +
                                     "\nCopyright (C) 2026 The Strakel developers.\n"
                                     "License GPL-3.0-or-later: GNU GPL version 3 or later "
                                     "<https://gnu.org/licenses/gpl.html>.\n"
                                     "This is free software: you are free to change and "
                                     "redistribute it.\n"
                                     "There is NO WARRANTY, to the extent permitted by law.\n"
                                     "\nTurns a photograph into a pencil drawing.");

        // The empty third entry does nothing.
        boxes_.clear();
        urls_.opened.clear();
        form.Equalaze1->trigger();
        QVERIFY(boxes_.empty());
        QVERIFY(urls_.opened.empty());
        QVERIFY(!QuitRequested());
    }

    void startUpOpensSiteAfterSkinAndBeforeFitModes() {
        TForm1 probe(host_);
        QCOMPARE(urls_.opened, std::vector<std::string>({"http://" + host_}));
        QVERIFY(urls_.skinActiveAtOpen);
        QVERIFY(!urls_.fitAtOpen);
        QVERIFY(probe.SD1->Active());
        QCOMPARE(probe.SD1->SkinFile(),
                 QCoreApplication::applicationDirPath().toStdString() + "/Xplorer_mod.skn");
        QCOMPARE(probe.PixImage1->PaintSizeMode(), smFit);
        QCOMPARE(probe.PixImage2->PaintSizeMode(), smFit);
        QCOMPARE(probe.Pixbackgnd->PaintSizeMode(), smNormal);
        QCOMPARE(probe.PixDlgColor1->PixDlgService(), probe.PixDlgService1);
        QVERIFY(probe.PixDlgColor1->ShowHelpButton());
        QVERIFY(probe.PhotoFileName().empty());
    }

    void closeOpensSiteAgain() {
        TForm1 form(host_);
        form.show();
        urls_.opened.clear();
        form.close();
        QCOMPARE(urls_.opened, std::vector<std::string>({"http://" + host_}));
    }

    void quitRequestEndsLoopWithoutClose() {
        auto* form = new TForm1(host_);
        form->show();
        urls_.opened.clear();
        RequestQuit();
        QCOMPARE(QCoreApplication::exec(), 0);
        delete form;
        QVERIFY(urls_.opened.empty());
    }

    void errorBoxCarriesTitleAndFullStop() {
        ShowErrorBox("PixImage1 \nGetBitmapDC: Image Not allocated");
        QCOMPARE(boxes_.size(), size_t{1});
        QCOMPARE(boxes_[0].kind, BoxKind::Error);
        QCOMPARE(boxes_[0].caption, ApplicationTitle());
        QCOMPARE(boxes_[0].text, std::string("PixImage1 \nGetBitmapDC: Image Not allocated."));
    }

    void newerVersionAsksToQuitAndSkipsClose() {
        LoopbackServer site({{"HTTP/1.0 200 OK\r\nContent-Length: 10\r\n\r\nversion2.2"}});
        auto* form = new TForm1(site.HostAndPort());
        const std::string address = "http://" + site.HostAndPort();
        QCOMPARE(boxes_.size(), size_t{1});
        QCOMPARE(boxes_[0].kind, BoxKind::UserMessage);
        QCOMPARE(boxes_[0].text,
                 "Please download new version of Strakel from " + site.HostAndPort());
        // At start, then for the download, and the start-up still ran to its end.
        QCOMPARE(urls_.opened, std::vector<std::string>({address, address}));
        QCOMPARE(form->PixImage1->PaintSizeMode(), smFit);
        QVERIFY(QuitRequested());
        form->show();
        QCOMPARE(QCoreApplication::exec(), 0);
        delete form;
        QCOMPARE(urls_.opened.size(), size_t{2});
    }

    // A build without a web site opens none and checks for no update: the
    // start-up runs to its end in silence, and so does the close.
    void noSiteIsQuiet() {
        TForm1 form("");
        QVERIFY(boxes_.empty());
        QVERIFY(urls_.opened.empty());
        QVERIFY(!QuitRequested());
        QCOMPARE(form.PixImage2->PaintSizeMode(), smFit);
        QCOMPARE(form.NetHTTP1.LastStatusLine(), std::string());
        QCOMPARE(form.Memo1->toPlainText(), QString("Memo1"));
        form.show();
        form.close();
        QVERIFY(urls_.opened.empty());
        QVERIFY(boxes_.empty());
    }

    void sameVersionSaysNothing() {
        LoopbackServer site({{"HTTP/1.0 200 OK\r\n\r\nversion2.1"}});
        TForm1 form(site.HostAndPort());
        QVERIFY(boxes_.empty());
        QVERIFY(!QuitRequested());
        QCOMPARE(urls_.opened.size(), size_t{1});
    }
};

QTEST_MAIN(MainWindowTest)
#include "main_window_test.moc"
