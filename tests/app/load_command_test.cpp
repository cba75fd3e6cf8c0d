// SPDX-License-Identifier: GPL-3.0-or-later
// Loading keeps the user's work: a cancelled File > Load, a photo that cannot
// be read and an unsaved drawing that the user keeps all leave the window as
// it was, on every road a photo takes (the dialog, a drop, the command line).
#include <QAbstractItemView>
#include <QCompleter>
#include <QFile>
#include <QLineEdit>
#include <QMimeData>
#include <QTemporaryDir>
#include <QTimer>
#include <QUrl>
#include <QtTest>

#include "app/app_setup.h"
#include "app/main_window.h"
#include "app/save_prompt.h"
#include "imaging/dialogs/dlg_engine.h"
#include "platform/qt/message_box.h"
#include "platform/qt/open_url.h"
#include "tests/imaging/engine/codecs/image_fixtures.h"
#include "tests/support/save_dialog_driver.h"

namespace {

fixtures::Bgr Photo(int x, int y) {
    return ((x / 5 + y / 7) % 2) ? fixtures::Bgr{230, uint8_t(200 + y % 20), 220}
                                 : fixtures::Bgr{20, uint8_t(x), 40};
}

fixtures::Bgr OtherPhoto(int x, int y) {
    return fixtures::Bgr{uint8_t(9 * x), uint8_t(5 * y), 120};
}

std::vector<uint8_t> Pixels(const PixBitmap* b) {
    return b ? std::vector<uint8_t>(b->Data, b->Data + b->Size) : std::vector<uint8_t>();
}

// What the window holds of the user's work.
struct Work {
    std::vector<uint8_t> left, right, work;
    bool rightVisible = false;
    std::string photoFileName;
    size_t undoSteps = 0, redoSteps = 0;
    bool changed = false;
    bool operator==(const Work&) const = default;
};

Work WorkOf(TForm1& form) {
    return {Pixels(form.PixImage1->HasBitmap()),
            Pixels(form.PixImage2->HasBitmap()),
            Pixels(form.Pixbackgnd->HasBitmap()),
            !form.PixImage2->isHidden(),
            form.PhotoFileName(),
            form.DrawingHistory().UndoSteps(),
            form.DrawingHistory().RedoSteps(),
            form.DrawingChangedSinceSaved()};
}

// The roads by which a photo replaces the shown one.
enum class Road { Dialog, Drop, Open };
const struct {
    Road road;
    const char* name;
} kRoads[] = {{Road::Dialog, "dialog"}, {Road::Drop, "drop"}, {Road::Open, "start"}};

}  // namespace

class LoadCommandTest : public QObject {
    Q_OBJECT

private:
    QTemporaryDir dir_;
    RecordingUrlOpener urls_;
    std::vector<std::string> messages_;
    std::vector<std::string> prompts_;

    std::string Write(const QString& name, const fixtures::Bytes& bytes) {
        const std::string path = dir_.filePath(name).toStdString();
        if (!fixtures::WriteFile(path, bytes)) qFatal("cannot write fixture");
        return path;
    }

    // File > Load with `path` chosen in the dialog; empty cancels.
    void ChooseInLoad(TForm1& form, const std::string& path) {
        QTimer::singleShot(0, &form, [&form, path] {
            if (path.empty()) {
                form.OpenDialog1()->reject();
                return;
            }
            form.OpenDialog1()->selectFile(QString::fromStdString(path));
            static_cast<QDialog*>(form.OpenDialog1())->accept();
        });
        form.Load1->trigger();
    }

    void Drop(TForm1& form, const std::string& path) {
        QMimeData data;
        data.setUrls({QUrl::fromLocalFile(QString::fromStdString(path))});
        QDragEnterEvent enter(QPoint(200, 200), Qt::CopyAction, &data, Qt::LeftButton,
                              Qt::NoModifier);
        QApplication::sendEvent(&form, &enter);
        QDropEvent drop(QPointF(200, 200), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(&form, &drop);
        // The drop loads once the event loop runs, and ends in a question, a
        // message or the loaded photo.
        (void)QTest::qWaitFor([&] {
            return !prompts_.empty() || !messages_.empty() || form.PhotoFileName() == path;
        });
    }

    void LoadBy(Road road, TForm1& form, const std::string& path) {
        switch (road) {
            case Road::Dialog:
                ChooseInLoad(form, path);
                break;
            case Road::Drop:
                Drop(form, path);
                break;
            case Road::Open:
                form.OpenPhoto(QString::fromStdString(path));
                break;
        }
    }

    // A photo loaded and drawn: a changed drawing that was never saved.
    std::string Sketched(TForm1& form) {
        const std::string photo = Write("photo.bmp", fixtures::Bmp24(30, 20, Photo));
        form.OpenPhoto(QString::fromStdString(photo));
        form.Drawsketch1->trigger();
        if (!form.DrawingChangedSinceSaved()) qFatal("the drawing should count as changed");
        return photo;
    }

    void AnswerPrompt(QMessageBox::StandardButton button) {
        SetSavePromptDriver([this, button](QMessageBox& box) {
            prompts_.push_back(box.text().toStdString());
            QAbstractButton* chosen = box.button(button);
            QTimer::singleShot(0, chosen, [chosen] { chosen->click(); });
        });
    }

    std::string Shown() const {
        std::string all = "boxes shown:";
        for (const std::string& m : messages_) all += " \"" + m + "\"";
        return all;
    }

private slots:
    void initTestCase() { QVERIFY(dir_.isValid()); }
    void init() {
        messages_.clear();
        prompts_.clear();
        SetUrlOpener(&urls_);
        SetBoxRecorder([this](BoxKind, const std::string&, const std::string& text) {
            messages_.push_back(text);
        });
    }
    void cleanup() {
        SetUrlOpener(nullptr);
        SetBoxRecorder(nullptr);
        SetSavePromptDriver(nullptr);
        SetDlgEngine(nullptr);
        save_driver::Stop();
    }

    void cancelChangesNothing() {
        AnswerPrompt(QMessageBox::Cancel);
        TForm1 form("");
        const std::string photo = Sketched(form);
        ChooseInLoad(form, photo);  // confirmed once: the dialog remembers it
        form.Drawsketch1->trigger();
        form.Equalize1->trigger();
        prompts_.clear();
        const Work before = WorkOf(form);
        QVERIFY(before.rightVisible);
        QCOMPARE(before.undoSteps, size_t(2));

        ChooseInLoad(form, "");
        QVERIFY2(messages_.empty(), Shown().c_str());
        QVERIFY(prompts_.empty());
        QVERIFY(WorkOf(form) == before);
        // The dialog still opens where the last confirmed photo is, with its name.
        QCOMPARE(form.OpenDialogFolder(), dir_.path());
        QTimer::singleShot(0, &form, [&form] {
            QCOMPARE(form.OpenDialog1()->findChild<QLineEdit*>("fileNameEdit")->text(),
                     QString("photo.bmp"));
            form.OpenDialog1()->reject();
        });
        form.Load1->trigger();
        QVERIFY(WorkOf(form) == before);
    }

    // A completion list left open would take the next key in the window.
    void nameCompletionClosesWithTheDialog() {
        TForm1 form("");
        form.show();
        QWidget* popup = nullptr;
        bool shownInDialog = false;
        QTimer::singleShot(0, &form, [&] {
            auto* completer = form.OpenDialog1()->findChild<QCompleter*>();
            if (!completer) return form.OpenDialog1()->reject();
            popup = completer->popup();
            popup->show();
            shownInDialog = popup->isVisible();
            form.OpenDialog1()->reject();
        });
        form.Load1->trigger();
        QVERIFY(popup);
        QVERIFY(shownInDialog);
        QVERIFY(!popup->isVisible());
    }

    void loadOverAnUnsavedDrawing_data() {
        QTest::addColumn<int>("road");
        QTest::addColumn<int>("button");
        QTest::addColumn<QString>("saveAs");  // typed in Save As; empty: Save As cancelled
        QTest::addColumn<bool>("loads");
        for (const auto& r : kRoads) {
            const QByteArray n = r.name;
            QTest::newRow(n + ", Save") << int(r.road) << int(QMessageBox::Save) << "kept" << true;
            QTest::newRow(n + ", Save, Save As cancelled")
                << int(r.road) << int(QMessageBox::Save) << "" << false;
            QTest::newRow(n + ", Discard")
                << int(r.road) << int(QMessageBox::Discard) << "" << true;
            QTest::newRow(n + ", Cancel") << int(r.road) << int(QMessageBox::Cancel) << "" << false;
        }
    }
    void loadOverAnUnsavedDrawing() {
        QFETCH(int, road);
        QFETCH(int, button);
        QFETCH(QString, saveAs);
        QFETCH(bool, loads);
        AnswerPrompt(QMessageBox::StandardButton(button));
        std::vector<bool> loadedWhenSaved;
        const std::string next = Write("next.bmp", fixtures::Bmp24(17, 13, OtherPhoto));
        TForm1 form("");
        form.show();
        Sketched(form);
        const Work before = WorkOf(form);
        const QString saved = dir_.filePath(saveAs + ".png");
        QFile::remove(saved);
        save_driver::Drive([&](QDialog* d) {
            // The photo must still be the old one while Save As runs.
            loadedWhenSaved.push_back(form.PhotoFileName() == next);
            if (saveAs.isEmpty()) return;  // left open: the driver cancels it
            save_driver::ChooseFormat(d, "PNG");
            save_driver::TypeName(d, dir_.filePath(saveAs));
            save_driver::PressSave(d);
        });

        LoadBy(Road(road), form, next);
        save_driver::Stop();
        QVERIFY2(messages_.empty(), Shown().c_str());
        QVERIFY2(prompts_ ==
                     std::vector<std::string>({"Save the drawing before loading another photo?"}),
                 Shown().c_str());
        QCOMPARE(loadedWhenSaved, std::vector<bool>(button == QMessageBox::Save ? 1 : 0, false));
        QCOMPARE(QFile::exists(saved), !saveAs.isEmpty());
        if (loads) {
            QVERIFY2(form.PhotoFileName() == next, form.PhotoFileName().c_str());
            QCOMPARE(form.PixImage1->BitmapWidth(), 17);
            QVERIFY(form.PixImage2->isHidden());
            QVERIFY(!form.DrawingChangedSinceSaved());
        } else {
            QVERIFY(WorkOf(form) == before);
        }
    }

    void aSavedDrawingIsReplacedWithoutAQuestion() {
        AnswerPrompt(QMessageBox::Cancel);
        TForm1 form("");
        Sketched(form);
        form.MarkDrawingSaved();
        const std::string next = Write("next.bmp", fixtures::Bmp24(17, 13, OtherPhoto));
        form.OpenPhoto(QString::fromStdString(next));
        QVERIFY(prompts_.empty());
        QCOMPARE(form.PhotoFileName(), next);
    }

    void unreadablePhotoIsReportedAndChangesNothing_data() {
        QTest::addColumn<int>("road");
        QTest::addColumn<QByteArray>("bytes");  // null: no such file
        QTest::addColumn<QString>("reason");
        const fixtures::Bytes bmp = fixtures::Bmp24(30, 20, Photo);
        const QByteArray truncated(reinterpret_cast<const char*>(bmp.data()), 200);
        for (const auto& r : kRoads) {
            const QByteArray n = r.name;
            QTest::newRow(n + ", missing") << int(r.road) << QByteArray() << "File not found.";
            QTest::newRow(n + ", empty") << int(r.road) << QByteArray("") << "Invalid file format.";
            QTest::newRow(n + ", unknown kind")
                << int(r.road) << QByteArray("plain text, not a photo\n") << "Invalid file format.";
            QTest::newRow(n + ", truncated") << int(r.road) << truncated << "Error reading file.";
        }
    }
    void unreadablePhotoIsReportedAndChangesNothing() {
        QFETCH(int, road);
        QFETCH(QByteArray, bytes);
        QFETCH(QString, reason);
        AnswerPrompt(QMessageBox::Discard);
        TForm1 form("");
        Sketched(form);
        const Work before = WorkOf(form);
        const std::string bad = dir_.filePath("bad.bmp").toStdString();
        QFile::remove(QString::fromStdString(bad));
        if (!bytes.isNull())
            QVERIFY(fixtures::WriteFile(bad, fixtures::Bytes(bytes.begin(), bytes.end())));

        LoadBy(Road(road), form, bad);
        const std::vector<std::string> expected{"Cannot load " + bad + ": " + reason.toStdString()};
        QVERIFY2(messages_ == expected, Shown().c_str());
        // Nothing is asked about a drawing that nothing replaces.
        QVERIFY(prompts_.empty());
        QVERIFY(WorkOf(form) == before);
    }

    void unreadablePhotoAtStartOpensAnEmptyWindow() {
        const std::string bad = Write(
            "start.bmp", fixtures::Bytes{'n', 'o', 't', ' ', 'a', ' ', 'p', 'h', 'o', 't', 'o'});
        TForm1 form("");
        OpenStartPhoto(form, {QString::fromStdString(bad)});
        QTRY_COMPARE(messages_.size(), size_t(1));
        QCOMPARE(messages_.front(), "Cannot load " + bad + ": Invalid file format.");
        QVERIFY(form.PhotoFileName().empty());
        QVERIFY(!form.PixImage1->HasBitmap());
        QVERIFY(!form.PixImage2->HasBitmap());
        QVERIFY(!form.Pixbackgnd->HasBitmap());
    }
};

QTEST_MAIN(LoadCommandTest)
#include "load_command_test.moc"
