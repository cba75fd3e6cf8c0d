// SPDX-License-Identifier: GPL-3.0-or-later
// The engine's brightness and sharpen dialogs, driven through their test hook.
#include "imaging/engine/ui/dialog_library.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QPushButton>
#include <QSlider>
#include <QSpinBox>
#include <QtTest>
#include <vector>

#include "imaging/engine/retouch_ops.h"
#include "imaging/engine/status_codes.h"
#include "imaging/engine/ui/adjust_preview.h"
#include "tests/support/adjust_dialog_driver.h"

using dialog_driver::Press;

namespace {

// An owned 24-bit bitmap with a pattern that every retouch changes.
class Picture {
public:
    Picture(int32_t w, int32_t h, int32_t bits = 24) {
        P_InitBitmap(&bm, sizeof bm, w, h, bits);
        if (P_AllocateBitmap(&bm, sizeof bm) != pix::kSuccess) qFatal("no bitmap");
        for (int32_t y = 0; y < h; ++y)
            for (int32_t i = 0; i < w * bits / 8; ++i)
                PixRow(bm, y)[i] = uint8_t((i * 37 + y * 91) % 200 + 20);
    }
    ~Picture() { P_FreeBitmap(&bm); }
    std::vector<uint8_t> pixels() const { return {bm.Data, bm.Data + bm.Size}; }
    PixBitmap bm{};
};

PixDlgAdjustParams Params(PixBitmap* bitmap, int32_t value, uint32_t flags) {
    PixDlgAdjustParams p{};
    p.StructSize = sizeof p;
    p.Bitmap = bitmap;
    p.Value = value;
    p.Flags = flags;
    return p;
}

using DialogCall = int32_t (*)(QWidget*, PixDlgAdjustParams*);
using Operation = int32_t (*)(PixBitmap*, int32_t);

struct HelpCall {
    uint32_t id = 0;
    uint32_t value = 99;
    void* userData = nullptr;
    int calls = 0;
};
HelpCall g_help;
void RecordHelp(uint32_t id, uint32_t value, void* userData) {
    g_help = {id, value, userData, g_help.calls + 1};
}

}  // namespace

class DialogLibraryTest : public QObject {
    Q_OBJECT

private slots:
    void cleanup() { dialog_driver::Stop(); }

    // Runs first: nothing has initialised the library yet.
    void refusedBeforeInit() {
        Picture pic(4, 4);
        PixDlgAdjustParams p = Params(&pic.bm, 0, 1);
        QCOMPARE(P_DlgBrightness(nullptr, &p), kDlgNotInitialised);
        QCOMPARE(P_DlgSharpen(nullptr, &p), kDlgNotInitialised);
        QCOMPARE(P_DlgInit(1), pix::kSuccess);
    }

    void refusedRecordsOpenNoDialog_data() {
        QTest::addColumn<int>("kind");  // 0 brightness, 1 sharpen
        QTest::newRow("brightness") << 0;
        QTest::newRow("sharpen") << 1;
    }
    void refusedRecordsOpenNoDialog() {
        QFETCH(int, kind);
        const DialogCall call = kind == 0 ? P_DlgBrightness : P_DlgSharpen;
        int shown = 0;
        dialog_driver::AnswerDialogs(0, Press::Ok, nullptr, &shown);
        Picture pic(4, 4);
        QCOMPARE(call(nullptr, nullptr), pix::kInvalidParameter);
        PixDlgAdjustParams p = Params(&pic.bm, 0, 1);
        p.StructSize = 28;
        QCOMPARE(call(nullptr, &p), pix::kInvalidStructSize);
        p = Params(nullptr, 0, 1);
        QCOMPARE(call(nullptr, &p), pix::kInvalidBitmap);
        PixBitmap empty{};
        P_InitBitmap(&empty, sizeof empty, 4, 4, 24);
        p = Params(&empty, 0, 1);
        QCOMPARE(call(nullptr, &p), pix::kInvalidBitmap);
        Picture palette(4, 4, 8);
        palette.bm.Palette[3].rgbGreen = 0;
        p = Params(&palette.bm, 0, 1);
        QCOMPARE(call(nullptr, &p), pix::kInvalidBitsPerPixel);
        QCOMPARE(shown, 0);
    }

    void answers_data() {
        QTest::addColumn<int>("kind");
        QTest::addColumn<int>("answer");  // the value typed
        QTest::addColumn<bool>("ok");
        QTest::addColumn<uint>("flags");
        QTest::newRow("brightness OK 13") << 0 << 300 << true << 13u;
        QTest::newRow("brightness OK 12") << 0 << 300 << true << 12u;
        QTest::newRow("brightness cancel") << 0 << 300 << false << 13u;
        QTest::newRow("sharpen OK 13") << 1 << 250 << true << 13u;
        QTest::newRow("sharpen OK 12") << 1 << 250 << true << 12u;
        QTest::newRow("sharpen cancel") << 1 << 250 << false << 13u;
        QTest::newRow("sharpen typed past its range") << 1 << 5000 << true << 1u;
    }
    void answers() {
        QFETCH(int, kind);
        QFETCH(int, answer);
        QFETCH(bool, ok);
        QFETCH(uint, flags);
        const DialogCall call = kind == 0 ? P_DlgBrightness : P_DlgSharpen;
        const Operation op = kind == 0 ? P_ChangeBitmapBrightness : P_SharpenBitmap;
        const int32_t chosen = kind == 0 ? answer : std::min(answer, pix::kSharpenMax);
        Picture pic(40, 30), expected(40, 30);
        QCOMPARE(op(&expected.bm, chosen), pix::kSuccess);
        const std::vector<uint8_t> before = pic.pixels();

        std::vector<uint8_t> duringDialog;
        int shown = 0;
        dialog_driver::AnswerDialogs(
            answer, ok ? Press::Ok : Press::Cancel, [&](QDialog*) { duringDialog = pic.pixels(); },
            &shown);
        PixDlgAdjustParams p = Params(&pic.bm, 7, flags);
        p.Switch = -1;
        QCOMPARE(call(nullptr, &p), ok ? kDlgOk : kDlgCancel);
        QCOMPARE(shown, 1);
        QVERIFY(duringDialog == before);  // the preview never touched the bitmap
        QCOMPARE(p.Value, ok ? chosen : 7);
        QCOMPARE(p.Switch, -1);
        QCOMPARE(p.Bitmap, &pic.bm);
        if (ok && (flags & kDlgApplyToBitmap))
            QVERIFY(pic.pixels() == expected.pixels());
        else
            QVERIFY(pic.pixels() == before);
    }

    void escapeAndCloseCancel() {
        Picture pic(8, 8);
        const std::vector<uint8_t> before = pic.pixels();
        P_DlgSetShownHook([](QDialog* d) {
            d->findChild<QSpinBox*>("value")->setValue(500);
            QTest::keyClick(d, Qt::Key_Escape);
        });
        PixDlgAdjustParams p = Params(&pic.bm, 0, 13);
        QCOMPARE(P_DlgSharpen(nullptr, &p), kDlgCancel);
        P_DlgSetShownHook([](QDialog* d) { d->close(); });
        QCOMPARE(P_DlgBrightness(nullptr, &p), kDlgCancel);
        QCOMPARE(p.Value, 0);
        QVERIFY(pic.pixels() == before);
    }

    void ranges_data() {
        QTest::addColumn<int>("kind");
        QTest::addColumn<int>("start");
        QTest::addColumn<int>("minimum");
        QTest::addColumn<int>("maximum");
        QTest::addColumn<int>("shownAt");
        QTest::newRow("brightness") << 0 << -20 << -1000 << 1000 << -20;
        QTest::newRow("brightness below") << 0 << -4000 << -1000 << 1000 << -1000;
        QTest::newRow("sharpen") << 1 << 40 << 0 << 1000 << 40;
        QTest::newRow("sharpen below") << 1 << -5 << 0 << 1000 << 0;
    }
    void ranges() {
        QFETCH(int, kind);
        QFETCH(int, start);
        QFETCH(int, minimum);
        QFETCH(int, maximum);
        QFETCH(int, shownAt);
        Picture pic(8, 8);
        QSpinBox* spin = nullptr;
        QSlider* slider = nullptr;
        int spinMin = 1, spinMax = 0, sliderMin = 1, sliderMax = 0, spinAt = 0, sliderAt = 0;
        P_DlgSetShownHook([&](QDialog* d) {
            spin = d->findChild<QSpinBox*>("value");
            slider = d->findChild<QSlider*>("slider");
            spinMin = spin->minimum();
            spinMax = spin->maximum();
            sliderMin = slider->minimum();
            sliderMax = slider->maximum();
            spinAt = spin->value();
            sliderAt = slider->value();
            d->reject();
        });
        PixDlgAdjustParams p = Params(&pic.bm, start, 13);
        QCOMPARE((kind == 0 ? P_DlgBrightness : P_DlgSharpen)(nullptr, &p), kDlgCancel);
        QCOMPARE(spinMin, minimum);
        QCOMPARE(spinMax, maximum);
        QCOMPARE(sliderMin, minimum);
        QCOMPARE(sliderMax, maximum);
        QCOMPARE(spinAt, shownAt);
        QCOMPARE(sliderAt, shownAt);
    }

    void previewFollowsTheSliderAndBeforeShowsTheOriginal() {
        Picture pic(1024, 768);
        const std::vector<uint8_t> original = pic.pixels();
        AdjustPreview reference(pic.bm, QSize(384, 288), P_SharpenBitmap);
        QImage afterSlider, whileBefore, afterRelease;
        QSize previewSize;
        P_DlgSetShownHook([&](QDialog* d) {
            auto* preview = d->findChild<QLabel*>("preview");
            d->findChild<QSlider*>("slider")->setValue(600);
            afterSlider = preview->pixmap().toImage();
            previewSize = preview->pixmap().size();
            auto* before = d->findChild<QPushButton*>("before");
            QTest::mousePress(before, Qt::LeftButton);
            whileBefore = preview->pixmap().toImage();
            QTest::mouseRelease(before, Qt::LeftButton);
            afterRelease = preview->pixmap().toImage();
            d->reject();
        });
        PixDlgAdjustParams p = Params(&pic.bm, 0, 13);
        QCOMPARE(P_DlgSharpen(nullptr, &p), kDlgCancel);
        QCOMPARE(previewSize, QSize(384, 288));
        const QImage expectedAfter = reference.After(600);
        QCOMPARE(afterSlider.convertToFormat(QImage::Format_RGB32),
                 expectedAfter.convertToFormat(QImage::Format_RGB32));
        QCOMPARE(whileBefore.convertToFormat(QImage::Format_RGB32),
                 reference.Before().convertToFormat(QImage::Format_RGB32));
        QCOMPARE(afterRelease.convertToFormat(QImage::Format_RGB32),
                 expectedAfter.convertToFormat(QImage::Format_RGB32));
        QVERIFY(afterSlider != whileBefore);
        QVERIFY(pic.pixels() == original);
    }

    void helpButtonOnlyWithACallback() {
        Picture pic(8, 8);
        for (bool withHelp : {false, true}) {
            bool hasHelp = !withHelp;
            g_help = {};
            P_DlgSetShownHook([&](QDialog* d) {
                QPushButton* help =
                    d->findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Help);
                hasHelp = help != nullptr;
                if (help) help->click();
                d->reject();
            });
            int userData = 0;
            PixDlgAdjustParams p = Params(&pic.bm, 0, 13);
            p.HelpCallback = withHelp ? RecordHelp : nullptr;
            p.UserData = &userData;
            QCOMPARE(P_DlgBrightness(nullptr, &p), kDlgCancel);
            QCOMPARE(hasHelp, withHelp);
            if (withHelp) {
                QCOMPARE(g_help.calls, 1);
                QCOMPARE(g_help.id, kDlgIdBrightness);
                QCOMPARE(g_help.value, 0u);
                QCOMPARE(g_help.userData, static_cast<void*>(&userData));
            } else {
                QCOMPARE(g_help.calls, 0);
            }
        }
    }

    void drawnInTheFontSetAndUsableUnderADisabledParent() {
        QWidget parent;
        parent.show();
        parent.setEnabled(false);
        QFont font("Serif");
        font.setPointSize(13);
        QCOMPARE(P_DlgSetFont(font), pix::kSuccess);
        Picture grey(16, 12, 8);
        QFont shownFont;
        QWidget* shownParent = nullptr;
        bool enabled = false;
        dialog_driver::AnswerDialogs(-500, Press::Ok, [&](QDialog* d) {
            shownFont = d->font();
            shownParent = d->parentWidget();
            enabled = d->isEnabled();
        });
        Picture expected(16, 12, 8);
        QCOMPARE(P_ChangeBitmapBrightness(&expected.bm, -500), pix::kSuccess);
        PixDlgAdjustParams p = Params(&grey.bm, 0, 13);
        QCOMPARE(P_DlgBrightness(&parent, &p), kDlgOk);
        QCOMPARE(shownFont, font);
        QCOMPARE(shownParent, &parent);
        QVERIFY(enabled);
        QVERIFY(grey.pixels() == expected.pixels());
        P_DlgSetFont(QApplication::font());
    }
};

QTEST_MAIN(DialogLibraryTest)
#include "dialog_library_test.moc"
