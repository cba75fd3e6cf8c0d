#include "app/update/update_check.h"

#include <QAbstractTextDocumentLayout>
#include <QCoreApplication>
#include <QPlainTextDocumentLayout>
#include <QPlainTextEdit>
#include <QResizeEvent>
#include <QTextBlock>
#include <QTextLayout>
#include <exception>

#include "net/form_data_stream.h"
#include "net/http.h"
#include "platform/qt/message_box.h"
#include "platform/qt/open_url.h"
#include "platform/qt/quit_request.h"

namespace {
// The answer as the text box holds it: up to the first zero byte, with every
// CR LF pair, lone CR and lone LF made one line break.
QString MemoText(const std::string& answer) {
    const std::string text = answer.substr(0, answer.find('\0'));
    std::string lines;
    lines.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\r') {
            if (i + 1 < text.size() && text[i + 1] == '\n') ++i;
            lines += '\n';
        } else {
            lines += text[i];
        }
    }
    return QString::fromLatin1(lines.data(), static_cast<qsizetype>(lines.size()));
}

// Row 0 as the box lays its text out at its own width, font and frame.
std::string FirstRow(QPlainTextEdit& memo) {
    // A box that was never shown has laid out neither its viewport nor its
    // text at its real width: deliver the size, then have the box wrap again.
    QResizeEvent resize(memo.size(), QSize(-1, -1));
    QCoreApplication::sendEvent(&memo, &resize);
    const QPlainTextEdit::LineWrapMode mode = memo.lineWrapMode();
    memo.setLineWrapMode(mode == QPlainTextEdit::NoWrap ? QPlainTextEdit::WidgetWidth
                                                        : QPlainTextEdit::NoWrap);
    memo.setLineWrapMode(mode);

    const QTextBlock block = memo.document()->firstBlock();
    if (auto* layout = qobject_cast<QPlainTextDocumentLayout*>(memo.document()->documentLayout()))
        layout->ensureBlockLayout(block);
    const QTextLayout* lines = block.layout();
    if (!lines || lines->lineCount() == 0) return "";
    const QTextLine first = lines->lineAt(0);
    return block.text().mid(first.textStart(), first.textLength()).toLatin1().toStdString();
}

std::string UpperAscii(std::string text) {
    for (char& c : text)
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    return text;
}

// The ten characters from the first "version" (or from the start when there
// is none), compared with this build's version, letter case aside.
bool SameVersion(const std::string& row) {
    const std::size_t found = row.find("version");
    const std::string token = row.substr(found == std::string::npos ? 0 : found, 10);
    return UpperAscii(token) == UpperAscii(kStrakelVersionText);
}
}  // namespace

void RunUpdateCheck(TNetHTTP& http, QPlainTextEdit& memo, const std::string& host) {
    TNetMultiPartFormDataStream form;
    form.AddTextField("search", "1");
    try {
        const std::string answer = http.PostForm("http://" + host, form);
        const QString text = MemoText(answer);
        if (memo.toPlainText() != text) memo.setPlainText(text);
        if (SameVersion(FirstRow(memo))) return;
        ShowUserMessage("Please download new version of Strakel from " + host);
        CurrentUrlOpener().Open("http://" + host);
        RequestQuit();
    } catch (const std::exception&) {
        ShowUserMessage(std::to_string(http.LastStatusCode()));
    }
}
