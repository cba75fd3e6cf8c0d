// SPDX-License-Identifier: GPL-3.0-or-later
// The main window with the skin that ships beside the program: skinned when
// shown, frameless, closed by its title-bar close button, and the engine's
// brightness dialog skinned when it opens.
#include <QtTest>

#include "app/main_window.h"
#include "platform/qt/message_box.h"
#include "skin/qt/skin_form_painter.h"
#include "skin/qt/skin_manager.h"
#include "tests/imaging/engine/codecs/image_fixtures.h"
#include "tests/support/adjust_dialog_driver.h"

class SkinnedMainWindowTest : public QObject {
    Q_OBJECT

private slots:
    void init() {
        SetBoxRecorder([](BoxKind, const std::string&, const std::string& text) {
            QFAIL(("unexpected box: " + text).c_str());
        });
    }
    void cleanup() {
        SetBoxRecorder(nullptr);
        dialog_driver::Stop();
    }

    void mainWindowTakesTheShippedSkin() {
        TForm1 form("");
        QVERIFY(form.SD1->Active());
        QVERIFY(!form.SD1->Empty());
        QCOMPARE(form.SD1->SkinFile(),
                 QCoreApplication::applicationDirPath().toStdString() + "/Xplorer_mod.skn");
        form.show();
        TSkinFormPainter* painter = TSkinManager::Instance()->PainterOf(&form);
        QVERIFY(painter);
        QVERIFY(form.windowFlags() & Qt::FramelessWindowHint);
        // The client keeps its designed size inside the skin's frame.
        QCOMPARE(form.Client->size(), QSize(1025, 586));
        QCOMPARE(form.contentsMargins(), painter->Look().FrameMargins());
        // A tool window: close only, no minimise or maximise.
        QVERIFY(form.findChild<QAbstractButton*>("skinClose"));
        QVERIFY(!form.findChild<QAbstractButton*>("skinMinimize"));
        QVERIFY(!form.findChild<QAbstractButton*>("skinMaximize"));
        QVERIFY(form.Button5->style() != QApplication::style());
        QVERIFY(form.color_pencil->style() != QApplication::style());
        form.findChild<QAbstractButton*>("skinClose")->click();
        QVERIFY(!form.isVisible());
    }

    void brightnessDialogIsSkinned() {
        TForm1 form("");
        form.show();
        const std::string photo = fixtures::ColorBmp(40, 30, "photo.bmp");
        QCOMPARE(form.PixImage2->Load(photo, 0, 0, 1), 1);
        form.PixImage2->show();
        bool skinned = false;
        int shown = 0;
        dialog_driver::AnswerDialogs(
            0, dialog_driver::Press::Cancel,
            [&](QDialog* d) {
                skinned = TSkinManager::Instance()->IsSkinned(d) &&
                          (d->windowFlags() & Qt::FramelessWindowHint);
            },
            &shown);
        form.Button5->click();
        QCOMPARE(shown, 1);
        QVERIFY(skinned);
    }
};

QTEST_MAIN(SkinnedMainWindowTest)
#include "skinned_main_window_test.moc"
