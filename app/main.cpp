// SPDX-License-Identifier: GPL-3.0-or-later
// Program entry: the command line, the application object, the main window
// and the message loop.
#include <QApplication>
#include <QStringList>
#include <cstdio>

#include "app/app_setup.h"
#include "app/main_window.h"

int main(int argc, char** argv) {
    // Before the application object, which needs a display.
    QStringList args;
    for (int i = 0; i < argc; ++i) args << QString::fromLocal8Bit(argv[i]);
    const StartCommand command = ParseStartCommand(args);
    if (command.exitCode >= 0) {
        std::fputs(command.out.c_str(), stdout);
        std::fputs(command.err.c_str(), stderr);
        return command.exitCode;
    }
    QApplication app(argc, argv);
    SetUpApplication(app);
    TForm1 form;
    form.show();
    OpenStartPhoto(form, command.photos);
    return app.exec();
}
