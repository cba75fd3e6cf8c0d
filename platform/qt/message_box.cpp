// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/qt/message_box.h"

#include <QApplication>
#include <QFileInfo>
#include <QMessageBox>

namespace {
BoxRecorder& Recorder() {
    static BoxRecorder r;
    return r;
}

void Show(BoxKind kind, const std::string& text, const std::string& caption) {
    if (Recorder()) {
        Recorder()(kind, caption, text);
        return;
    }
    QMessageBox box(kind == BoxKind::Error ? QMessageBox::Critical : QMessageBox::NoIcon,
                    QString::fromLocal8Bit(caption), QString::fromLocal8Bit(text), QMessageBox::Ok);
    box.exec();
}
}  // namespace

std::string ApplicationTitleFromExecutable(const std::string& fileName) {
    std::string title = fileName.substr(0, fileName.find('.'));
    for (size_t i = 1; i < title.size(); ++i) {
        const unsigned char c = static_cast<unsigned char>(title[i]);
        if (c >= 'A' && c <= 'Z') title[i] = static_cast<char>(c - 'A' + 'a');
    }
    return title;
}

std::string ApplicationTitle() {
    const QString path = QCoreApplication::applicationFilePath();
    if (path.isEmpty()) return "";
    return ApplicationTitleFromExecutable(QFileInfo(path).fileName().toLocal8Bit().toStdString());
}

std::string ErrorBoxText(const std::string& message) {
    if (!message.empty() && static_cast<unsigned char>(message.back()) > '.') return message + ".";
    return message;
}

void ShowUserMessage(const std::string& text) {
    Show(BoxKind::UserMessage, text, ApplicationTitle());
}

void ShowUserMessage(const std::string& text, const std::string& caption) {
    Show(BoxKind::UserMessage, text, caption);
}

void ShowErrorBox(const std::string& message) {
    Show(BoxKind::Error, ErrorBoxText(message), ApplicationTitle());
}

void SetBoxRecorder(BoxRecorder recorder) {
    Recorder() = std::move(recorder);
}
