#include "app/app_setup.h"

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
    for (const QString& size : sizes.entryList(QDir::Dirs))
        icon.addFile(sizes.filePath(size + "/" + kDesktopFileName + ".png"));
    return icon;
}

void SetUpApplication(QApplication& app) {
    QGuiApplication::setDesktopFileName(kDesktopFileName);
    QApplication::setApplicationVersion(kStrakelVersion);
    app.setWindowIcon(StrakelIcon());
}

void SetUpCommandLine(QCommandLineParser& parser) {
    parser.setApplicationDescription("Turns a photograph into a pencil drawing.");
    parser.addHelpOption();
    parser.addVersionOption();
    parser.addPositionalArgument("PHOTO", "The photo to load at start.", "[PHOTO]");
}

void OpenStartPhoto(TForm1& form, const QStringList& photos) {
    if (photos.isEmpty() || photos.first().isEmpty() || QuitRequested()) return;
    // Named from the working folder of the start, not of the load.
    const QString photo = QFileInfo(photos.first()).absoluteFilePath();
    // Queued, so that the window is on screen under a message the load shows.
    QTimer::singleShot(0, &form, [&form, photo] { RunHandler([&] { form.OpenPhoto(photo); }); });
}
