// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/save_prompt.h"

#include <QPushButton>

#include "platform/qt/message_box.h"

namespace {
SavePromptDriver& Driver() {
    static SavePromptDriver driver;
    return driver;
}
}  // namespace

SaveAnswer AskToSaveDrawing(QWidget* parent, const char* question) {
    QMessageBox box(QMessageBox::Warning, QString::fromLocal8Bit(ApplicationTitle()), question,
                    QMessageBox::Save | QMessageBox::Discard | QMessageBox::Cancel, parent);
    box.setDefaultButton(QMessageBox::Save);
    box.setEscapeButton(QMessageBox::Cancel);
    if (Driver()) Driver()(box);
    box.exec();
    const QMessageBox::StandardButton chosen = box.standardButton(box.clickedButton());
    if (chosen == QMessageBox::Save) return SaveAnswer::Save;
    if (chosen == QMessageBox::Discard) return SaveAnswer::Discard;
    return SaveAnswer::Cancel;
}

void SetSavePromptDriver(SavePromptDriver driver) {
    Driver() = std::move(driver);
}
