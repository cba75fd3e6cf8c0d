// How the desktop program presents itself: the name of its desktop entry, its
// icon and version, its command line (--help, --version, PHOTO), and the photo
// that the command line names.
#pragma once

#include <QApplication>
#include <QCommandLineParser>
#include <QIcon>
#include <QStringList>

class TForm1;

// Strakel's icon at every size it is drawn at.
QIcon StrakelIcon();
// Gives `app` the desktop file name (so that Wayland compositors match the
// window to its desktop entry), the window icon and the version.
void SetUpApplication(QApplication& app);
// The options of `Strakel [PHOTO]`.
void SetUpCommandLine(QCommandLineParser& parser);
// Once the event loop runs, loads the first of `photos` into `form` as File >
// Load would with that name; nothing when there is none or when start-up has
// asked the application to quit.
void OpenStartPhoto(TForm1& form, const QStringList& photos);
