// Program entry: the application object, the command line, the main window
// and the message loop.
#include <QApplication>
#include <QCommandLineParser>
#include <cstdio>

#include "app/app_setup.h"
#include "app/main_window.h"

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    SetUpApplication(app);
    QCommandLineParser parser;
    SetUpCommandLine(parser);
    parser.process(app);
    if (parser.positionalArguments().size() > 1) {
        std::fputs("Strakel: one photo at a time; see Strakel --help\n", stderr);
        return 2;
    }
    TForm1 form;
    form.show();
    OpenStartPhoto(form, parser.positionalArguments());
    return app.exec();
}
