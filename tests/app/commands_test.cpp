// SPDX-License-Identifier: GPL-3.0-or-later
// File > Load, Sketch > Draw sketch, Sketch > Equalize and the Adjustments
// buttons on the main window: photos are opened as a confirmed Load opens
// them, the retouch dialogs are driven as a user would.
#include <QFileDialog>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>
#include <cstring>
#include <utility>

#include "app/main_window.h"
#include "imaging/dialogs/dlg_engine.h"
#include "imaging/engine/codecs/file_format.h"
#include "imaging/engine/file_load.h"
#include "imaging/engine/file_save.h"
#include "platform/qt/message_box.h"
#include "platform/qt/open_url.h"
#include "platform/qt/quit_request.h"
#include "sketch/retouch.h"
#include "sketch/sketch_pipeline.h"
#include "tests/imaging/engine/codecs/image_fixtures.h"
#include "tests/support/adjust_dialog_driver.h"
#include "tests/support/window_fixture.h"

using dialog_driver::Press;

namespace {

fixtures::Bgr Photo(int x, int y) {
    // Flat areas and sharp steps: edges, white paper and 254 all occur.
    if (x < 6) return fixtures::Bgr{255, 255, 255};
    if (x < 12) return fixtures::Bgr{254, 254, 254};
    return ((x / 5 + y / 7) % 2) ? fixtures::Bgr{230, uint8_t(200 + y % 20), 220}
                                 : fixtures::Bgr{20, uint8_t(x), 40};
}

std::vector<uint8_t> Pixels(const PixBitmap* b) {
    return b ? std::vector<uint8_t>(b->Data, b->Data + b->Size) : std::vector<uint8_t>();
}

}  // namespace

class CommandsTest : public QObject {
    Q_OBJECT

private:
    QTemporaryDir dir_;
    window_test::Fixture fx_;
    std::vector<std::string>& messages_ = fx_.messages;
    std::string Shown() const { return fx_.Shown(); }

    std::string Write(const QString& name, int w, int h,
                      const std::function<fixtures::Bgr(int, int)>& color = Photo) {
        const std::string path = dir_.filePath(name).toStdString();
        if (!fixtures::WriteFile(path, fixtures::Bmp24(w, h, color)))
            qFatal("cannot write fixture");
        return path;
    }

    // File > Load with `path` confirmed; empty cancels the real dialog.
    void ChooseInLoad(TForm1& form, const std::string& path) {
        if (path.empty()) {
            window_test::ChooseInLoad(form, QString());
        } else {
            window_test::Open(form, path);
        }
    }

private slots:
    void init() { fx_.Begin(); }
    void cleanup() { fx_.End(); }

    void openDialogFilter() {
        TForm1 form("");
        QCOMPARE(TForm1::NameFilters(TForm1::kOpenFilter),
                 QStringList({"bmp files(*.bmp)", "jpeg files(*.jpeg)", "jpg files(*.jpg)",
                              "sgi files(*.sgi)", "Cineon files(*.cin)"}));
        QVERIFY2(!form.findChild<QFileDialog*>(), "the dialog is made on first use");
        ChooseInLoad(form, "");
        QCOMPARE(form.findChild<QFileDialog*>("OpenDialog1"), window_test::OpenDialog(form));
        QCOMPARE(window_test::OpenDialog(form)->nameFilters().size(), 5);
    }

    void sizeLimit_data() {
        QTest::addColumn<int>("w");
        QTest::addColumn<int>("h");
        QTest::addColumn<bool>("claimed");  // a tiny file whose header alone is large
        QTest::addColumn<bool>("accepted");
        QTest::newRow("1024x1024") << 1024 << 1024 << false << true;
        QTest::newRow("1024x1100") << 1024 << 1100 << false << true;
        QTest::newRow("1100x1024") << 1100 << 1024 << false << true;
        QTest::newRow("1025x1025") << 1025 << 1025 << false << false;
        QTest::newRow("claims 18900x18900") << 18900 << 18900 << true << false;
    }
    void sizeLimit() {
        QFETCH(int, w);
        QFETCH(int, h);
        QFETCH(bool, claimed);
        QFETCH(bool, accepted);
        TForm1 form("");
        const std::string first = Write("first.bmp", 30, 20);
        ChooseInLoad(form, first);
        const std::vector<uint8_t> photo = Pixels(form.PixImage1->HasBitmap());
        const QString name = QString("big-%1x%2.bmp").arg(w).arg(h);
        std::string big = dir_.filePath(name).toStdString();
        if (claimed) {
            QVERIFY(fixtures::WriteFile(big, fixtures::ClaimedBmp24(w, h)));
        } else {
            big = Write(name, w, h, [](int, int) { return fixtures::Bgr{1, 2, 3}; });
        }
        ChooseInLoad(form, big);
        if (accepted) {
            QVERIFY2(messages_.empty(), Shown().c_str());
            QCOMPARE(form.PixImage1->BitmapWidth(), w);
            QCOMPARE(form.Pixbackgnd->BitmapWidth(), w);
            QCOMPARE(form.PhotoFileName(), big);
        } else {
            QCOMPARE(messages_, std::vector<std::string>({"File resulution not supported"}));
            QCOMPARE(form.PhotoFileName(), first);
            // The refused photo was never decoded: all three controls still
            // hold the earlier one.
            QCOMPARE(Pixels(form.PixImage1->HasBitmap()), photo);
            QCOMPARE(Pixels(form.PixImage2->HasBitmap()), photo);
            QCOMPARE(Pixels(form.Pixbackgnd->HasBitmap()), photo);
        }
        QVERIFY(form.PixImage2->isHidden());
    }

    void drawSketchAfterARefusedLoadDrawsTheShownPhoto() {
        TForm1 form("");
        const std::string shown = Write("shown.bmp", 53, 41);
        ChooseInLoad(form, shown);
        // Refused, with edges of its own that must not reach the drawing.
        ChooseInLoad(form, Write("refused.bmp", 1100, 1100, [](int x, int y) {
                         return ((x / 3 + y / 3) % 2) ? fixtures::Bgr{0, 0, 0}
                                                      : fixtures::Bgr{200, 200, 200};
                     }));
        QCOMPARE(messages_, std::vector<std::string>({"File resulution not supported"}));
        messages_.clear();
        form.Drawsketch1->trigger();
        QVERIFY2(messages_.empty(), Shown().c_str());

        PixBitmap photo, drawing;
        QCOMPARE(pix::LoadBitmapFile(shown, &photo, 0), 1);
        P_InitBitmap(&drawing, sizeof drawing, 0, 0, 0);
        QVERIFY(sketch::DrawSketch(photo, sketch::BlendMode::kPencil, &drawing).ok());
        QCOMPARE(Pixels(form.PixImage2->HasBitmap()), Pixels(&drawing));
        P_FreeBitmap(&photo);
        P_FreeBitmap(&drawing);
    }

    void cancelBeforeAnyChoiceLeavesAllEmpty() {
        TForm1 form("");
        messages_.clear();
        ChooseInLoad(form, "");
        QVERIFY2(messages_.empty(), Shown().c_str());
        QVERIFY(!form.PixImage1->HasBitmap());
        QVERIFY(!form.PixImage2->HasBitmap());
        QVERIFY(!form.Pixbackgnd->HasBitmap());
        // As at start: the right view visible and empty.
        QVERIFY(!form.PixImage2->isHidden());
        // Nothing to draw on.
        form.Drawsketch1->trigger();
        form.Equalize1->trigger();
        QCOMPARE(messages_, std::vector<std::string>({"Imges empty", "Imges empty"}));
    }

    void drawSketchWhiteStaysPaper() {
        TForm1 form("");
        ChooseInLoad(form, Write("sketch.bmp", 64, 48));
        form.Drawsketch1->trigger();
        QVERIFY2(messages_.empty(), Shown().c_str());
        QVERIFY(!form.PixImage2->isHidden());
        const PixBitmap* r = form.PixImage2->HasBitmap();
        QVERIFY(r);
        QCOMPARE(r->BitsPerPixel, 24);
        // Inside the pure white and the 254 strips (away from the step at
        // column 6), down to the bottom row and out to column 0: white paper,
        // blended with 20 % of the grey photo: round(0.2 x 255 + 0.8 x 255) =
        // 255, round(0.2 x 254 + 0.8 x 255) = 255.
        for (int y = 0; y < 48; ++y) {
            const uint8_t* row = PixRow(*r, y);
            QCOMPARE(int(row[3 * 0 + 2]), 255);
            QCOMPARE(int(row[3 * 2 + 2]), 255);
            QCOMPARE(int(row[3 * 8 + 2]), 255);
        }
        // Somewhere along the checker edges there are dark strokes.
        int dark = 0;
        for (int y = 0; y < r->Height; ++y)
            for (int x = 14; x < r->Width - 3; ++x) dark += PixRow(*r, y)[3 * x] < 128;
        QVERIFY(dark > 50);
        // The work image is left grey.
        const PixBitmap* work = form.Pixbackgnd->HasBitmap();
        QCOMPARE(work->Data[3 * 20], work->Data[3 * 20 + 2]);
    }

    void equalizeAfterLoadMovesAFifthTowardGrey() {
        TForm1 form("");
        ChooseInLoad(form, Write("equalize.bmp", 32, 16));
        const std::vector<uint8_t> photo = Pixels(form.PixImage1->HasBitmap());
        form.Equalize1->trigger();
        QVERIFY(!form.PixImage2->isHidden());
        const PixBitmap* r = form.PixImage2->HasBitmap();
        const int stride = r->BytesPerLine;
        // Inside and at the edges alike: picture row 10 is memory row 5 of the
        // DIB, the bottom picture row is memory row 0, columns 0 and 31 the
        // first and last.
        for (auto [x, y] : {std::pair{20, 10}, {0, 10}, {31, 10}, {20, 15}, {31, 15}, {0, 0}}) {
            const uint8_t* p = photo.data() + y * stride + 3 * x;
            const int grey = (299 * p[2] + 587 * p[1] + 114 * p[0] + 500) / 1000;
            for (int k = 0; k < 3; ++k) {
                const int expected = int(std::nearbyint(0.2 * grey + 0.8 * p[k]));
                QCOMPARE(int(PixRow(*r, y)[3 * x + k]), expected);
            }
        }
    }

    void greyPhotoSketchesLikeAnyOther() {
        // An 8-bit grey file loads as 8-bit grey and is sketched in 24 bits.
        PixBitmap grey;
        P_InitBitmap(&grey, sizeof grey, 20, 20, 8);
        QCOMPARE(P_AllocateBitmap(&grey, sizeof grey), 1);
        for (int y = 0; y < 20; ++y)
            for (int x = 0; x < 20; ++x) PixRow(grey, y)[x] = uint8_t(x < 10 ? 40 : 200);
        const std::string path = dir_.filePath("grey8.bmp").toStdString();
        QCOMPARE(pix::SaveBitmapFile(grey, path, pix::kFormatBmp), 1);
        P_FreeBitmap(&grey);

        TForm1 form("");
        ChooseInLoad(form, path);
        QCOMPARE(form.PixImage2->BitsPerPixel(), 8);
        form.Drawsketch1->trigger();
        QVERIFY2(messages_.empty(), Shown().c_str());
        const PixBitmap* r = form.PixImage2->HasBitmap();
        QCOMPARE(r->BitsPerPixel, 24);
        // The step from 40 to 200 at column 10 is an edge: target column 8 sees
        // 200 - 40 = 160 two columns to its right; inverted 95, blended with
        // 20 % of the grey 40: round(0.2 x 40 + 0.8 x 95) = 84.
        QCOMPARE(int(PixRow(*r, 10)[3 * 8]), 84);
        // Flat dark area without an edge: white, blended: round(8 + 204) = 212.
        QCOMPARE(int(PixRow(*r, 10)[3 * 3]), 212);
    }

    void rightViewEqualsCommandLinePipeline_data() {
        QTest::addColumn<bool>("color");
        QTest::newRow("pencil") << false;
        QTest::newRow("color pencil") << true;
    }
    void rightViewEqualsCommandLinePipeline() {
        QFETCH(bool, color);
        const std::string path = Write("same.bmp", 97, 61);
        TForm1 form("");
        form.color_pencil->setChecked(color);
        ChooseInLoad(form, path);
        form.Drawsketch1->trigger();

        PixBitmap photo, drawing;
        QCOMPARE(pix::LoadBitmapFile(path, &photo, 0), 1);
        P_InitBitmap(&drawing, sizeof drawing, 0, 0, 0);
        const auto result = sketch::DrawSketch(
            photo, color ? sketch::BlendMode::kColorPencil : sketch::BlendMode::kPencil, &drawing);
        QVERIFY(result.ok());
        QCOMPARE(Pixels(form.PixImage2->HasBitmap()), Pixels(&drawing));
        P_FreeBitmap(&photo);
        P_FreeBitmap(&drawing);
    }

    void adjustmentsNeedAShownDrawing() {
        int shown = 0;
        dialog_driver::AnswerDialogs(100, Press::Ok, nullptr, &shown);
        TForm1 form("");
        form.Button5->click();
        form.Sharpen->click();
        QCOMPARE(messages_, std::vector<std::string>({"Imge empty", "Imge empty"}));
        // After Load alone the right view is hidden: nothing at all.
        ChooseInLoad(form, Write("loaded.bmp", 30, 20));
        const std::vector<uint8_t> photo = Pixels(form.PixImage2->HasBitmap());
        messages_.clear();
        form.Button5->click();
        form.Sharpen->click();
        QVERIFY2(messages_.empty(), Shown().c_str());
        QCOMPARE(shown, 0);
        QCOMPARE(Pixels(form.PixImage2->HasBitmap()), photo);
    }

    void retouchEqualsCommandLinePipeline() {
        const std::string path = Write("retouch.bmp", 97, 61);
        TForm1 form("");
        form.show();
        ChooseInLoad(form, path);
        form.Drawsketch1->trigger();
        messages_.clear();
        const std::vector<uint8_t> drawn = Pixels(form.PixImage2->HasBitmap());

        // What each dialog opened at, on which parent, with the window
        // disabled, and whether it offered a Help button, which the window has
        // no handler for.
        std::vector<int> openedAt;
        std::vector<QWidget*> parents;
        std::vector<bool> formEnabled;
        std::vector<bool> withHelp;
        auto inspect = [&](QDialog* d) {
            openedAt.push_back(d->findChild<QSpinBox*>("value")->value());
            parents.push_back(d->parentWidget());
            formEnabled.push_back(form.isEnabled());
            withHelp.push_back(d->findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Help) !=
                               nullptr);
        };
        dialog_driver::AnswerDialogs(250, Press::Ok, inspect);
        form.Button5->click();
        dialog_driver::AnswerDialogs(400, Press::Ok, inspect);
        form.Sharpen->click();
        const std::vector<uint8_t> retouched = Pixels(form.PixImage2->HasBitmap());
        QCOMPARE(form.PixDlgColor1->BrightnessChange(), 250);
        QCOMPARE(form.PixDlgImgEffect1->SharpenAmount(), 400);

        // Cancel in either dialog, opened again at 0, changes nothing.
        dialog_driver::AnswerDialogs(-900, Press::Cancel, inspect);
        form.Button5->click();
        form.Sharpen->click();
        QCOMPARE(Pixels(form.PixImage2->HasBitmap()), retouched);
        QVERIFY(form.isEnabled());
        QVERIFY2(messages_.empty(), Shown().c_str());
        QCOMPARE(openedAt, std::vector<int>({0, 0, 0, 0}));
        QCOMPARE(parents, std::vector<QWidget*>(4, &form));
        QCOMPARE(formEnabled, std::vector<bool>(4, false));
        QCOMPARE(withHelp, std::vector<bool>(4, false));

        PixBitmap photo, drawing;
        QCOMPARE(pix::LoadBitmapFile(path, &photo, 0), 1);
        P_InitBitmap(&drawing, sizeof drawing, 0, 0, 0);
        QVERIFY(sketch::DrawSketch(photo, sketch::BlendMode::kPencil, &drawing).ok());
        QCOMPARE(Pixels(&drawing), drawn);
        QVERIFY(sketch::Retouch(&drawing, {250, 400}).ok());
        QCOMPARE(retouched, Pixels(&drawing));
        QVERIFY(retouched != drawn);
        P_FreeBitmap(&photo);
        P_FreeBitmap(&drawing);
    }

    void aFailingDialogIsShownInTheErrorBox() {
        struct FailingEngine : DlgEngine {
            int32_t Brightness(QWidget*, PixDlgAdjustParams*) override { return -2; }
            int32_t Sharpen(QWidget*, PixDlgAdjustParams*) override { return -789; }
        } engine;
        TForm1 form("");
        form.show();
        ChooseInLoad(form, Write("failing.bmp", 30, 20));
        form.Drawsketch1->trigger();
        const std::vector<uint8_t> drawn = Pixels(form.PixImage2->HasBitmap());
        messages_.clear();
        SetDlgEngine(&engine);
        form.Button5->click();
        form.Sharpen->click();
        QCOMPARE(messages_,
                 std::vector<std::string>(
                     {"PixDlgColor1 \nErrorcode: -2\nShowBrightnessDlg: Invalid bitmap handle. ",
                      "PixDlgImgEffect1 \nError code: -999\nShowSharpenDlg: Internal error = - "
                      "call support. "}));
        QVERIFY(form.isEnabled());
        QCOMPARE(Pixels(form.PixImage2->HasBitmap()), drawn);
    }

    void dialogLibraryThatWillNotStart_data() {
        QTest::addColumn<int>("answer");
        QTest::addColumn<QString>("message");
        QTest::addColumn<bool>("quits");
        QTest::newRow("102") << 102 << "Error Initializing Dialogs" << true;
        QTest::newRow("-789")
            << -789
            << "PixDlgService1 \nError code: -999\nInitDialogs: Internal error = - call support. "
            << false;
    }
    void dialogLibraryThatWillNotStart() {
        QFETCH(int, answer);
        QFETCH(QString, message);
        QFETCH(bool, quits);
        struct Engine : DlgEngine {
            int32_t answer = 1;
            int32_t Init(int32_t) override { return answer; }
        } engine;
        engine.answer = answer;
        SetDlgEngine(&engine);
        TForm1 form("");
        QVERIFY(!messages_.empty());
        QCOMPARE(messages_.back(), message.toStdString());
        QCOMPARE(QuitRequested(), quits);
    }

    void equalizeAfterThePhotoWentAway() {
        TForm1 form("");
        const std::string path = Write("gone.bmp", 20, 20);
        ChooseInLoad(form, path);
        QVERIFY(QFile::remove(QString::fromStdString(path)));
        form.Equalize1->trigger();
        QCOMPARE(messages_, std::vector<std::string>({"Imges empty"}));
        QVERIFY(!form.Pixbackgnd->HasBitmap());
        form.Drawsketch1->trigger();
        QCOMPARE(messages_, std::vector<std::string>({"Imges empty", "Imges empty"}));
    }
};

QTEST_MAIN(CommandsTest)
#include "commands_test.moc"
