// SPDX-License-Identifier: GPL-3.0-or-later
// The dialog service, the brightness component and the sharpen component:
// against a recording engine for the records and the failures, and against the
// real engine dialogs, answered through their test hook, for the pixels.
#include <QDialogButtonBox>
#include <QLineEdit>
#include <QMainWindow>
#include <QPushButton>
#include <QTemporaryDir>
#include <QtTest>
#include <optional>
#include <vector>

#include "imaging/control/pix_image.h"
#include "imaging/dialogs/dlg_engine.h"
#include "imaging/dialogs/pix_dlg_components.h"
#include "imaging/engine/retouch_ops.h"
#include "imaging/engine/status_codes.h"
#include "platform/qt/message_box.h"
#include "tests/imaging/engine/codecs/image_fixtures.h"
#include "tests/support/adjust_dialog_driver.h"

using dialog_driver::Press;

namespace {

// Answers with fixed codes and keeps what it was handed.
class RecordingEngine : public DlgEngine {
public:
    int32_t answer = kDlgOk;
    // Written into the record before answering, as the engine's OK does.
    std::optional<int32_t> newValue;
    std::optional<int32_t> newSwitch;
    std::vector<PixDlgAdjustParams> records;
    std::vector<std::string> calls;
    std::vector<QFont> fonts;
    // Whether the window under test was enabled during the dialog call.
    QWidget* watched = nullptr;
    std::optional<bool> watchedEnabled;

    int32_t Init(int32_t flags) override {
        calls.push_back("Init " + std::to_string(flags));
        return answer;
    }
    int32_t SetFont(const QFont& font) override {
        calls.push_back("SetFont");
        fonts.push_back(font);
        return 7;
    }
    int32_t Brightness(QWidget* parent, PixDlgAdjustParams* p) override {
        calls.push_back("Brightness");
        return Dialog(parent, p);
    }
    int32_t Sharpen(QWidget* parent, PixDlgAdjustParams* p) override {
        calls.push_back("Sharpen");
        return Dialog(parent, p);
    }

private:
    int32_t Dialog(QWidget*, PixDlgAdjustParams* p) {
        records.push_back(*p);
        if (watched) watchedEnabled = watched->isEnabled();
        if (newValue) p->Value = *newValue;
        if (newSwitch) p->Switch = *newSwitch;
        return answer;
    }
};

// Counts BitmapUpdateMessage reaching a control; the control still handles it.
class UpdateCounter : public QObject {
public:
    int count = 0;
    bool eventFilter(QObject*, QEvent* e) override {
        if (e->type() == BitmapUpdateMessage) ++count;
        return false;
    }
};

fixtures::Bgr Pattern(int x, int y) {
    return {uint8_t(x * 23 + y * 7), uint8_t(200 - x * 5), uint8_t((x ^ y) * 9)};
}

std::vector<uint8_t> Pixels(TPixImage& image) {
    const PixBitmap* b = image.HasBitmap();
    return b ? std::vector<uint8_t>(b->Data, b->Data + b->Size) : std::vector<uint8_t>();
}

// Both components behind one face, for the tables below.
struct Component {
    TPixDlgComponent* base;
    std::function<int32_t(QWidget*)> show;
    std::function<int32_t()> value;
    std::function<void(int32_t)> setValue;
    const char* operation;
    const char* codeWord;
};

}  // namespace

class PixDlgTest : public QObject {
    Q_OBJECT

private:
    QTemporaryDir dir_;
    RecordingEngine engine_;
    std::vector<std::string> boxes_;

    std::unique_ptr<TPixImage> LoadedImage(QWidget* parent, int w = 12, int h = 9) {
        const std::string path = dir_.filePath("pattern.bmp").toStdString();
        if (!fixtures::WriteFile(path, fixtures::Bmp24(w, h, Pattern))) qFatal("no fixture");
        auto image = std::make_unique<TPixImage>(parent);
        image->setObjectName("PixImage2");
        if (image->Load(path, 0, 0, 1) != 1) qFatal("no load");
        return image;
    }

    Component Make(int kind, QObject* owner) {
        if (kind == 0) {
            auto* c = new TPixDlgColor(owner);
            c->setObjectName("PixDlgColor1");
            return {c,
                    [c](QWidget* p) { return c->ShowBrightnessDlg(p); },
                    [c] { return c->BrightnessChange(); },
                    [c](int32_t v) { c->SetBrightnessChange(v); },
                    "ShowBrightnessDlg",
                    "Errorcode"};
        }
        auto* c = new TPixDlgImgEffect(owner);
        c->setObjectName("PixDlgImgEffect1");
        return {c,
                [c](QWidget* p) { return c->ShowSharpenDlg(p); },
                [c] { return c->SharpenAmount(); },
                [c](int32_t v) { c->SetSharpenAmount(v); },
                "ShowSharpenDlg",
                "Error code"};
    }

    static void Kinds() {
        QTest::addColumn<int>("kind");
        QTest::newRow("brightness") << 0;
        QTest::newRow("sharpen") << 1;
    }

private slots:
    void init() {
        engine_ = RecordingEngine{};
        SetDlgEngine(&engine_);
        boxes_.clear();
        SetBoxRecorder([this](BoxKind, const std::string&, const std::string& text) {
            boxes_.push_back(text);
        });
    }
    void cleanup() {
        SetDlgEngine(nullptr);
        SetBoxRecorder(nullptr);
        dialog_driver::Stop();
    }

    void oneServiceAtATime() {
        auto first = std::make_unique<TPixDlgService>();
        QObject owner;
        try {
            new TPixDlgService(&owner);
            QFAIL("a second service was created");
        } catch (const EInvalidOperation& e) {
            QCOMPARE(std::string(e.what()), std::string("Two Contorl objects are not allowed "));
        }
        QVERIFY(owner.children().isEmpty());
        // The refusal did not clear the first service's mark.
        QVERIFY_THROWS_EXCEPTION(EInvalidOperation, TPixDlgService());
        first.reset();
        TPixDlgService again;
        engine_.answer = 1;
        QCOMPARE(again.InitDialogs(1), 1);
    }

    void initDialogs_data() {
        QTest::addColumn<int>("answer");
        QTest::addColumn<int>("status");
        QTest::addColumn<QString>("error");
        QTest::newRow("1") << 1 << 1 << "";
        QTest::newRow("100") << 100 << 100 << "";
        QTest::newRow("102") << 102 << 102 << "";
        QTest::newRow("-789")
            << -789 << -999
            << "PixDlgService1 \nError code: -999\nInitDialogs: Internal error = - call support. ";
        QTest::newRow("0")
            << 0 << 0 << "PixDlgService1 \nError code: 0\nInitDialogs: Function not successful. ";
    }
    void initDialogs() {
        QFETCH(int, answer);
        QFETCH(int, status);
        QFETCH(QString, error);
        TPixDlgService service;
        service.setObjectName("PixDlgService1");
        engine_.answer = answer;
        QString raised;
        try {
            QCOMPARE(service.InitDialogs(1), status);
        } catch (const EPixDlgServiceError& e) {
            raised = e.what();
        }
        QCOMPARE(raised, error);
        QCOMPARE(service.LastStatus(), status);
        QCOMPARE(engine_.calls, std::vector<std::string>{"Init 1"});
    }

    void fontReachesTheEngineOnlyWhenAssignedAtRunTime() {
        TPixDlgService service;
        QFont designed("Sans");
        designed.setPointSize(8);
        service.LoadDialogsFont(designed);
        QCOMPARE(service.DialogsFont(), designed);
        QVERIFY(engine_.calls.empty());
        QFont other("Serif");
        other.setPointSize(14);
        service.SetDialogsFont(other);
        QCOMPARE(service.DialogsFont(), other);
        QCOMPARE(engine_.fonts, std::vector<QFont>{other});
    }

    void recordCarriesTheProperties_data() { Kinds(); }
    void recordCarriesTheProperties() {
        QFETCH(int, kind);
        QWidget window;
        auto image = LoadedImage(&window);
        Component c = Make(kind, &window);
        engine_.answer = kDlgCancel;
        c.base->SetPixImage(image.get());
        c.base->SetDialogFlags(13);
        c.setValue(-37);
        QCOMPARE(c.show(&window), kDlgCancel);
        c.base->SetDialogSwitch(true);
        c.base->SetShowHelpButton(true);
        c.base->SetPixImage(nullptr);
        QCOMPARE(c.show(&window), kDlgCancel);
        c.base->OnDlgHelp = [](QObject*, uint32_t) {};
        QCOMPARE(c.show(&window), kDlgCancel);
        QCOMPARE(engine_.records.size(), size_t(3));
        const PixDlgAdjustParams& plain = engine_.records[0];
        QCOMPARE(plain.StructSize, uint32_t(sizeof(PixDlgAdjustParams)));
        QCOMPARE(plain.Bitmap, image->HasBitmap());
        QCOMPARE(plain.Switch, 0);
        QCOMPARE(plain.Value, -37);
        QCOMPARE(plain.Flags, 13u);
        QVERIFY(plain.HelpCallback == nullptr);
        QCOMPARE(plain.UserData, static_cast<void*>(c.base));
        // The help button without a handler would do nothing: no callback.
        const PixDlgAdjustParams& noHandler = engine_.records[1];
        QCOMPARE(noHandler.Bitmap, nullptr);
        QCOMPARE(noHandler.Switch, -1);
        QVERIFY(noHandler.HelpCallback == nullptr);
        const PixDlgAdjustParams& help = engine_.records[2];
        QVERIFY(help.HelpCallback == &DialogHelpCallback);
        QCOMPARE(help.UserData, static_cast<void*>(c.base));
    }

    void answers_data() {
        QTest::addColumn<int>("kind");
        QTest::addColumn<int>("answer");
        QTest::addColumn<uint>("flags");
        QTest::addColumn<bool>("readBack");
        QTest::addColumn<int>("messages");
        QTest::newRow("brightness OK 13") << 0 << 100 << 13u << true << 1;
        QTest::newRow("brightness OK 12") << 0 << 100 << 12u << true << 0;
        QTest::newRow("brightness cancel") << 0 << 101 << 13u << false << 0;
        QTest::newRow("brightness close") << 0 << 102 << 13u << false << 0;
        QTest::newRow("sharpen OK 13") << 1 << 100 << 13u << true << 1;
        QTest::newRow("sharpen OK 1") << 1 << 100 << 1u << true << 1;
        QTest::newRow("sharpen OK 0") << 1 << 100 << 0u << true << 0;
        QTest::newRow("sharpen cancel") << 1 << 101 << 13u << false << 0;
    }
    void answers() {
        QFETCH(int, kind);
        QFETCH(int, answer);
        QFETCH(uint, flags);
        QFETCH(bool, readBack);
        QFETCH(int, messages);
        QWidget window;
        auto image = LoadedImage(&window);
        UpdateCounter counter;
        image->installEventFilter(&counter);
        Component c = Make(kind, &window);
        c.base->SetPixImage(image.get());
        c.base->SetDialogFlags(flags);
        c.setValue(5);
        engine_.answer = answer;
        engine_.newValue = 420;
        engine_.newSwitch = 3;  // any non-zero value reads back as true
        QCOMPARE(c.show(&window), answer);
        QCOMPARE(c.base->LastStatus(), answer);
        QCOMPARE(c.value(), readBack ? 420 : 5);
        QCOMPARE(c.base->DialogSwitch(), readBack);
        QCOMPARE(counter.count, messages);
        QVERIFY(boxes_.empty());
    }

    void failures_data() {
        QTest::addColumn<int>("kind");
        QTest::addColumn<int>("answer");
        QTest::addColumn<QString>("message");
        QTest::newRow("brightness -2")
            << 0 << -2
            << "PixDlgColor1 \nErrorcode: -2\nShowBrightnessDlg: Invalid bitmap handle. ";
        QTest::newRow("brightness -789") << 0 << -789
                                         << "PixDlgColor1 \nErrorcode: -999\nShowBrightnessDlg: "
                                            "Internal error = - call support. ";
        QTest::newRow("sharpen -27")
            << 1 << -27
            << "PixDlgImgEffect1 \nError code: -27\nShowSharpenDlg: Invalid bits/pixel. ";
        QTest::newRow("sharpen -789") << 1 << -789
                                      << "PixDlgImgEffect1 \nError code: -999\nShowSharpenDlg: "
                                         "Internal error = - call support. ";
    }
    void failures() {
        QFETCH(int, kind);
        QFETCH(int, answer);
        QFETCH(QString, message);
        QMainWindow window;
        QWidget other;
        QLineEdit* focus = new QLineEdit(&window);
        window.setCentralWidget(focus);
        window.show();
        other.show();
        window.activateWindow();
        focus->setFocus();
        QVERIFY(QTest::qWaitForWindowActive(&window));
        auto image = LoadedImage(&window);
        UpdateCounter counter;
        image->installEventFilter(&counter);
        Component c = Make(kind, &window);
        c.base->SetPixImage(image.get());
        c.base->SetDialogFlags(13);
        c.setValue(5);
        engine_.answer = answer;
        engine_.newValue = 420;
        engine_.watched = &other;
        QString raised;
        try {
            c.show(&window);
        } catch (const std::exception& e) {
            raised = e.what();
            QVERIFY(kind == 0 ? bool(dynamic_cast<const EPixDlgColorError*>(&e))
                              : bool(dynamic_cast<const EPixDlgImgEffectError*>(&e)));
        }
        QCOMPARE(raised, message);
        QCOMPARE(c.base->LastStatus(), answer == -789 ? -999 : answer);
        QCOMPARE(c.value(), 5);
        QCOMPARE(counter.count, 0);
        // Every window was disabled during the call and is enabled again.
        QCOMPARE(engine_.watchedEnabled, std::optional<bool>(false));
        QVERIFY(window.isEnabled());
        QVERIFY(other.isEnabled());
        QCOMPARE(QApplication::activeWindow(), &window);
        QCOMPARE(QApplication::focusWidget(), focus);

        // Without method errors the code is only returned.
        c.base->SetEnableMethodErrors(false);
        QCOMPARE(c.show(&window), answer == -789 ? -999 : answer);
        QVERIFY(window.isEnabled());
    }

    void bracketLeavesDisabledWindowsDisabled() {
        QWidget a, b, hidden;
        a.show();
        b.show();
        b.setEnabled(false);
        BeginDialogModal();
        QVERIFY(!a.isEnabled());
        QWidget late;  // opened while the bracket is open; not the bracket's
        late.show();
        EndDialogModal();
        QVERIFY(a.isEnabled());
        QVERIFY(!b.isEnabled());
        QVERIFY(hidden.isEnabled());
        QVERIFY(late.isEnabled());
    }

    void fontHandedOverBeforeTheDialogWhenAServiceIsSet_data() { Kinds(); }
    void fontHandedOverBeforeTheDialogWhenAServiceIsSet() {
        QFETCH(int, kind);
        QWidget window;
        TPixDlgService service;
        QFont font("Serif");
        font.setPointSize(11);
        service.LoadDialogsFont(font);
        Component c = Make(kind, &window);
        engine_.answer = kDlgCancel;
        c.show(&window);
        c.base->SetPixDlgService(&service);
        c.show(&window);
        const std::string dialog = kind == 0 ? "Brightness" : "Sharpen";
        QCOMPARE(engine_.calls, (std::vector<std::string>{dialog, "SetFont", dialog}));
        QCOMPARE(engine_.fonts, std::vector<QFont>{font});
    }

    void helpCallback() {
        TPixDlgColor color;
        DialogHelpCallback(5, 9, &color);  // no handler: nothing happens
        QObject* sender = nullptr;
        uint32_t id = 0;
        color.OnDlgHelp = [&](QObject* s, uint32_t uDialogID) {
            sender = s;
            id = uDialogID;
        };
        DialogHelpCallback(kDlgIdBrightness, 9, &color);
        QCOMPARE(sender, static_cast<QObject*>(&color));
        QCOMPARE(id, kDlgIdBrightness);
        color.OnDlgHelp = [](QObject*, uint32_t) { throw std::runtime_error("no help here"); };
        DialogHelpCallback(kDlgIdBrightness, 0, &color);
        QCOMPARE(boxes_, std::vector<std::string>{"no help here."});
    }

    // The real engine dialogs, answered through their hook.
    void realDialogs_data() {
        QTest::addColumn<int>("kind");
        QTest::addColumn<int>("value");
        QTest::addColumn<bool>("ok");
        QTest::newRow("brightness OK") << 0 << -300 << true;
        QTest::newRow("brightness cancel") << 0 << -300 << false;
        QTest::newRow("sharpen OK") << 1 << 700 << true;
        QTest::newRow("sharpen cancel") << 1 << 700 << false;
    }
    void realDialogs() {
        QFETCH(int, kind);
        QFETCH(int, value);
        QFETCH(bool, ok);
        SetDlgEngine(nullptr);
        QCOMPARE(P_DlgInit(1), 1);
        QWidget window;
        window.show();
        auto image = LoadedImage(&window, 40, 30);
        auto expected = LoadedImage(nullptr, 40, 30);
        QCOMPARE(
            (kind == 0 ? P_ChangeBitmapBrightness : P_SharpenBitmap)(expected->HasBitmap(), value),
            pix::kSuccess);
        const std::vector<uint8_t> before = Pixels(*image);
        UpdateCounter counter;
        image->installEventFilter(&counter);
        Component c = Make(kind, &window);
        c.base->SetPixImage(image.get());
        c.base->SetDialogFlags(13);
        c.setValue(0);
        bool windowEnabled = true;
        dialog_driver::AnswerDialogs(value, ok ? Press::Ok : Press::Cancel,
                                     [&](QDialog*) { windowEnabled = window.isEnabled(); });
        QCOMPARE(c.show(&window), ok ? kDlgOk : kDlgCancel);
        QVERIFY(!windowEnabled);
        QVERIFY(window.isEnabled());
        QCOMPARE(c.value(), ok ? value : 0);
        QCOMPARE(counter.count, ok ? 1 : 0);
        QVERIFY(Pixels(*image) == (ok ? Pixels(*expected) : before));
    }

    // The real engine dialog shows Help only when the component has a handler
    // for it, and Help reaches that handler.
    void helpButtonOnlyWithAHandler_data() { Kinds(); }
    void helpButtonOnlyWithAHandler() {
        QFETCH(int, kind);
        SetDlgEngine(nullptr);
        QCOMPARE(P_DlgInit(1), 1);
        QWidget window;
        window.show();
        auto image = LoadedImage(&window);
        Component c = Make(kind, &window);
        c.base->SetPixImage(image.get());
        c.base->SetShowHelpButton(true);
        std::vector<std::string> seen;
        P_DlgSetShownHook([&](QDialog* d) {
            QPushButton* help = d->findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Help);
            seen.push_back(help && help->isVisible() ? "help shown" : "no help");
            if (help) help->click();
            d->reject();
        });
        QCOMPARE(c.show(&window), kDlgCancel);
        QCOMPARE(seen, std::vector<std::string>{"no help"});

        QObject* sender = nullptr;
        std::vector<uint32_t> ids;
        c.base->OnDlgHelp = [&](QObject* s, uint32_t uDialogID) {
            sender = s;
            ids.push_back(uDialogID);
        };
        seen.clear();
        QCOMPARE(c.show(&window), kDlgCancel);
        QCOMPARE(seen, std::vector<std::string>{"help shown"});
        QCOMPARE(sender, static_cast<QObject*>(c.base));
        QCOMPARE(ids, std::vector<uint32_t>{kind == 0 ? kDlgIdBrightness : kDlgIdSharpen});
        QVERIFY(boxes_.empty());
    }
};

QTEST_MAIN(PixDlgTest)
#include "pix_dlg_test.moc"
