// Program entry: the application object, the main window, the message loop.
#include <QApplication>

#include "app/main_window.h"

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    TForm1 form;
    form.show();
    return app.exec();
}
