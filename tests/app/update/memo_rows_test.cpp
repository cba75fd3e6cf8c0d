// SPDX-License-Identifier: GPL-3.0-or-later
// The update check's line splitter: the text the box holds, its capacity, and
// row 0 compared with the box's own layout of its whole first line.
#include "app/update/memo_rows.h"

#include <QAbstractTextDocumentLayout>
#include <QApplication>
#include <QPlainTextDocumentLayout>
#include <QPlainTextEdit>
#include <QResizeEvent>
#include <QTextBlock>
#include <QTextLayout>
#include <QtTest>
#include <memory>
#include <string>

#include "tests/app/update/memo_fixture.h"

namespace {

// Row 0 as the box itself lays out its whole first line at its real width.
std::string BoxRowZero(QPlainTextEdit& memo) {
    QResizeEvent resize(memo.size(), QSize(-1, -1));
    QCoreApplication::sendEvent(&memo, &resize);
    memo.setLineWrapMode(QPlainTextEdit::NoWrap);
    memo.setLineWrapMode(QPlainTextEdit::WidgetWidth);
    const QTextBlock block = memo.document()->firstBlock();
    qobject_cast<QPlainTextDocumentLayout*>(memo.document()->documentLayout())
        ->ensureBlockLayout(block);
    const QTextLayout* lines = block.layout();
    if (!lines || lines->lineCount() == 0) return "";
    const QTextLine first = lines->lineAt(0);
    return block.text().mid(first.textStart(), first.textLength()).toLatin1().toStdString();
}

std::string Repeat(const std::string& piece, std::size_t times) {
    std::string text;
    for (std::size_t i = 0; i < times; ++i) text += piece;
    return text;
}
}  // namespace

class MemoRowsTest : public QObject {
    Q_OBJECT

private slots:
    void rowZeroAsTheBoxLaysItOut_data() {
        QTest::addColumn<QByteArray>("answer");
        const auto row = [](const char* name, const std::string& text) {
            QTest::newRow(name) << QByteArray::fromStdString(text);
        };
        row("empty", "");
        row("line break first", "\r\nversion2.1");
        row("short", "version2.1");
        row("words", Repeat("aaa bbb ", 20) + "version2.1");
        row("one long word", std::string(3000, 'x') + " version2.1");
        row("word past the first beginning", std::string(600, 'w'));
        row("blanks that hang", "version2.1" + std::string(2000, ' ') + "x");
        row("tabs", Repeat("a\t", 40));
        row("control characters", Repeat(std::string("\x01\x02\x7f"), 400) + "version2.1");
        row("latin-1 letters", Repeat("\xe9\xe8\xfc ", 300));
        row("narrow letters", std::string(5000, 'i') + "\nversion2.1");
    }
    void rowZeroAsTheBoxLaysItOut() {
        QFETCH(QByteArray, answer);
        QWidget window;
        auto memo = MakeMemo1(&window);
        SetMemoAnswer(*memo, answer.toStdString());
        const std::string row = MemoRowZero(*memo);
        QCOMPARE(row, BoxRowZero(*memo));
    }

    void capacity() {
        QWidget window;
        auto memo = MakeMemo1(&window);
        // Line breaks count once as the box holds them, and a zero byte ends
        // the text before its size is checked.
        const std::string full = Repeat("a\r\n", kMemoCapacity / 2) + "b";
        SetMemoAnswer(*memo, full);
        QCOMPARE(static_cast<std::size_t>(memo->toPlainText().size()), kMemoCapacity);
        SetMemoAnswer(*memo, "c" + std::string(1, '\0') + std::string(4 << 20, 'x'));
        QCOMPARE(memo->toPlainText(), QString("c"));

        try {
            SetMemoAnswer(*memo, std::string(kMemoCapacity + 1, 'x'));
            QFAIL("no error");
        } catch (const EMemoCapacity& e) {
            QCOMPARE(std::string(e.what()), std::string("Text exceeds memo capacity"));
        }
        QCOMPARE(memo->toPlainText(), QString("c"));
    }
};

QTEST_MAIN(MemoRowsTest)
#include "memo_rows_test.moc"
