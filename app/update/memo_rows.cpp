// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/update/memo_rows.h"

#include <QFontMetrics>
#include <QPlainTextEdit>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextLayout>
#include <climits>

namespace {
// The first beginning of the first line that row 0 is looked for in; far
// more than a row of the box holds.
constexpr qsizetype kFirstLayoutLength = 512;
// How far past row 0 the text must go for its break to be final: a break
// depends on a few characters on either side, and blanks may hang past the
// box's width.
constexpr qsizetype kBreakContext = 32;
}  // namespace

void SetMemoAnswer(QPlainTextEdit& memo, const std::string& answer) {
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
    if (lines.size() > kMemoCapacity) throw EMemoCapacity();
    const QString memoText =
        QString::fromLatin1(lines.data(), static_cast<qsizetype>(lines.size()));
    if (memo.toPlainText() != memoText) memo.setPlainText(memoText);
}

std::string MemoRowZero(QPlainTextEdit& memo) {
    const QTextDocument& shown = *memo.document();
    const QString line = shown.firstBlock().text();
    if (line.isEmpty()) return "";

    // The box's own layout of its whole first line costs time that grows
    // with the square of the line's length when it wraps inside one long
    // word, and a box that was never shown knows its width only once it has
    // laid that line out. So row 0 is laid out alone, as the box lays out its
    // lines: at the width its viewport has without scroll bars, less the
    // document margin on either side. Row 0 depends only on the text up to a
    // little past its end, so ever longer beginnings of the line are laid out
    // until row 0 ends well inside one.
    const QTextOption option = shown.defaultTextOption();
    const int viewportWidth = memo.maximumViewportSize().width();
    qreal width = viewportWidth > 0 ? qreal(viewportWidth) : qreal(INT_MAX);
    width -= 2 * shown.documentMargin();
    if (option.flags() & QTextOption::AddSpaceForLineAndParagraphSeparators)
        width -= QFontMetrics(shown.defaultFont()).horizontalAdvance(QChar(0x21B5));
    for (qsizetype length = kFirstLayoutLength;; length *= 2) {
        const bool whole = length >= line.size();
        QTextLayout layout(whole ? line : line.left(length), shown.defaultFont());
        layout.setTextOption(option);
        layout.beginLayout();
        QTextLine first = layout.createLine();
        if (first.isValid()) {
            first.setLeadingIncluded(true);
            first.setLineWidth(width);
        }
        layout.endLayout();
        if (!first.isValid()) return "";
        const qsizetype end = first.textStart() + first.textLength();
        if (whole || end + kBreakContext <= length)
            return line.mid(first.textStart(), first.textLength()).toLatin1().toStdString();
    }
}

void SetUpLineSplitter(QPlainTextEdit& memo) {
    memo.setGeometry(232, 536, 121, 41);
    memo.setPlainText("Memo1");
    memo.setLineWrapMode(QPlainTextEdit::WidgetWidth);
    memo.setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    memo.setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
}
