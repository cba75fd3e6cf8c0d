// SPDX-License-Identifier: GPL-3.0-or-later
// How the desktop program presents itself: the name of its desktop entry, its
// icon and version, its command line (--help, --version, PHOTO), and the photo
// that the command line names.
#pragma once

#include <QApplication>
#include <QIcon>
#include <QStringList>
#include <string>

class TForm1;

// Strakel's icon at every size it is drawn at.
QIcon StrakelIcon();
// Gives `app` the desktop file name (so that Wayland compositors match the
// window to its desktop entry), the window icon and the version.
void SetUpApplication(QApplication& app);
// What `Strakel [OPTION]... [PHOTO]` asks for, judged before the application
// object exists, so that --help, --version and bad usage need no display.
struct StartCommand {
    int exitCode = -1;  // 0 or more: print `out` and `err` and end with it
    std::string out;    // for standard output
    std::string err;    // for standard error
    QStringList photos;
};
// `args` is the whole command line, the program's name first. Qt's own
// options (-platform NAME, -style NAME, ...) are accepted and left to the
// application object, which takes them out of argv itself.
StartCommand ParseStartCommand(const QStringList& args);
// Once the event loop runs, loads the first of `photos` into `form` as File >
// Load would with that name; nothing when there is none or when start-up has
// asked the application to quit.
void OpenStartPhoto(TForm1& form, const QStringList& photos);
