// SPDX-License-Identifier: GPL-3.0-or-later
// The Help menu, beside the original window's menus: About Strakel tells the
// version, the copyright and the licence.
#include <QMenuBar>

#include "app/handler_guard.h"
#include "app/main_window.h"
#include "platform/qt/message_box.h"
#include "strakel_version.h"

void TForm1::CreateHelpMenu() {
    Help1 = menuBar()->addMenu("Help");
    Help1->setObjectName("Help1");
    About1 = Help1->addAction("About Strakel");
    About1->setObjectName("About1");
    connect(About1, &QAction::triggered, this, [this] { RunHandler([this] { About1Click(); }); });
}

void TForm1::About1Click() {
    ShowUserMessage(AboutText());
}

std::string TForm1::AboutText() {
    return StrakelVersionNotice("Strakel") + "\nTurns a photograph into a pencil drawing.";
}
