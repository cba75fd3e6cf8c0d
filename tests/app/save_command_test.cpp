// SPDX-License-Identifier: GPL-3.0-or-later
// File > Save As on the main window: the real save dialog driven as a user
// would, the file read back with exact pixels, the cursor on every way out,
// and the dialog's other answers through a recording engine.
#include <QApplication>
#include <QCheckBox>
#include <QFile>
#include <QLineEdit>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>
#include <cstring>
#include <optional>

#include "app/main_window.h"
#include "imaging/dialogs/dlg_engine.h"
#include "imaging/engine/codecs/file_format.h"
#include "platform/qt/message_box.h"
#include "platform/qt/open_url.h"
#include "tests/imaging/engine/codecs/image_fixtures.h"
#include "tests/support/isolated_settings.h"
#include "tests/support/save_dialog_driver.h"

namespace {

fixtures::Bgr Photo(int x, int y) {
    return {uint8_t(x * 8), uint8_t(250 - y * 9), uint8_t((x ^ y) * 5)};
}

std::vector<uint8_t> Pixels(const PixBitmap* b) {
    return b ? std::vector<uint8_t>(b->Data, b->Data + b->Size) : std::vector<uint8_t>();
}

struct Box {
    BoxKind kind;
    std::string caption;
    std::string text;
    bool overrideCursor;
};

// Answers the save dialog with a fixed code, after writing `write` into the
// records.
class AnsweringEngine : public DlgEngine {
public:
    int32_t answer = kDlgOk;
    std::function<void(PixDlgSaveParams*)> write;
    std::optional<PixDlgSaveParams> seen;
    int32_t Save(QWidget*, OPENFILENAMEA*, PixDlgSaveParams* r) override {
        seen = *r;
        if (write) write(r);
        return answer;
    }
};

}  // namespace

class SaveCommandTest : public QObject {
    Q_OBJECT

private:
    QTemporaryDir dir_;
    RecordingUrlOpener urls_;
    std::vector<Box> boxes_;

    void Load(TForm1& form, const QString& name) {
        const std::string path = dir_.filePath(name).toStdString();
        if (!fixtures::WriteFile(path, fixtures::Bmp24(30, 20, Photo))) qFatal("no fixture");
        QTimer::singleShot(0, &form, [&form, path] {
            form.OpenDialog1()
                ->findChild<QLineEdit*>("fileNameEdit")
                ->setText(QString::fromStdString(path));
            static_cast<QDialog*>(form.OpenDialog1())->accept();
        });
        form.Load1->trigger();
    }

private slots:
    void initTestCase() { isolated_settings::Use(dir_); }
    void init() {
        boxes_.clear();
        SetUrlOpener(&urls_);
        SetBoxRecorder([this](BoxKind kind, const std::string& caption, const std::string& text) {
            boxes_.push_back({kind, caption, text, QApplication::overrideCursor() != nullptr});
        });
    }
    void cleanup() {
        SetUrlOpener(nullptr);
        SetBoxRecorder(nullptr);
        SetDlgEngine(nullptr);
        save_driver::Stop();
    }

    // Save As after Load writes the right view's picture: PNG chosen, the
    // name typed without extension. The dialog opens with an empty name every
    // time and shows the normal pointer over the busy one.
    void savesTheRightView() {
        TForm1 form("");
        Load(form, "photo.bmp");
        QVERIFY(form.PixImage2->isHidden());
        std::vector<QString> openedWith;
        std::optional<Qt::CursorShape> pointer;
        save_driver::Drive([&](QDialog* d) {
            openedWith.push_back(save_driver::NameEdit(d)->text());
            if (QApplication::overrideCursor()) pointer = QApplication::overrideCursor()->shape();
            save_driver::ChooseFormat(d, "PNG");
            save_driver::TypeName(d, dir_.filePath("drawing"));
            save_driver::PressSave(d);
        });
        form.Save1->trigger();
        QVERIFY(boxes_.empty());
        QVERIFY(!QApplication::overrideCursor());
        QCOMPARE(pointer, std::optional<Qt::CursorShape>(Qt::ArrowCursor));
        QCOMPARE(form.PixDlgFile1->FileName(),
                 QFile::encodeName(dir_.filePath("drawing.png")).toStdString());

        TPixImage back;
        QCOMPARE(back.Load(form.PixDlgFile1->FileName(), 0, 0, 1), 1);
        QCOMPARE(back.BitmapWidth(), 30);
        QCOMPARE(back.BitmapHeight(), 20);
        QVERIFY(Pixels(back.HasBitmap()) == Pixels(form.PixImage2->HasBitmap()));

        // Again: the name box starts empty, and the last folder is offered.
        save_driver::Drive([&](QDialog* d) {
            openedWith.push_back(save_driver::NameEdit(d)->text());
            d->reject();
        });
        form.Save1->trigger();
        QCOMPARE(openedWith, std::vector<QString>({"", ""}));
    }

    void cancelSavesNothing() {
        TForm1 form("");
        Load(form, "photo.bmp");
        save_driver::Drive([&](QDialog* d) {
            save_driver::TypeName(d, dir_.filePath("never"));
            d->reject();
        });
        form.Save1->trigger();
        QVERIFY(boxes_.empty());
        QVERIFY(!QApplication::overrideCursor());
        QVERIFY(!QFile::exists(dir_.filePath("never.png")));
    }

    // Before any Load the dialog opens without a bitmap; confirming raises
    // the control's error, shown once the pointer is normal again.
    void beforeAnyLoad() {
        TForm1 form("");
        bool opened = false;
        save_driver::Drive([&](QDialog* d) {
            opened = true;
            save_driver::TypeName(d, dir_.filePath("empty"));
            save_driver::PressSave(d);
        });
        form.Save1->trigger();
        QVERIFY(opened);
        QCOMPARE(boxes_.size(), size_t(1));
        QCOMPARE(boxes_[0].kind, BoxKind::Error);
        QCOMPARE(boxes_[0].text, std::string("PixImage2 \nSave: Image not allocated."));
        QVERIFY(!boxes_[0].overrideCursor);
        QVERIFY(!QApplication::overrideCursor());
        QVERIFY(!QFile::exists(dir_.filePath("empty.png")));
    }

    // The stamp option goes to SaveWithStamp: a JPEG with its thumbnail.
    void stampGoesToSaveWithStamp() {
        TForm1 form("");
        Load(form, "photo.bmp");
        save_driver::Drive([&](QDialog* d) {
            save_driver::ChooseFormat(d, "JPEG");
            d->findChild<QCheckBox*>("stamp")->setChecked(true);
            d->findChild<QSpinBox*>("stampWidth")->setValue(16);
            d->findChild<QSpinBox*>("stampHeight")->setValue(16);
            save_driver::TypeName(d, dir_.filePath("stamped"));
            save_driver::PressSave(d);
        });
        form.Save1->trigger();
        QVERIFY(boxes_.empty());
        QFile f(dir_.filePath("stamped.jpg"));
        QVERIFY(f.open(QIODevice::ReadOnly));
        QVERIFY(f.readAll().contains("Exif"));
        TPixImage back;
        QCOMPARE(back.Load(f.fileName().toStdString(), 0, 0, 1), 1);
        QCOMPARE(back.BitmapWidth(), 30);
    }

    // How the handler prepares the component, and what it does with answers
    // other than a user's OK: 1 gives the "failed" box, others nothing. An OK
    // without stamp hands the 32 JBIG2 settings to the right view first.
    void dialogAnswers() {
        TForm1 form("");
        Load(form, "photo.bmp");
        AnsweringEngine engine;
        SetDlgEngine(&engine);
        form.PixDlgFile1->SetFileName("left over");
        form.PixDlgFile1->SetMaxFileSize(1000);

        engine.answer = 1;
        form.Save1->trigger();
        QVERIFY(engine.seen.has_value());
        QCOMPARE(engine.seen->DialogFlags, 12u);
        QCOMPARE(engine.seen->Bitmap, form.PixImage2->HasBitmap());
        QCOMPARE(form.PixDlgFile1->Title(), std::string("Save A File"));
        QCOMPARE(form.PixDlgFile1->MaxFileSize(), 0u);
        QCOMPARE(form.PixDlgFile1->OpenFileFlags(), 0u);
        QCOMPARE(boxes_.size(), size_t(1));
        QCOMPARE(boxes_[0].kind, BoxKind::UserMessage);
        QCOMPARE(boxes_[0].caption, std::string("Error"));
        QCOMPARE(boxes_[0].text, std::string("FileSave dialog failed,"));
        QVERIFY(!QApplication::overrideCursor());

        boxes_.clear();
        engine.answer = 102;
        form.Save1->trigger();
        QVERIFY(boxes_.empty());

        const std::string target = dir_.filePath("copied.bmp").toStdString();
        engine.answer = kDlgOk;
        engine.write = [&](PixDlgSaveParams* r) {
            std::strcpy(r->FileName, target.c_str());
            r->FileFormat = pix::kFormatBmp;
            r->BitsPerPixel = 24;
            r->PageModePlusOne = 1;
            r->JBIG2Options.ParamA = 11;
            r->JBIG2Options.ParamN = 99;
            r->JBIG2Options.Template1AT[7] = -5;
            r->JBIG2Options.Template2 = 3;
        };
        form.Save1->trigger();
        QVERIFY(boxes_.empty());
        const PixJBIG2Options& j = form.PixImage2->JBIG2Options();
        QCOMPARE(j.ParamA, 11u);
        QCOMPARE(j.ParamN, 99u);
        QCOMPARE(j.Template1AT[7], int8_t(-5));
        QCOMPARE(j.Template2, uint8_t(3));
        QCOMPARE(j.ParamC, 8192u);
        TPixImage back;
        QCOMPARE(back.Load(target, 0, 0, 1), 1);
        QVERIFY(Pixels(back.HasBitmap()) == Pixels(form.PixImage2->HasBitmap()));
    }
};

QTEST_MAIN(SaveCommandTest)
#include "save_command_test.moc"
