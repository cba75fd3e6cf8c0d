// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/app_setup.h"

#include <QCommandLineParser>
#include <QDir>
#include <QFileInfo>
#include <QTimer>

#include "app/app_identity.h"
#include "app/handler_guard.h"
#include "app/main_window.h"
#include "platform/qt/quit_request.h"
#include "strakel_version.h"

QIcon StrakelIcon() {
    QIcon icon;
    const QDir sizes(":/icons");
    // Each folder is named after its size ("48x48"): given the size, the icon
    // decodes a file only when it is first drawn at that size.
    for (const QString& size : sizes.entryList(QDir::Dirs)) {
        const QStringList sides = size.split('x');
        const QSize side = sides.size() == 2 ? QSize(sides[0].toInt(), sides[1].toInt()) : QSize();
        icon.addFile(sizes.filePath(size + "/" + kDesktopFileName + ".png"), side);
    }
    return icon;
}

void SetUpApplication(QApplication& app) {
    QGuiApplication::setDesktopFileName(kDesktopFileName);
    QApplication::setApplicationVersion(kStrakelVersion);
    app.setWindowIcon(StrakelIcon());
}

namespace {

constexpr int kExitUsage = 2;

std::string UsageText() {
    return "Usage: Strakel [OPTION]... [PHOTO]\n"
           "Turns a photograph into a pencil drawing; PHOTO, when given, is loaded at\n"
           "start as File > Load would.\n"
           "\n"
           "  -h, --help     show this text\n"
           "  -V, --version  show the version\n"
           "\n"
           "Qt's own options, such as -platform NAME or -style NAME, are taken too.\n"
           "\n"
           "Exit status: 0 when the window closes, 2 for bad usage.\n"
           "\n" +
           StrakelHelpFooter();
}

StartCommand BadUsage(const QString& why) {
    StartCommand command;
    command.exitCode = kExitUsage;
    command.err = "Strakel: " + why.toStdString() + "\nTry 'Strakel --help'.\n";
    return command;
}

}  // namespace

StartCommand ParseStartCommand(const QStringList& args) {
    QCommandLineParser parser;
    // Qt's options have one dash and whole words, as "-platform".
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    const QCommandLineOption help({"h", "help"}, "");
    const QCommandLineOption version({"V", "version"}, "");
    parser.addOption(help);
    parser.addOption(version);
    // The options that QGuiApplication and QApplication take out of argv.
    for (const char* name :
         {"platform", "platformpluginpath", "platformtheme", "plugin", "qwindowgeometry",
          "qwindowicon", "qwindowtitle", "session", "display", "geometry", "style", "stylesheet"})
        parser.addOption(QCommandLineOption(name, "", "value"));
    for (const char* name : {"reverse", "widgetcount", "nograb", "dograb", "qmljsdebugger"})
        parser.addOption(QCommandLineOption(name, ""));
    if (!parser.parse(args)) return BadUsage(parser.errorText());
    StartCommand command;
    if (parser.isSet(help)) {
        command.exitCode = 0;
        command.out = UsageText();
        return command;
    }
    if (parser.isSet(version)) {
        command.exitCode = 0;
        command.out = StrakelVersionNotice("Strakel");
        return command;
    }
    command.photos = parser.positionalArguments();
    if (command.photos.size() > 1) return BadUsage("one photo at a time");
    return command;
}

void OpenStartPhoto(TForm1& form, const QStringList& photos) {
    if (photos.isEmpty() || photos.first().isEmpty() || QuitRequested()) return;
    // Named from the working folder of the start, not of the load.
    const QString photo = QFileInfo(photos.first()).absoluteFilePath();
    // Queued, so that the window is on screen under a message the load shows.
    QTimer::singleShot(0, &form, [&form, photo] { RunHandler([&] { form.OpenPhoto(photo); }); });
}
