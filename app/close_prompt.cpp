#include "app/close_prompt.h"

#include <QPushButton>

#include "platform/qt/message_box.h"

namespace {
ClosePromptDriver& Driver() {
    static ClosePromptDriver driver;
    return driver;
}
}  // namespace

CloseAnswer AskSaveBeforeClosing(QWidget* parent) {
    QMessageBox box(QMessageBox::Warning, QString::fromLocal8Bit(ApplicationTitle()),
                    kSaveBeforeClosingText,
                    QMessageBox::Save | QMessageBox::Discard | QMessageBox::Cancel, parent);
    box.setDefaultButton(QMessageBox::Save);
    box.setEscapeButton(QMessageBox::Cancel);
    if (Driver()) Driver()(box);
    box.exec();
    const QMessageBox::StandardButton chosen = box.standardButton(box.clickedButton());
    if (chosen == QMessageBox::Save) return CloseAnswer::Save;
    if (chosen == QMessageBox::Discard) return CloseAnswer::Discard;
    return CloseAnswer::Cancel;
}

void SetClosePromptDriver(ClosePromptDriver driver) {
    Driver() = std::move(driver);
}
