// SPDX-License-Identifier: GPL-3.0-or-later
// The save dialog component against a recording engine: its initial values,
// the buffer-size rule, both records as the engine receives them, the results
// read back (or not), the engine settings put back around the dialog, the
// format list, and its status check.
#include <QTemporaryDir>
#include <QtTest>
#include <cstring>
#include <optional>
#include <string>
#include <vector>

#include "imaging/control/pix_image.h"
#include "imaging/dialogs/dlg_engine.h"
#include "imaging/dialogs/pix_dlg_components.h"
#include "imaging/engine/codecs/file_format.h"
#include "imaging/engine/status_codes.h"
#include "tests/imaging/engine/codecs/image_fixtures.h"

namespace {

// What the engine saw of one call, with the buffers' contents.
struct SeenCall {
    OPENFILENAMEA ofn{};
    std::vector<char> file;
    std::vector<char> title;
    std::string initialDir;
    std::string caption;
    PixDlgSaveParams record{};
    std::vector<PixSaveFormatItem> items;
    std::vector<std::vector<PixSaveSubFormat>> pairs;
    PixJ2KOptions engineJ2K{};
    PixJBIG2Options engineJBIG2{};
    std::optional<bool> watchedEnabled;
};

// Answers with a fixed code after letting a test write into the records; the
// option get/set pairs stay the engine's own.
class SaveEngine : public DlgEngine {
public:
    int32_t answer = kDlgOk;
    std::function<void(OPENFILENAMEA*, PixDlgSaveParams*)> write;
    std::vector<SeenCall> calls;
    QWidget* watched = nullptr;

    int32_t Save(QWidget*, OPENFILENAMEA* ofn, PixDlgSaveParams* r) override {
        SeenCall c;
        c.ofn = *ofn;
        c.file.assign(ofn->lpstrFile, ofn->lpstrFile + ofn->nMaxFile);
        c.title.assign(ofn->lpstrFileTitle, ofn->lpstrFileTitle + ofn->nMaxFileTitle + 1);
        c.initialDir = ofn->lpstrInitialDir ? ofn->lpstrInitialDir : "(null)";
        c.caption = ofn->lpstrTitle ? ofn->lpstrTitle : "(null)";
        c.record = *r;
        for (uint32_t i = 0; r->FormatList && i < r->FormatCount; ++i) {
            c.items.push_back(r->FormatList[i]);
            const PixSaveFormatItem& it = r->FormatList[i];
            c.pairs.emplace_back(it.SubFormats,
                                 it.SubFormats + (it.SubFormats ? it.SubFormatCount : 0));
        }
        P_GetJ2KOptions(&c.engineJ2K, sizeof c.engineJ2K);
        P_GetJBIG2Options(&c.engineJBIG2, sizeof c.engineJBIG2);
        if (watched) c.watchedEnabled = watched->isEnabled();
        calls.push_back(c);
        if (write) write(ofn, r);
        return answer;
    }
};

fixtures::Bgr Pattern(int x, int y) {
    return {uint8_t(x * 11), uint8_t(y * 17), uint8_t(x + y)};
}

QString Raised(const std::function<void()>& call) {
    try {
        call();
    } catch (const EPixDlgFileError& e) {
        return QString::fromLatin1(e.what());
    }
    return "(nothing raised)";
}

bool SameBytes(const void* a, const void* b, size_t n) {
    return std::memcmp(a, b, n) == 0;
}

}  // namespace

class PixDlgFileTest : public QObject {
    Q_OBJECT

private:
    SaveEngine engine_;
    std::unique_ptr<TPixDlgFile> dlg_;

private slots:
    void init() {
        engine_ = SaveEngine{};
        SetDlgEngine(&engine_);
        dlg_ = std::make_unique<TPixDlgFile>();
        dlg_->setObjectName("PixDlgFile1");
    }
    void cleanup() {
        dlg_.reset();
        SetDlgEngine(nullptr);
    }

    void initialValues() {
        const TPixDlgFile& d = *dlg_;
        QVERIFY(d.EnableMethodErrors());
        QVERIFY(!d.ShowHelpButton());
        QVERIFY(!d.PixImage() && !d.PixDlgService());
        QCOMPARE(d.LastStatus(), 1);
        QCOMPARE(d.DialogFlags(), 0u);
        QCOMPARE(d.Title(), std::string("Pix Common Dialog"));
        QVERIFY(d.FileName().empty() && d.FileTitle().empty() && d.InitialDir().empty());
        QCOMPARE(d.FilterIndex(), 0);
        QCOMPARE(d.OpenFileFlags(), 0u);
        QCOMPARE(d.MaxFileSize(), 0u);
        QCOMPARE(d.MaxFileTitleSize(), 0u);
        QVERIFY(dlg_->SaveFormats().empty());
        QCOMPARE(d.BitsPerPixel(), 0);
        QCOMPARE(d.FileFormat(), 0);
        QCOMPARE(d.QFactor(), 2);
        QCOMPARE(d.PageMode(), 0);
        QVERIFY(!d.AuxSwitch() && !d.WithStamp());
        QCOMPARE(d.StampBits(), 0);
        QCOMPARE(d.StampWidth(), 120);
        QCOMPARE(d.StampHeight(), 120);
        QCOMPARE(d.AuxValue1() + d.AuxValue2() + d.AuxValue3() + d.AuxValue4(), 0);
        const PixJ2KOptions& j = d.J2KOptions();
        QCOMPARE(j.StructSize, 140u);
        uint32_t ratioBits = 0;
        std::memcpy(&ratioBits, &j.Ratio, 4);
        QCOMPARE(ratioBits, 0x41C80000u);
        QCOMPARE(j.Value1, 10240);
        QCOMPARE(j.Levels, 5);
        QCOMPARE(j.Switch1 | j.Switch2 | j.Switch3 | j.Switch4 | j.Value0, 0);
        QCOMPARE(d.JBIG2Template1AT1X(), uint8_t(3));
        QCOMPARE(int8_t(d.JBIG2Template2AT4Y()), int8_t(-2));
        QCOMPARE(d.JBIG2ParamC(), 8192u);
        QCOMPARE(d.JBIG2ParamG(), 2000u);
        QCOMPARE(d.JBIG2ParamN(), 256u);
    }

    void bufferSizes_data() {
        QTest::addColumn<bool>("title");
        QTest::addColumn<uint32_t>("value");
        QTest::addColumn<bool>("accepted");
        for (bool title : {false, true}) {
            const char* n = title ? "MaxFileTitleSize " : "MaxFileSize ";
            QTest::newRow((std::string(n) + "0").c_str()) << title << 0u << true;
            QTest::newRow((std::string(n) + "1").c_str()) << title << 1u << false;
            QTest::newRow((std::string(n) + "255").c_str()) << title << 255u << false;
            QTest::newRow((std::string(n) + "256").c_str()) << title << 256u << true;
        }
    }
    void bufferSizes() {
        QFETCH(bool, title);
        QFETCH(uint32_t, value);
        QFETCH(bool, accepted);
        auto set = [&](uint32_t v) {
            title ? dlg_->SetMaxFileTitleSize(v) : dlg_->SetMaxFileSize(v);
        };
        auto get = [&] { return title ? dlg_->MaxFileTitleSize() : dlg_->MaxFileSize(); };
        set(4000);
        const QString op = title ? "MaxFileTitleSize" : "MaxFileSize";
        QCOMPARE(Raised([&] { set(value); }), accepted ? QString("(nothing raised)")
                                                       : "PixDlgFile1 \nError code: -13\n" + op +
                                                             ": Invalid parameter passed. ");
        QCOMPARE(get(), accepted ? value : 4000u);
        dlg_->SetEnableMethodErrors(false);
        set(4000);
        set(value);
        QCOMPARE(get(), accepted ? value : 4000u);
        if (!accepted) QCOMPARE(dlg_->LastStatus(), -13);
    }

    // Both records as the engine receives them.
    void recordsHandedOver() {
        QTemporaryDir dir;
        const std::string photo = dir.filePath("p.bmp").toStdString();
        QVERIFY(fixtures::WriteFile(photo, fixtures::Bmp24(6, 4, Pattern)));
        TPixImage image;
        QCOMPARE(image.Load(photo, 0, 0, 1), 1);
        dlg_->SetPixImage(&image);
        dlg_->SetFileName("given.png");
        dlg_->SetFileTitle("given");
        dlg_->SetTitle("Save A File");
        dlg_->SetOpenFileFlags(0x20);
        dlg_->SetFilterIndex(3);
        dlg_->SetDialogFlags(12);
        dlg_->SetBitsPerPixel(8);
        dlg_->SetFileFormat(pix::kFormatTiff);
        dlg_->SetQFactor(30);
        dlg_->SetWithStamp(true);
        dlg_->SetAuxSwitch(true);
        dlg_->SetAuxValue4(44);
        PixJ2KOptions j = dlg_->J2KOptions();
        j.Switch1 = 5;
        j.Values4[6] = 9;
        std::memset(j.Reserved, 0xAB, sizeof j.Reserved);
        dlg_->SetJ2KOptions(j);
        PixJBIG2Options b = dlg_->JBIG2Options();
        b.ParamK = 1234;
        b.Template2AT[0] = -7;
        dlg_->SetJBIG2Options(b);
        engine_.answer = kDlgCancel;
        QCOMPARE(dlg_->ShowSaveDlg(nullptr), kDlgCancel);

        QCOMPARE(engine_.calls.size(), size_t(1));
        const SeenCall& c = engine_.calls[0];
        QCOMPARE(c.ofn.lStructSize, uint32_t(sizeof(OPENFILENAMEA)));
        QCOMPARE(c.ofn.nMaxFile, 26400u);
        QCOMPARE(c.ofn.nMaxFileTitle, 26400u);
        QCOMPARE(std::string(c.file.data()), std::string("given.png"));
        QCOMPARE(std::string(c.title.data()), std::string("given"));
        QCOMPARE(c.title.size(), size_t(26401));
        QCOMPARE(c.initialDir, std::string(""));
        QCOMPARE(c.caption, std::string("Save A File"));
        QCOMPARE(c.ofn.Flags, 0x20u);
        QCOMPARE(c.ofn.nFilterIndex, 3u);
        QVERIFY(!c.ofn.hwndOwner && !c.ofn.lpstrFilter && !c.ofn.lpstrDefExt && !c.ofn.lpfnHook);

        const PixDlgSaveParams& r = c.record;
        QCOMPARE(r.StructSize, uint32_t(sizeof(PixDlgSaveParams)));
        QCOMPARE(r.FileName[0], '\0');
        QCOMPARE(r.Bitmap, image.HasBitmap());
        QCOMPARE(r.BitsPerPixel, 8);
        QCOMPARE(r.FileFormat, pix::kFormatTiff);
        QCOMPARE(r.QFactor, 30);
        QCOMPARE(r.PageModePlusOne, 1);
        QCOMPARE(r.AuxSwitch, -1);
        QCOMPARE(r.WithStamp, -1);
        QCOMPARE(r.StampWidth, 120);
        QCOMPARE(r.AuxValue4, 44);
        QCOMPARE(r.J2KOptions.Switch1, -1);
        QCOMPARE(r.J2KOptions.Values4[6], 9);
        QCOMPARE(r.J2KOptions.Reserved[27], uint8_t(0));
        QCOMPARE(r.JBIG2Options.ParamK, 1234u);
        QCOMPARE(r.JBIG2Options.Template2AT[0], int8_t(-7));
        QVERIFY(!r.FormatList);
        QCOMPARE(r.FormatCount, 0u);
        QCOMPARE(r.DialogFlags, 12u);
        QVERIFY(!r.HelpCallback);
        QCOMPARE(r.UserData, static_cast<void*>(dlg_.get()));
        // The component's settings were the engine's during the call.
        QVERIFY(SameBytes(&c.engineJ2K, &r.J2KOptions, sizeof c.engineJ2K));
        QVERIFY(SameBytes(&c.engineJBIG2, &r.JBIG2Options, sizeof c.engineJBIG2));

        // No name: the buffer starts with a zero; a given size is the size
        // used; the help button puts the callback in once a handler is set.
        dlg_->SetFileName("");
        dlg_->SetMaxFileSize(300);
        dlg_->SetShowHelpButton(true);
        dlg_->ShowSaveDlg(nullptr);
        QCOMPARE(engine_.calls[1].file.size(), size_t(300));
        QCOMPARE(engine_.calls[1].file[0], '\0');
        QVERIFY(!engine_.calls[1].record.HelpCallback);
        dlg_->OnDlgHelp = [](QObject*, uint32_t) {};
        dlg_->ShowSaveDlg(nullptr);
        QVERIFY(engine_.calls[2].record.HelpCallback == DialogHelpCallback);
    }

    // OK copies every result back; the name comes from the record, not from
    // the file buffer.
    void resultsReadBack() {
        engine_.write = [](OPENFILENAMEA* ofn, PixDlgSaveParams* r) {
            std::strcpy(r->FileName, "/pictures/chosen.tif");
            std::strcpy(ofn->lpstrFile, "/elsewhere/buffer.png");
            std::strcpy(ofn->lpstrFileTitle, "chosen.tif");
            ofn->nFilterIndex = 4;
            r->FileFormat = pix::kFormatTiff;
            r->BitsPerPixel = 24;
            r->QFactor = 77;
            r->PageModePlusOne = 3;
            r->WithStamp = 5;
            r->AuxSwitch = 0;
            r->AuxValue2 = -8;
            r->StampBits = 8;
            r->StampWidth = 64;
            r->StampHeight = 32;
            r->J2KOptions.Switch2 = 7;
            r->J2KOptions.Value0 = 3;
            r->JBIG2Options.ParamA = 99;
            r->JBIG2Options.Template1 = 2;
        };
        dlg_->SetAuxSwitch(true);
        QCOMPARE(dlg_->ShowSaveDlg(nullptr), kDlgOk);
        QCOMPARE(dlg_->LastStatus(), kDlgOk);
        QCOMPARE(dlg_->FileName(), std::string("/pictures/chosen.tif"));
        QCOMPARE(dlg_->FileTitle(), std::string("chosen.tif"));
        QCOMPARE(dlg_->FilterIndex(), 4);
        QCOMPARE(dlg_->MaxFileSize(), 26400u);
        QCOMPARE(dlg_->MaxFileTitleSize(), 26400u);
        QCOMPARE(dlg_->FileFormat(), pix::kFormatTiff);
        QCOMPARE(dlg_->BitsPerPixel(), 24);
        QCOMPARE(dlg_->QFactor(), 77);
        QCOMPARE(dlg_->PageMode(), 2);
        QVERIFY(dlg_->WithStamp());
        QVERIFY(!dlg_->AuxSwitch());
        QCOMPARE(dlg_->AuxValue2(), -8);
        QCOMPARE(dlg_->StampBits(), 8);
        QCOMPARE(dlg_->StampWidth(), 64);
        QCOMPARE(dlg_->StampHeight(), 32);
        QCOMPARE(dlg_->J2KOptions().Switch2, -1);
        QCOMPARE(dlg_->J2KOptions().Value0, 3);
        QCOMPARE(dlg_->JBIG2ParamA(), 99u);
        QCOMPARE(dlg_->JBIG2Template1(), uint8_t(2));
    }

    // Any result but OK leaves every property but LastStatus as it was.
    void otherResultsCopyNothing_data() {
        QTest::addColumn<int>("answer");
        QTest::newRow("cancel") << kDlgCancel;
        QTest::newRow("1") << 1;
        QTest::newRow("102") << 102;
    }
    void otherResultsCopyNothing() {
        QFETCH(int, answer);
        engine_.answer = answer;
        engine_.write = [](OPENFILENAMEA* ofn, PixDlgSaveParams* r) {
            std::strcpy(r->FileName, "/x.png");
            ofn->nMaxFile = 999;
            r->PageModePlusOne = 4;
            r->WithStamp = -1;
            r->QFactor = 90;
        };
        dlg_->SetFileName("kept.bmp");
        QCOMPARE(dlg_->ShowSaveDlg(nullptr), answer);
        QCOMPARE(dlg_->LastStatus(), answer);
        QCOMPARE(dlg_->FileName(), std::string("kept.bmp"));
        QCOMPARE(dlg_->MaxFileSize(), 0u);
        QCOMPARE(dlg_->PageMode(), 0);
        QVERIFY(!dlg_->WithStamp());
        QCOMPARE(dlg_->QFactor(), 2);
    }

    // After every run the engine has its own settings back and the windows
    // are enabled again, also when the dialog failed.
    void engineSettingsPutBack_data() {
        QTest::addColumn<int>("answer");
        QTest::addColumn<QString>("error");
        QTest::newRow("ok") << kDlgOk << "(nothing raised)";
        QTest::newRow("cancel") << kDlgCancel << "(nothing raised)";
        QTest::newRow("-7") << -7
                            << "PixDlgFile1 \nError code: -7\nShowSaveDlg: Error reading file. ";
        QTest::newRow("-789") << -789
                              << "PixDlgFile1 \nError code: -999\nShowSaveDlg: Internal error = "
                                 "- call support. ";
    }
    void engineSettingsPutBack() {
        QFETCH(int, answer);
        QFETCH(QString, error);
        PixJ2KOptions engineJ2K{};
        P_GetJ2KOptions(&engineJ2K, sizeof engineJ2K);
        engineJ2K.Value0 = 4242;
        P_SetJ2KOptions(&engineJ2K, sizeof engineJ2K);
        PixJBIG2Options engineJBIG2{};
        P_GetJBIG2Options(&engineJBIG2, sizeof engineJBIG2);
        engineJBIG2.ParamN = 777;
        P_SetJBIG2Options(&engineJBIG2, sizeof engineJBIG2);

        QWidget window;
        window.show();
        engine_.watched = &window;
        engine_.answer = answer;
        QCOMPARE(Raised([&] { dlg_->ShowSaveDlg(nullptr); }), error);
        QCOMPARE(engine_.calls.size(), size_t(1));
        QCOMPARE(engine_.calls[0].engineJ2K.Value0, 0);
        QCOMPARE(engine_.calls[0].engineJBIG2.ParamN, 256u);
        QCOMPARE(engine_.calls[0].watchedEnabled, std::optional<bool>(false));
        QVERIFY(window.isEnabled());

        PixJ2KOptions afterJ2K{};
        P_GetJ2KOptions(&afterJ2K, sizeof afterJ2K);
        PixJBIG2Options afterJBIG2{};
        P_GetJBIG2Options(&afterJBIG2, sizeof afterJBIG2);
        QVERIFY(SameBytes(&afterJ2K, &engineJ2K, sizeof afterJ2K));
        QVERIFY(SameBytes(&afterJBIG2, &engineJBIG2, sizeof afterJBIG2));
        QCOMPARE(dlg_->LastStatus(), answer == -789 ? -999 : answer);
    }

    // The entries of SaveFormats go to the engine as a list with their pairs;
    // their accessors check the index.
    void formatList() {
        auto& formats = dlg_->SaveFormats();
        formats.push_back(std::make_unique<TPixFileSaveFormat>(
            dlg_.get(), pix::kFormatBmp, std::vector<TPixFileSaveFormat::Item>{{8, 1}, {24, 0}}));
        formats.push_back(std::make_unique<TPixFileSaveFormat>(dlg_.get(), pix::kFormatPng));
        dlg_->ShowSaveDlg(nullptr);
        const SeenCall& c = engine_.calls.at(0);
        QCOMPARE(c.record.FormatCount, 2u);
        QCOMPARE(c.items[0].StructSize, uint32_t(sizeof(PixSaveFormatItem)));
        QCOMPARE(c.items[0].FileFormat, pix::kFormatBmp);
        QCOMPARE(c.items[0].SubFormatCount, 2u);
        QCOMPARE(c.pairs[0].size(), size_t(2));
        QCOMPARE(c.pairs[0][0].StructSize, 12u);
        QCOMPARE(c.pairs[0][0].BitsPerPixel, 8);
        QCOMPARE(c.pairs[0][0].SubFormat, 1);
        QCOMPARE(c.pairs[0][1].BitsPerPixel, 24);
        QCOMPARE(c.items[1].FileFormat, pix::kFormatPng);
        QCOMPARE(c.items[1].SubFormatCount, 0u);
        QVERIFY(!c.items[1].SubFormats);

        const TPixFileSaveFormat& bmp = *formats[0];
        QCOMPARE(bmp.FormatBpp(1), 24);
        QCOMPARE(bmp.SubFormats(0), 1);
        QCOMPARE(Raised([&] { bmp.FormatBpp(2); }),
                 QString("PixDlgFile1 \nError code: -13\nFormatBpp: Invalid parameter passed. "));
        QCOMPARE(Raised([&] { formats[1]->SubFormats(0); }),
                 QString("PixDlgFile1 \nError code: -13\nSubFormats: Invalid parameter passed. "));
        dlg_->SetEnableMethodErrors(false);
        QCOMPARE(bmp.SubFormats(5), -13);
    }
};

QTEST_MAIN(PixDlgFileTest)
#include "pix_dlg_file_test.moc"
