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
