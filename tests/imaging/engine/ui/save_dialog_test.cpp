// SPDX-License-Identifier: GPL-3.0-or-later
// The engine's save dialog, driven through its test hook as a user would:
// formats and their options, the extension that follows the format, the
// question before replacing a file, and what goes back into both records.
#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QtTest>
#include <cstring>
#include <string>
#include <vector>

#include "imaging/engine/codecs/file_format.h"
#include "imaging/engine/codecs/save_options.h"
#include "imaging/engine/load_options.h"
#include "imaging/engine/status_codes.h"
#include "imaging/engine/ui/dialog_library.h"
#include "tests/support/isolated_settings.h"
#include "tests/support/save_dialog_driver.h"

namespace {

// Both records with their buffers, as a caller fills them.
struct Records {
    std::vector<char> file = std::vector<char>(26400, '\0');
    std::vector<char> title = std::vector<char>(26401, '\0');
    std::string folder;
    OPENFILENAMEA ofn{};
    PixDlgSaveParams params{};

    explicit Records(const QString& dir, uint32_t flags = kDlgSaveOfferStamp | kDlgSaveOfferPages)
        : folder(QFile::encodeName(dir).toStdString()) {
        ofn.lStructSize = sizeof ofn;
        ofn.lpstrFile = file.data();
        ofn.nMaxFile = uint32_t(file.size());
        ofn.lpstrFileTitle = title.data();
        ofn.nMaxFileTitle = uint32_t(title.size() - 1);
        ofn.lpstrInitialDir = folder.c_str();
        ofn.lpstrTitle = "Save A File";
        params.StructSize = sizeof params;
        params.QFactor = 2;
        params.PageModePlusOne = 1;
        params.StampWidth = 120;
        params.StampHeight = 120;
        params.DialogFlags = flags;
        params.AuxValue3 = 77;
    }
    int32_t Run() { return P_DlgSave(nullptr, &ofn, &params); }
};

QStringList FileTypes(QDialog* d) {
    QStringList items;
    auto* combo = d->findChild<QComboBox*>("fileTypeCombo");
    for (int i = 0; combo && i < combo->count(); ++i) items << combo->itemText(i);
    return items;
}

QStringList Items(QDialog* d, const char* name) {
    QStringList items;
    auto* combo = d->findChild<QComboBox*>(name);
    for (int i = 0; combo && i < combo->count(); ++i) items << combo->itemText(i);
    return items;
}

bool Shown(QDialog* d, const char* name) {
    auto* w = d->findChild<QWidget*>(name);
    return w && w->isVisibleTo(d);
}

}  // namespace

class SaveDialogTest : public QObject {
    Q_OBJECT

    QTemporaryDir settings_;

private slots:
    void initTestCase() {
        isolated_settings::Use(settings_);
        QCOMPARE(P_DlgInit(1), pix::kSuccess);
    }
    void cleanup() { save_driver::Stop(); }

    void refusedRecordsOpenNoDialog() {
        QTemporaryDir dir;
        int opened = 0;
        P_DlgSetShownHook([&](QDialog* d) {
            ++opened;
            d->reject();
        });
        Records r(dir.path());
        QCOMPARE(P_DlgSave(nullptr, nullptr, &r.params), pix::kInvalidParameter);
        QCOMPARE(P_DlgSave(nullptr, &r.ofn, nullptr), pix::kInvalidParameter);
        r.params.StructSize = 562;
        QCOMPARE(r.Run(), pix::kInvalidStructSize);
        r.params.StructSize = sizeof r.params;
        r.ofn.lStructSize = 76;
        QCOMPARE(r.Run(), pix::kInvalidStructSize);
        r.ofn.lStructSize = sizeof r.ofn;
        // A list of formats the engine does not write leaves nothing to offer.
        PixSaveFormatItem cineon{sizeof(PixSaveFormatItem), pix::kFormatCineon, 0, nullptr};
        r.params.FormatList = &cineon;
        r.params.FormatCount = 1;
        QCOMPARE(r.Run(), pix::kNotSupported);
        QCOMPARE(opened, 0);
    }

    // The user picks JPEG, types a PNG name: the name takes the format's
    // extension, and both records carry the choices back.
    void chosenFormatGivesNameAndRecords() {
        QTemporaryDir dir;
        Records r(dir.path());
        QStringList types, depths;
        bool qualityShown = true, pagesShown = true, stampShown = false;
        save_driver::Drive([&](QDialog* d) {
            types = FileTypes(d);
            QCOMPARE(d->windowTitle(), QString("Save A File"));
            QVERIFY(save_driver::ChooseFormat(d, "PNG"));
            qualityShown = Shown(d, "quality");
            save_driver::TypeName(d, "sketch.png");
            QVERIFY(save_driver::ChooseFormat(d, "JPEG"));
            QCOMPARE(save_driver::NameEdit(d)->text(), QString("sketch.jpg"));
            depths = Items(d, "bitsPerPixel");
            pagesShown = Shown(d, "pageMode");
            stampShown = Shown(d, "stamp");
            d->findChild<QSpinBox*>("quality")->setValue(40);
            d->findChild<QComboBox*>("bitsPerPixel")->setCurrentIndex(1);
            save_driver::PressSave(d);
        });
        QCOMPARE(r.Run(), kDlgOk);
        QCOMPARE(types, QStringList({"BMP (*.bmp *.dib)", "JPEG (*.jpg *.jpeg *.jpe *.jfif)",
                                     "PNG (*.png)", "TIFF (*.tif *.tiff)", "SGI (*.sgi *.rgb *.bw)",
                                     "JPEG 2000 (*.jp2)", "JPEG 2000 codestream (*.j2k *.j2c)"}));
        QVERIFY(!qualityShown);
        QCOMPARE(depths, QStringList({"24 bits (true colour)", "8 bits (256 colours)"}));
        QVERIFY(!pagesShown);
        QVERIFY(stampShown);

        const std::string path = QFile::encodeName(dir.filePath("sketch.jpg")).toStdString();
        QCOMPARE(std::string(r.params.FileName), path);
        QCOMPARE(std::string(r.ofn.lpstrFile), path);
        QCOMPARE(std::string(r.ofn.lpstrFileTitle), std::string("sketch.jpg"));
        QCOMPARE(r.ofn.nFileOffset, uint16_t(path.size() - 10));
        QCOMPARE(r.ofn.nFileExtension, uint16_t(path.size() - 3));
        QCOMPARE(r.ofn.nFilterIndex, 2u);
        QCOMPARE(r.params.FileFormat, pix::kFormatJpeg);
        QCOMPARE(r.params.BitsPerPixel, 8);
        QCOMPARE(r.params.QFactor, 40);
        QCOMPARE(r.params.PageModePlusOne, 1);
        QCOMPARE(r.params.WithStamp, 0);
        QCOMPARE(r.params.AuxValue3, 77);  // carried, untouched
    }

    void nameWithoutOrWithOtherExtension_data() {
        QTest::addColumn<QString>("format");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("saved");
        QTest::newRow("none added") << "TIFF"
                                    << "drawing"
                                    << "drawing.tif";
        QTest::newRow("another format's replaced") << "PNG"
                                                   << "drawing.BMP"
                                                   << "drawing.png";
        QTest::newRow("the format's own kept") << "TIFF"
                                               << "drawing.tiff"
                                               << "drawing.tiff";
        QTest::newRow("a dot in the name kept") << "SGI"
                                                << "drawing.v2"
                                                << "drawing.v2.sgi";
    }
    void nameWithoutOrWithOtherExtension() {
        QFETCH(QString, format);
        QFETCH(QString, typed);
        QFETCH(QString, saved);
        QTemporaryDir dir;
        Records r(dir.path());
        save_driver::Drive([&](QDialog* d) {
            save_driver::ChooseFormat(d, format);
            save_driver::TypeName(d, typed);
            save_driver::PressSave(d);
        });
        QCOMPARE(r.Run(), kDlgOk);
        QCOMPARE(QString::fromLocal8Bit(r.params.FileName), dir.filePath(saved));
    }

    // Replacing asks first; No keeps the dialog open, Yes confirms. Adding a
    // page to an existing file asks nothing.
    void replacingAsksFirst() {
        QTemporaryDir dir;
        QFile existing(dir.filePath("old.png"));
        QVERIFY(existing.open(QIODevice::WriteOnly));
        existing.write("keep");
        existing.close();
        Records r(dir.path());
        QString question;
        int asked = 0;
        bool openAfterNo = false;
        save_driver::Drive([&](QDialog* d) {
            save_driver::ChooseFormat(d, "PNG");
            save_driver::TypeName(d, "old");
            save_driver::AnswerNextBox(QMessageBox::No, &question, &asked);
            save_driver::PressSave(d);
            openAfterNo = d->isVisible();
            save_driver::AnswerNextBox(QMessageBox::Yes, nullptr, &asked);
            save_driver::PressSave(d);
        });
        QCOMPARE(r.Run(), kDlgOk);
        QCOMPARE(asked, 2);
        QVERIFY(openAfterNo);
        QCOMPARE(question, QString("old.png already exists.\nDo you want to replace it?"));
        QCOMPARE(QString::fromLocal8Bit(r.params.FileName), dir.filePath("old.png"));

        QFile tiff(dir.filePath("pages.tif"));
        QVERIFY(tiff.open(QIODevice::WriteOnly));
        tiff.close();
        Records add(dir.path());
        asked = 0;
        save_driver::Drive([&](QDialog* d) {
            save_driver::ChooseFormat(d, "TIFF");
            d->findChild<QComboBox*>("pageMode")->setCurrentIndex(1);
            save_driver::TypeName(d, "pages.tif");
            save_driver::AnswerNextBox(QMessageBox::No, nullptr, &asked);
            save_driver::PressSave(d);
        });
        QCOMPARE(add.Run(), kDlgOk);
        QCOMPARE(asked, 0);
        QCOMPARE(add.params.PageModePlusOne, kPageModeAppend + 1);
    }

    // Cancel leaves both records as they were, byte for byte.
    void cancelChangesNothing() {
        QTemporaryDir dir;
        Records r(dir.path());
        std::strcpy(r.file.data(), "given.bmp");
        const PixDlgSaveParams before = r.params;
        const std::vector<char> fileBefore = r.file;
        save_driver::Drive([&](QDialog* d) {
            save_driver::ChooseFormat(d, "TIFF");
            save_driver::TypeName(d, "other");
            d->reject();
        });
        QCOMPARE(r.Run(), kDlgCancel);
        QCOMPARE(std::memcmp(&before, &r.params, sizeof before), 0);
        QVERIFY(fileBefore == r.file);
    }

    // The record's choices open the dialog: format, depth, page mode, stamp.
    // TIFF offers every depth, its compressions at each, and the page modes.
    void opensWithRecordChoices() {
        QTemporaryDir dir;
        Records r(dir.path());
        r.params.FileFormat = pix::kFormatTiff;
        r.params.BitsPerPixel = 8;
        r.params.PageModePlusOne = kPageModeInsertPage + 1;
        r.params.WithStamp = -1;
        r.params.StampWidth = 64;
        r.params.StampHeight = 48;
        r.params.StampBits = 8;
        std::strcpy(r.file.data(), "start.png");
        QString name;
        QStringList depths, compressions24, compressions8, pages;
        save_driver::Drive([&](QDialog* d) {
            name = save_driver::NameEdit(d)->text();
            depths = Items(d, "bitsPerPixel");
            compressions8 = Items(d, "compression");
            pages = Items(d, "pageMode");
            d->findChild<QComboBox*>("bitsPerPixel")->setCurrentIndex(0);
            compressions24 = Items(d, "compression");
            d->findChild<QComboBox*>("compression")->setCurrentIndex(2);  // Deflate
            save_driver::PressSave(d);
        });
        QCOMPARE(r.Run(), kDlgOk);
        QCOMPARE(name, QString("start.tif"));
        QCOMPARE(depths, QStringList({"24 bits (true colour)", "8 bits (256 colours)",
                                      "4 bits (16 colours)", "1 bit (2 colours)"}));
        QCOMPARE(compressions8, QStringList({"LZW", "None", "Deflate", "JPEG"}));
        QCOMPARE(compressions24, QStringList({"LZW", "None", "Deflate", "JPEG"}));
        QCOMPARE(pages, QStringList({"Replace the file", "Add as its last page",
                                     "Insert as its first page", "Replace its first page"}));
        QCOMPARE(r.params.FileFormat, pix::kFormatTiff);
        QCOMPARE(r.params.BitsPerPixel, 24);
        QCOMPARE(r.params.PageModePlusOne, kPageModeInsertPage + 1);
        QCOMPARE(r.params.WithStamp, -1);
        QCOMPARE(r.params.StampWidth, 64);
        QCOMPARE(r.params.StampHeight, 48);
        QCOMPARE(r.params.StampBits, 8);
        // The compression comes back in the record, plus one; the engine's
        // defaults stay as they were.
        QCOMPARE(r.params.AuxValue1, pix::kCompressionDeflate + 1);
        PixSaveFileOptions defaults{};
        P_GetDefaultSaveFileOption(&defaults, sizeof defaults);
        QCOMPARE(defaults.Compression, pix::kCompressionDefault);
    }

    // The dialog starts from the compression the record carries, plus one;
    // 0 starts from the format's usual one.
    void startsFromTheRecordsCompression() {
        const struct {
            int32_t auxValue1;
            QString shown;
        } cases[] = {{pix::kCompressionDeflate + 1, "Deflate"}, {0, "LZW"}};
        for (const auto& c : cases) {
            QTemporaryDir dir;
            Records r(dir.path());
            r.params.FileFormat = pix::kFormatTiff;
            r.params.AuxValue1 = c.auxValue1;
            QString shown;
            save_driver::Drive([&](QDialog* d) {
                shown = d->findChild<QComboBox*>("compression")->currentText();
                d->reject();
            });
            QCOMPARE(r.Run(), kDlgCancel);
            QCOMPARE(shown, c.shown);
        }
    }

    // Without the stamp and page flags those options stay hidden, and a format
    // that has neither never hands them back.
    void optionsFollowFlagsAndFormat() {
        QTemporaryDir dir;
        Records r(dir.path(), 0);
        r.params.WithStamp = -1;
        r.params.PageModePlusOne = kPageModeAppend + 1;
        bool stamp = true, pages = true;
        save_driver::Drive([&](QDialog* d) {
            save_driver::ChooseFormat(d, "TIFF");
            stamp = Shown(d, "stamp");
            pages = Shown(d, "pageMode");
            save_driver::TypeName(d, "x");
            save_driver::PressSave(d);
        });
        QCOMPARE(r.Run(), kDlgOk);
        QVERIFY(!stamp);
        QVERIFY(!pages);
        QCOMPARE(r.params.WithStamp, 0);
        QCOMPARE(r.params.PageModePlusOne, 1);
    }

    // A caller's list offers only its formats and pairs.
    void callersFormatList() {
        QTemporaryDir dir;
        Records r(dir.path());
        PixSaveSubFormat bmpPairs[] = {{12, 8, pix::kCompressionRle},
                                       {12, 8, pix::kCompressionNone}};
        PixSaveFormatItem list[] = {
            {sizeof(PixSaveFormatItem), pix::kFormatBmp, 2, bmpPairs},
            {sizeof(PixSaveFormatItem), pix::kFormatPng, 0, nullptr},
        };
        r.params.FormatList = list;
        r.params.FormatCount = 2;
        QStringList types, depths, compressions;
        save_driver::Drive([&](QDialog* d) {
            types = FileTypes(d);
            save_driver::ChooseFormat(d, "BMP");
            depths = Items(d, "bitsPerPixel");
            compressions = Items(d, "compression");
            save_driver::TypeName(d, "x");
            save_driver::PressSave(d);
        });
        QCOMPARE(r.Run(), kDlgOk);
        QCOMPARE(types, QStringList({"BMP (*.bmp *.dib)", "PNG (*.png)"}));
        QCOMPARE(depths, QStringList({"8 bits (256 colours)"}));
        QCOMPARE(compressions, QStringList({"RLE", "None"}));
        QCOMPARE(r.params.FileFormat, pix::kFormatBmp);
        QCOMPARE(r.params.BitsPerPixel, 8);
        QCOMPARE(r.params.AuxValue1, pix::kCompressionRle + 1);
    }

    // With a help callback the dialog has a Help button that calls it.
    void helpButton() {
        QTemporaryDir dir;
        Records r(dir.path());
        static uint32_t id = 0;
        static void* data = nullptr;
        r.params.HelpCallback = [](uint32_t dialogId, uint32_t, void* userData) {
            id = dialogId;
            data = userData;
        };
        r.params.UserData = &r;
        save_driver::Drive([&](QDialog* d) {
            auto* box = d->findChild<QDialogButtonBox*>("buttonBox");
            QAbstractButton* help = box ? box->button(QDialogButtonBox::Help) : nullptr;
            QVERIFY(help);
            help->click();
            d->reject();
        });
        QCOMPARE(r.Run(), kDlgCancel);
        QCOMPARE(id, kDlgIdSave);
        QCOMPARE(data, static_cast<void*>(&r));
    }

    // A path longer than the record's name field is refused in the dialog.
    void overlongPathRefused() {
        QTemporaryDir dir;
        Records r(dir.path());
        QString warning;
        bool stillOpen = false;
        save_driver::Drive([&](QDialog* d) {
            save_driver::ChooseFormat(d, "PNG");
            save_driver::TypeName(d, QString(300, 'a'));
            save_driver::AnswerNextBox(QMessageBox::Ok, &warning);
            save_driver::PressSave(d);
            stillOpen = d->isVisible();
            d->reject();
        });
        QCOMPARE(r.Run(), kDlgCancel);
        QVERIFY(stillOpen);
        QCOMPARE(warning, QString("The file name is too long.\nChoose a shorter name or folder."));
    }
};

QTEST_MAIN(SaveDialogTest)
#include "save_dialog_test.moc"
