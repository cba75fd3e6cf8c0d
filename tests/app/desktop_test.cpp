// SPDX-License-Identifier: GPL-3.0-or-later
// The window as a desktop program: a photo named on the command line or
// dropped on the window loads as File > Load would, the open dialog's start
// folder, the keys and the menu mnemonics, the window icon and desktop name.
#include <QMimeData>
#include <QProcess>
#include <QProcessEnvironment>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTimer>
#include <QUrl>
#include <QtTest>

#include "app/app_setup.h"
#include "app/main_window.h"
#include "imaging/engine/file_load.h"
#include "platform/qt/message_box.h"
#include "platform/qt/open_url.h"
#include "platform/qt/quit_request.h"
#include "strakel_version.h"
#include "tests/imaging/engine/codecs/image_fixtures.h"
#include "tests/support/window_fixture.h"

namespace {

// A closed port: no update answer. Only the test of the close handler, which
// opens the site, needs a host; every other window is made without one.
const std::string kHost = "127.0.0.1:1";

fixtures::Bgr Photo(int x, int y) {
    return ((x / 4 + y / 3) % 2) ? fixtures::Bgr{230, uint8_t(10 * y), 20}
                                 : fixtures::Bgr{uint8_t(7 * x), 90, 200};
}

std::vector<uint8_t> Pixels(const PixBitmap* b) {
    return b ? std::vector<uint8_t>(b->Data, b->Data + b->Size) : std::vector<uint8_t>();
}

// Closes whatever modal window a command opened, once the loop runs.
void CloseModalSoon() {
    QTimer::singleShot(0, [] {
        if (QWidget* w = QApplication::activeModalWidget()) w->close();
    });
}

}  // namespace

class DesktopTest : public QObject {
    Q_OBJECT

private:
    QTemporaryDir dir_;
    window_test::Fixture fx_;
    RecordingUrlOpener& urls_ = fx_.urls;
    std::vector<std::string>& messages_ = fx_.messages;

    QString Write(const QString& name, int w, int h) {
        const QString path = dir_.filePath(name);
        QDir().mkpath(QFileInfo(path).absolutePath());
        if (!fixtures::WriteFile(path.toStdString(), fixtures::Bmp24(w, h, Photo)))
            qFatal("cannot write fixture");
        return path;
    }

    // Runs File > Load through the real dialog, confirms `path` (or cancels
    // when it is empty) and returns the folder the dialog showed when it opened.
    QString ChooseInLoad(TForm1& form, const QString& path) {
        return window_test::ChooseInLoad(form, path);
    }

    // Without a window manager nobody gives the window back its activation
    // once a dialog has closed; a desktop does.
    static bool Activate(TForm1& form) {
        QApplication::setActiveWindow(&form);
        return QTest::qWaitForWindowActive(&form);
    }

    void Drop(TForm1& form, const QList<QUrl>& urls, bool* entered) {
        QMimeData data;
        data.setUrls(urls);
        QDragEnterEvent enter(QPoint(200, 200), Qt::CopyAction, &data, Qt::LeftButton,
                              Qt::NoModifier);
        QApplication::sendEvent(&form, &enter);
        *entered = enter.isAccepted();
        QDropEvent drop(QPointF(200, 200), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(&form, &drop);
    }

private slots:
    void initTestCase() {
        QVERIFY(dir_.isValid());
        // The user's folders come from this test's own configuration.
        qputenv("XDG_CONFIG_HOME", dir_.filePath("config").toLocal8Bit());
        QVERIFY(QDir().mkpath(dir_.filePath("config")));
    }
    void init() { fx_.Begin(); }
    void cleanup() { fx_.End(); }

    void identity() {
        QCOMPARE(QGuiApplication::desktopFileName(), QString("org.strakel.Strakel"));
        QCOMPARE(QCoreApplication::applicationVersion(), QString(kStrakelVersion));
        const QIcon icon = QApplication::windowIcon();
        QList<int> sides;
        for (const QSize& s : icon.availableSizes()) sides << s.width();
        std::sort(sides.begin(), sides.end());
        QCOMPARE(sides, QList<int>({16, 22, 24, 32, 48, 64, 128, 256}));
        // A drawn icon, not an empty one: its corners are clear, its middle is not.
        const QImage big = icon.pixmap(256).toImage();
        QCOMPARE(big.pixelColor(0, 0).alpha(), 0);
        QCOMPARE(big.pixelColor(128, 128).alpha(), 255);
        TForm1 form("");
        QCOMPARE(form.windowIcon().cacheKey(), icon.cacheKey());
    }

    // The command line is judged before any window: the texts and exit
    // statuses of help, version and bad usage, and the photo to start with.
    void startCommandLine_data() {
        const std::string help =
            "Usage: Strakel [OPTION]... [PHOTO]\n"
            "Turns a photograph into a pencil drawing; PHOTO, when given, is loaded at\n"
            "start as File > Load would.\n"
            "\n"
            "  -h, --help     show this text\n"
            "  -V, --version  show the version\n"
            "\n"
            "Qt's own options, such as -platform NAME or -style NAME, are taken too.\n"
            "\n"
            "Exit status: 0 when the window closes, 2 for bad usage.\n"
            "\n"
            "Report bugs to the Strakel developers.\n";
        const std::string version = "Strakel " + std::string(kStrakelVersion) +
                                    "\n"
                                    "Copyright (C) 2026 The Strakel developers.\n"
                                    "License GPL-3.0-or-later: GNU GPL version 3 or later "
                                    "<https://gnu.org/licenses/gpl.html>.\n"
                                    "This is free software: you are free to change and "
                                    "redistribute it.\n"
                                    "There is NO WARRANTY, to the extent permitted by law.\n";
        auto bad = [](const std::string& why) {
            return "Strakel: " + why + "\nTry 'Strakel --help'.\n";
        };
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QString>("out");
        QTest::addColumn<QString>("err");
        QTest::addColumn<QStringList>("photos");
        const struct {
            const char* name;
            QStringList args;
            int exitCode;
            std::string out, err;
            QStringList photos;
        } cases[] = {
            {"--help", {"--help"}, 0, help, "", {}},
            {"-h", {"-h", "a.png"}, 0, help, "", {}},
            {"--version", {"--version"}, 0, version, "", {}},
            {"-V", {"-V"}, 0, version, "", {}},
            {"photo", {"a.png"}, -1, "", "", {"a.png"}},
            {"none", {}, -1, "", "", {}},
            {"qt options",
             {"-platform", "offscreen", "-style=fusion", "-reverse", "a.png"},
             -1,
             "",
             "",
             {"a.png"}},
            {"after --", {"--", "-V"}, -1, "", "", {"-V"}},
            {"unknown", {"--nope"}, 2, "", bad("Unknown option 'nope'."), {}},
            {"two photos", {"a.png", "b.png"}, 2, "", bad("one photo at a time"), {}},
            {"missing value", {"-platform"}, 2, "", bad("Missing value after '-platform'."), {}},
        };
        for (const auto& c : cases)
            QTest::newRow(c.name) << (QStringList{"Strakel"} + c.args) << c.exitCode
                                  << QString::fromStdString(c.out) << QString::fromStdString(c.err)
                                  << c.photos;
    }
    void startCommandLine() {
        QFETCH(QStringList, args);
        QFETCH(int, exitCode);
        QFETCH(QString, out);
        QFETCH(QString, err);
        QFETCH(QStringList, photos);
        const StartCommand command = ParseStartCommand(args);
        QCOMPARE(command.exitCode, exitCode);
        QCOMPARE(QString::fromStdString(command.out), out);
        QCOMPARE(QString::fromStdString(command.err), err);
        QCOMPARE(command.photos, photos);
    }

    // The program itself answers --help, --version and bad options with no
    // display at all and no platform named.
    void startCommandLineNeedsNoDisplay() {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"}) env.remove(name);
        const struct {
            QStringList args;
            int exitCode;
            QString firstLine;
        } cases[] = {
            {{"--help"}, 0, "Usage: Strakel [OPTION]... [PHOTO]"},
            {{"-V"}, 0, "Strakel " + QString(kStrakelVersion)},
            {{"--version"}, 0, "Strakel " + QString(kStrakelVersion)},
            {{"-x"}, 2, "Strakel: Unknown option 'x'."},
        };
        for (const auto& c : cases) {
            QProcess program;
            program.setProcessEnvironment(env);
            program.start(STRAKEL_EXE, c.args);
            QVERIFY(program.waitForFinished(30000));
            QCOMPARE(program.exitStatus(), QProcess::NormalExit);
            QCOMPARE(program.exitCode(), c.exitCode);
            const QString text = QString::fromLocal8Bit(
                c.exitCode ? program.readAllStandardError() : program.readAllStandardOutput());
            QCOMPARE(text.section('\n', 0, 0), c.firstLine);
        }
    }

    // "Strakel PHOTO": the same pixels, name and dialog memory as File > Load
    // with that name, also for a name relative to the working folder.
    void startPhotoLoadsLikeFileLoad() {
        const QString path = Write("start/photo.bmp", 37, 23);
        std::vector<uint8_t> chosen[3];
        {
            TForm1 form("");
            ChooseInLoad(form, path);
            QCOMPARE(form.PhotoFileName(), path.toStdString());
            chosen[0] = Pixels(form.PixImage1->HasBitmap());
            chosen[1] = Pixels(form.PixImage2->HasBitmap());
            chosen[2] = Pixels(form.Pixbackgnd->HasBitmap());
        }

        const QString before = QDir::currentPath();
        QVERIFY(QDir::setCurrent(dir_.filePath("start")));
        TForm1 started("");
        messages_.clear();
        OpenStartPhoto(started, {"photo.bmp"});
        QVERIFY(QDir::setCurrent(before));
        QVERIFY(started.PhotoFileName().empty());  // not before the loop runs
        QTRY_COMPARE(started.PhotoFileName(), path.toStdString());
        QVERIFY(messages_.empty());

        PixBitmap photo;
        QCOMPARE(pix::LoadBitmapFile(path.toStdString(), &photo, 0), 1);
        QCOMPARE(Pixels(started.PixImage1->HasBitmap()), Pixels(&photo));
        P_FreeBitmap(&photo);
        QCOMPARE(Pixels(started.PixImage1->HasBitmap()), chosen[0]);
        QCOMPARE(Pixels(started.PixImage2->HasBitmap()), chosen[1]);
        QCOMPARE(Pixels(started.Pixbackgnd->HasBitmap()), chosen[2]);
        QVERIFY(started.PixImage2->isHidden());
        // The dialog remembers the start photo as a confirmed choice.
        QCOMPARE(ChooseInLoad(started, ""), dir_.filePath("start"));
        QCOMPARE(window_test::OpenDialog(started)->selectedFiles(), QStringList({path}));
    }

    void startPhotoTooLargeIsRefused() {
        const QString big = dir_.filePath("claims.bmp");
        QVERIFY(fixtures::WriteFile(big.toStdString(), fixtures::ClaimedBmp24(1025, 1025)));
        TForm1 form("");
        messages_.clear();
        OpenStartPhoto(form, {big});
        QTRY_COMPARE(messages_, std::vector<std::string>({"File resulution not supported"}));
        QVERIFY(form.PhotoFileName().empty());
        QVERIFY(!form.PixImage1->HasBitmap());
        QVERIFY(!form.PixImage2->isHidden());
    }

    // After start-up asked to quit, the photo is not loaded (and no box shown).
    void startPhotoWaitsForNoQuit() {
        TForm1 form("");
        messages_.clear();
        RequestQuit();
        OpenStartPhoto(form, {Write("quit.bmp", 5, 5)});
        QCoreApplication::exec();
        QVERIFY(form.PhotoFileName().empty());
        QVERIFY(messages_.empty());
    }

    void dropLoadsLikeFileLoad() {
        const QString path = Write("dropped.bmp", 19, 29);
        TForm1 form("");
        QVERIFY(form.acceptDrops());
        messages_.clear();
        bool entered = false;
        Drop(form, {QUrl("https://example.org/a.jpg"), QUrl::fromLocalFile(path)}, &entered);
        QVERIFY(entered);
        QTRY_COMPARE(form.PhotoFileName(), path.toStdString());
        PixBitmap photo;
        QCOMPARE(pix::LoadBitmapFile(path.toStdString(), &photo, 0), 1);
        QCOMPARE(Pixels(form.PixImage1->HasBitmap()), Pixels(&photo));
        P_FreeBitmap(&photo);
        QVERIFY(form.PixImage2->isHidden());

        // Too large: refused with File > Load's message, the shown photo stays.
        const QString big = dir_.filePath("dropped-big.bmp");
        QVERIFY(fixtures::WriteFile(big.toStdString(), fixtures::ClaimedBmp24(3000, 2000)));
        Drop(form, {QUrl::fromLocalFile(big)}, &entered);
        QTRY_COMPARE(messages_, std::vector<std::string>({"File resulution not supported"}));
        QCOMPARE(form.PhotoFileName(), path.toStdString());
    }

    void dropWithoutLocalFileIsRefused() {
        TForm1 form("");
        bool entered = true;
        Drop(form, {QUrl("https://example.org/a.jpg")}, &entered);
        QVERIFY(!entered);
        // A drop that loads does so from a zero-time timer queued by the drop;
        // one queued after it has run once any such load would have.
        bool queuedAfterRan = false;
        QTimer::singleShot(0, &form, [&] { queuedAfterRan = true; });
        QVERIFY(QTest::qWaitFor([&] { return queuedAfterRan; }));
        QVERIFY(form.PhotoFileName().empty());
        QVERIFY(!form.PixImage1->HasBitmap());
    }

    // The Pictures folder first, as the user's folders name it; then the
    // folder of the last confirmed photo, also after a cancel.
    void openDialogStartFolder() {
        const QString pictures = dir_.filePath("Bilder");
        QVERIFY(QDir().mkpath(pictures));
        QFile dirs(dir_.filePath("config/user-dirs.dirs"));
        QVERIFY(dirs.open(QIODevice::WriteOnly));
        dirs.write("XDG_PICTURES_DIR=\"" + pictures.toLocal8Bit() + "\"\n");
        dirs.close();

        TForm1 form("");
        messages_.clear();
        QCOMPARE(ChooseInLoad(form, ""), pictures);
        QCOMPARE(ChooseInLoad(form, ""), pictures);
        const QString photo = Write("holiday/beach.bmp", 8, 8);
        QCOMPARE(ChooseInLoad(form, photo), pictures);
        QCOMPARE(ChooseInLoad(form, ""), dir_.filePath("holiday"));
        // A refused photo was confirmed all the same.
        const QString big = dir_.filePath("large/claims.bmp");
        QVERIFY(QDir().mkpath(dir_.filePath("large")));
        QVERIFY(fixtures::WriteFile(big.toStdString(), fixtures::ClaimedBmp24(2000, 2000)));
        ChooseInLoad(form, big);
        QCOMPARE(ChooseInLoad(form, ""), dir_.filePath("large"));
        QVERIFY(QFile::remove(dirs.fileName()));
    }

    void keysTriggerTheirCommands() {
        TForm1 form(kHost);
        form.show();
        QVERIFY(Activate(form));

        QString shown;
        QTimer::singleShot(0, &form, [&] {
            shown = window_test::OpenDialog(form)->isVisible() ? "open dialog" : "nothing";
            window_test::OpenDialog(form)->reject();
        });
        QTest::keyClick(&form, Qt::Key_O, Qt::ControlModifier);
        QCOMPARE(shown, QString("open dialog"));

        QSignalSpy save(form.Save1, &QAction::triggered);
        QVERIFY(Activate(form));
        CloseModalSoon();
        QTest::keyClick(&form, Qt::Key_S, Qt::ControlModifier | Qt::ShiftModifier);
        QCOMPARE(save.count(), 1);

        // The captions keep their designed text, shortcut and all.
        QCOMPARE(form.Load1->text(), QString("Load"));
        QCOMPARE(form.Save1->text(), QString("Save As"));
        QCOMPARE(form.Load1->shortcut(), QKeySequence("Ctrl+O"));
        QCOMPARE(form.Save1->shortcut(), QKeySequence("Ctrl+Shift+S"));

        urls_.opened.clear();
        QVERIFY(Activate(form));
        QTest::keyClick(&form, Qt::Key_Q, Qt::ControlModifier);
        QVERIFY(form.isHidden());
        QCOMPARE(urls_.opened, std::vector<std::string>({"http://" + kHost}));
    }

    void altLettersOpenTheMenus() {
        TForm1 form("");
        form.show();
        QVERIFY(Activate(form));
        messages_.clear();

        QTest::keyClick(&form, Qt::Key_F, Qt::AltModifier);
        QTRY_VERIFY(form.File1->isVisible());
        QTest::keyClick(form.File1, Qt::Key_Escape);
        QTRY_VERIFY(!form.File1->isVisible());

        QTest::keyClick(&form, Qt::Key_S, Qt::AltModifier);
        QTRY_VERIFY(form.Sketch1->isVisible());
        QVERIFY(!form.File1->isVisible());
        // In the open menu, the first letter of a caption chooses its item.
        QSignalSpy equalize(form.Equalize1, &QAction::triggered);
        QTest::keyClick(form.Sketch1, Qt::Key_E);
        QTRY_COMPARE(equalize.count(), 1);
        QVERIFY(!form.Sketch1->isVisible());
        QCOMPARE(messages_, std::vector<std::string>({"Imges empty"}));
        QCOMPARE(form.File1->title(), QString("File"));
        QCOMPARE(form.Sketch1->title(), QString("Sketch"));

        QVERIFY(Activate(form));
        QTest::keyClick(&form, Qt::Key_H, Qt::AltModifier);
        QTRY_VERIFY(form.Help1->isVisible());
        QTest::keyClick(form.Help1, Qt::Key_Escape);
        QTRY_VERIFY(!form.Help1->isVisible());
    }
};

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    SetUpApplication(app);
    DesktopTest test;
    return QTest::qExec(&test, argc, argv);
}
#include "desktop_test.moc"
