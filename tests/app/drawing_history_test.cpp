// SPDX-License-Identifier: GPL-3.0-or-later
// Undo and redo of the right view through the window's shortcuts, and the
// question before a changed drawing is closed, answered through its driver.
#include <QMessageBox>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

#include "app/main_window.h"
#include "app/save_prompt.h"
#include "imaging/dialogs/dlg_engine.h"
#include "platform/qt/message_box.h"
#include "platform/qt/open_url.h"
#include "tests/imaging/engine/codecs/image_fixtures.h"
#include "tests/support/adjust_dialog_driver.h"
#include "tests/support/save_dialog_driver.h"
#include "tests/support/window_fixture.h"

using dialog_driver::Press;

namespace {

fixtures::Bgr Photo(int x, int y) {
    return ((x / 5 + y / 7) % 2) ? fixtures::Bgr{230, uint8_t(200 + y % 20), 220}
                                 : fixtures::Bgr{20, uint8_t(x), 40};
}

// The right view as the user sees it: its pixels, depth and visibility.
struct Seen {
    std::vector<uint8_t> pixels;
    int32_t bits = 0;
    bool visible = false;
    bool operator==(const Seen&) const = default;
};

Seen RightView(TForm1& form) {
    Seen seen;
    seen.visible = !form.PixImage2->isHidden();
    if (const PixBitmap* b = form.PixImage2->HasBitmap()) {
        seen.pixels.assign(b->Data, b->Data + b->Size);
        seen.bits = b->BitsPerPixel;
    }
    return seen;
}

}  // namespace

class DrawingHistoryTest : public QObject {
    Q_OBJECT

private:
    QTemporaryDir dir_;
    window_test::Fixture fx_;
    RecordingUrlOpener& urls_ = fx_.urls;
    std::vector<std::string>& messages_ = fx_.messages;
    std::vector<std::string>& prompts_ = fx_.prompts;  // texts of the close questions asked

    std::string Write(const QString& name, const fixtures::Bytes& bytes) {
        const std::string path = dir_.filePath(name).toStdString();
        if (!fixtures::WriteFile(path, bytes)) qFatal("cannot write fixture");
        return path;
    }

    void Load(TForm1& form, const std::string& path) { window_test::Open(form, path); }

    // Every close question from now on is answered with `button`, clicked
    // once the box runs; the box's text and buttons are checked first.
    void AnswerClose(QMessageBox::StandardButton button) {
        fx_.AnswerPrompt(button, [](QMessageBox& box) {
            QCOMPARE(box.standardButtons(),
                     QMessageBox::Save | QMessageBox::Discard | QMessageBox::Cancel);
        });
    }

private slots:
    void init() { fx_.Begin(); }
    void cleanup() { fx_.End(); }

    void shortcutsAreOnTheWindowInNoMenu() {
        TForm1 form("");
        QCOMPARE(form.Undo1->shortcut(), QKeySequence("Ctrl+Z"));
        QCOMPARE(form.Redo1->shortcut(), QKeySequence("Ctrl+Shift+Z"));
        QVERIFY(form.actions().contains(form.Undo1));
        QVERIFY(form.actions().contains(form.Redo1));
        QCOMPARE(form.File1->actions().size(), 2);
        QCOMPARE(form.Sketch1->actions().size(), 3);
    }

    // Draw sketch, brightness OK, sharpen OK and Equalize, each undone and
    // redone to the exact pixels; a cancelled dialog is no step.
    void undoAndRedoRestoreTheExactPixels() {
        TForm1 form("");
        form.show();
        Load(form, Write("photo.bmp", fixtures::Bmp24(61, 43, Photo)));
        std::vector<Seen> states{RightView(form)};
        form.Drawsketch1->trigger();
        states.push_back(RightView(form));
        dialog_driver::AnswerDialogs(300, Press::Ok);
        form.Button5->click();
        states.push_back(RightView(form));
        dialog_driver::AnswerDialogs(-200, Press::Cancel);
        form.Button5->click();
        form.Sharpen->click();
        dialog_driver::AnswerDialogs(500, Press::Ok);
        form.Sharpen->click();
        states.push_back(RightView(form));
        form.color_pencil->setChecked(true);
        form.Equalize1->trigger();
        states.push_back(RightView(form));
        for (size_t i = 1; i < states.size(); ++i) QVERIFY(states[i] != states[i - 1]);
        QCOMPARE(form.DrawingHistory().UndoSteps(), size_t(4));
        // Shortcuts reach the active window.
        form.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&form));

        // Ctrl+Z back to the loaded photo, hidden as after Load; once more
        // does nothing.
        for (size_t i = states.size() - 1; i-- > 0;) {
            QTest::keyClick(&form, Qt::Key_Z, Qt::ControlModifier);
            QVERIFY2(RightView(form) == states[i], std::to_string(i).c_str());
        }
        QVERIFY(form.PixImage2->isHidden());
        form.Undo1->trigger();
        QVERIFY(RightView(form) == states.front());
        // Ctrl+Shift+Z forward again to the last state.
        for (size_t i = 1; i < states.size(); ++i) {
            QTest::keyClick(&form, Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
            QVERIFY2(RightView(form) == states[i], std::to_string(i).c_str());
        }
        form.Redo1->trigger();
        QVERIFY(RightView(form) == states.back());
        QVERIFY(messages_.empty());
    }

    // A new change after an undo drops the redo steps; an 8-bit photo comes
    // back 8-bit.
    void aChangeAfterUndoDropsRedoAndDepthIsRestored() {
        TForm1 form("");
        Load(form, Write("palette.tif", fixtures::TiffFile(40, 30, "palette8")));
        const Seen photo = RightView(form);
        QCOMPARE(photo.bits, 8);
        form.Drawsketch1->trigger();
        const Seen drawn = RightView(form);
        QCOMPARE(drawn.bits, 24);
        form.Undo1->trigger();
        QVERIFY(RightView(form) == photo);
        form.Equalize1->trigger();  // the photo moved toward grey: a new step
        QCOMPARE(form.DrawingHistory().RedoSteps(), size_t(0));
        form.Redo1->trigger();
        QVERIFY(RightView(form) != drawn);
        form.Undo1->trigger();
        QVERIFY(RightView(form) == photo);
    }

    void keepsAtLeastTenSteps() {
        TForm1 form("");
        Load(form, Write("steps.bmp", fixtures::Bmp24(30, 20, Photo)));
        form.Drawsketch1->trigger();
        std::vector<Seen> states{RightView(form)};
        // Each Equalize moves the drawing a fifth toward the photo: a new state.
        for (int i = 0; i < 12; ++i) {
            form.Equalize1->trigger();
            states.push_back(RightView(form));
        }
        for (size_t i = states.size() - 1; i-- > 0;) {
            form.Undo1->trigger();
            QVERIFY2(RightView(form) == states[i], std::to_string(i).c_str());
        }
        QCOMPARE(form.DrawingHistory().UndoSteps(), size_t(1));  // Draw sketch itself
        QVERIFY(form.DrawingHistory().StoredBytes() > 0);
    }

    void loadClearsTheHistory() {
        AnswerClose(QMessageBox::Discard);
        TForm1 form("");
        Load(form, Write("first.bmp", fixtures::Bmp24(30, 20, Photo)));
        form.Drawsketch1->trigger();
        form.Equalize1->trigger();
        form.Undo1->trigger();
        QCOMPARE(form.DrawingHistory().UndoSteps(), size_t(1));
        QCOMPARE(form.DrawingHistory().RedoSteps(), size_t(1));
        Load(form, Write("second.bmp", fixtures::Bmp24(20, 30, Photo)));
        QCOMPARE(prompts_,
                 std::vector<std::string>({"Save the drawing before loading another photo?"}));
        const Seen loaded = RightView(form);
        QCOMPARE(form.DrawingHistory().UndoSteps(), size_t(0));
        QCOMPARE(form.DrawingHistory().RedoSteps(), size_t(0));
        form.Undo1->trigger();
        form.Redo1->trigger();
        QVERIFY(RightView(form) == loaded);
        QVERIFY(!form.DrawingChangedSinceSaved());
    }

    void closeWithoutAChangeAsksNothing() {
        AnswerClose(QMessageBox::Cancel);
        TForm1 form("");
        form.show();
        Load(form, Write("unchanged.bmp", fixtures::Bmp24(30, 20, Photo)));
        form.Drawsketch1->trigger();
        form.MarkDrawingSaved();
        QVERIFY(form.close());
        QVERIFY(prompts_.empty());
        QVERIFY(form.isHidden());
    }

    void closePromptsAnswers_data() {
        QTest::addColumn<int>("button");
        QTest::addColumn<QString>("saveAs");  // the name typed in Save As; empty: cancelled
        QTest::addColumn<bool>("closes");
        // Save runs Save As: the window closes once the drawing is on disk,
        // and stays open, rather than lose it, when Save As is cancelled.
        QTest::newRow("Save") << int(QMessageBox::Save) << "kept" << true;
        QTest::newRow("Save, then cancel Save As") << int(QMessageBox::Save) << "" << false;
        QTest::newRow("Discard") << int(QMessageBox::Discard) << "" << true;
        QTest::newRow("Cancel") << int(QMessageBox::Cancel) << "" << false;
    }
    void closePromptsAnswers() {
        QFETCH(int, button);
        QFETCH(QString, saveAs);
        QFETCH(bool, closes);
        AnswerClose(QMessageBox::StandardButton(button));
        int saveDialogs = 0;
        save_driver::Drive([&](QDialog* d) {
            ++saveDialogs;
            if (saveAs.isEmpty()) return;  // left open: the driver cancels it
            save_driver::ChooseFormat(d, "PNG");
            save_driver::TypeName(d, dir_.filePath(saveAs));
            save_driver::PressSave(d);
        });
        // The site host makes the close handler's own step visible.
        TForm1 form("127.0.0.1:1");
        form.show();
        Load(form, Write("changed.bmp", fixtures::Bmp24(30, 20, Photo)));
        form.Drawsketch1->trigger();
        QVERIFY(form.DrawingChangedSinceSaved());
        urls_.opened.clear();
        QCOMPARE(form.close(), closes);
        save_driver::Stop();
        QCOMPARE(prompts_, std::vector<std::string>({"Save the drawing before closing?"}));
        QCOMPARE(saveDialogs, button == QMessageBox::Save ? 1 : 0);
        QCOMPARE(QFile::exists(dir_.filePath(saveAs + ".png")), !saveAs.isEmpty());
        QCOMPARE(form.isHidden(), closes);
        // The close handler runs only when the window really closes.
        QCOMPARE(urls_.opened.size(), size_t(closes ? 1 : 0));
    }

    // Undoing back to the saved drawing needs no question; a redo past it does.
    void theSavedStateIsKnownAcrossUndo() {
        AnswerClose(QMessageBox::Cancel);
        TForm1 form("");
        form.show();
        Load(form, Write("saved.bmp", fixtures::Bmp24(30, 20, Photo)));
        form.Drawsketch1->trigger();
        form.MarkDrawingSaved();
        form.Equalize1->trigger();
        QVERIFY(form.DrawingChangedSinceSaved());
        form.Undo1->trigger();
        QVERIFY(!form.DrawingChangedSinceSaved());
        form.Redo1->trigger();
        QVERIFY(!form.close());
        QCOMPARE(prompts_.size(), size_t(1));
        form.Undo1->trigger();
        QVERIFY(form.close());
        QCOMPARE(prompts_.size(), size_t(1));
    }
};

QTEST_MAIN(DrawingHistoryTest)
#include "drawing_history_test.moc"
