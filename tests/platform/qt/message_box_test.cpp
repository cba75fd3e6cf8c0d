// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/qt/message_box.h"

#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>
#include <QTimer>
#include <QtTest>
#include <vector>

namespace {

struct Recorded {
    BoxKind kind;
    std::string caption;
    std::string text;
};

// What a shown box looked like when it was closed with its OK button.
struct SeenBox {
    QString caption;
    QString text;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    QStringList buttons;
    bool modal = false;
};

// Waits for the modal box to appear, notes what it shows and presses OK.
SeenBox CloseNextBox(const std::function<void()>& show) {
    SeenBox seen;
    QTimer poll;
    poll.setInterval(10);
    QObject::connect(&poll, &QTimer::timeout, [&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!box) return;
        poll.stop();
        seen.caption = box->windowTitle();
        seen.text = box->text();
        seen.icon = box->icon();
        seen.modal = box->isModal();
        for (QAbstractButton* b : box->buttons()) seen.buttons << b->text().remove('&');
        box->button(QMessageBox::Ok)->click();
    });
    poll.start();
    show();
    return seen;
}

}  // namespace

class MessageBoxTest : public QObject {
    Q_OBJECT

private slots:
    void cleanup() { SetBoxRecorder(nullptr); }

    void titleFromExecutable_data() {
        QTest::addColumn<QByteArray>("fileName");
        QTest::addColumn<QByteArray>("title");
        QTest::newRow("upper case with extension")
            << QByteArray("STRAKEL.EXE") << QByteArray("Strakel");
        QTest::newRow("as built") << QByteArray("Strakel") << QByteArray("Strakel");
        QTest::newRow("first letter stays small") << QByteArray("strakel") << QByteArray("strakel");
        QTest::newRow("up to the first dot") << QByteArray("my.app.exe") << QByteArray("my");
        QTest::newRow("up to the first dot, upper") << QByteArray("MY.APP.EXE") << QByteArray("My");
        QTest::newRow("mixed case") << QByteArray("sTrAkEl.exe") << QByteArray("strakel");
        QTest::newRow("digits and signs kept")
            << QByteArray("PIX-2_X.bin") << QByteArray("Pix-2_x");
        QTest::newRow("one letter") << QByteArray("Q") << QByteArray("Q");
        QTest::newRow("leading dot") << QByteArray(".STRAKEL") << QByteArray("");
        QTest::newRow("empty") << QByteArray("") << QByteArray("");
    }
    void titleFromExecutable() {
        QFETCH(QByteArray, fileName);
        QFETCH(QByteArray, title);
        QCOMPARE(QByteArray::fromStdString(ApplicationTitleFromExecutable(fileName.toStdString())),
                 title);
    }

    void errorBoxFullStop_data() {
        QTest::addColumn<QByteArray>("message");
        QTest::addColumn<QByteArray>("shown");
        QTest::newRow("letter") << QByteArray("Image Not allocated")
                                << QByteArray("Image Not allocated.");
        QTest::newRow("digit") << QByteArray("Undefined Error: -20")
                               << QByteArray("Undefined Error: -20.");
        QTest::newRow("full stop")
            << QByteArray("Error reading file.") << QByteArray("Error reading file.");
        QTest::newRow("space") << QByteArray("Function successful. Ignore this marker ")
                               << QByteArray("Function successful. Ignore this marker ");
        QTest::newRow("line feed") << QByteArray("two\nlines\n") << QByteArray("two\nlines\n");
        QTest::newRow("closing parenthesis") << QByteArray("(none)") << QByteArray("(none)");
        QTest::newRow("comma") << QByteArray("a,") << QByteArray("a,");
        QTest::newRow("minus") << QByteArray("= -") << QByteArray("= -");
        QTest::newRow("exclamation") << QByteArray("Stop!") << QByteArray("Stop!");
        QTest::newRow("slash sorts after the dot") << QByteArray("a/") << QByteArray("a/.");
        QTest::newRow("colon") << QByteArray("Error:") << QByteArray("Error:.");
        QTest::newRow("question mark") << QByteArray("Why?") << QByteArray("Why?.");
        QTest::newRow("closing quote") << QByteArray("a \"b\"") << QByteArray("a \"b\"");
        QTest::newRow("backquote") << QByteArray("can`") << QByteArray("can`.");
        QTest::newRow("high byte") << QByteArray("caf\xE9") << QByteArray("caf\xE9.");
        QTest::newRow("empty") << QByteArray("") << QByteArray("");
        QTest::newRow("component error")
            << QByteArray("PixImage2 \nError code: -2\nGetDIB: Invalid bitmap handle. ")
            << QByteArray("PixImage2 \nError code: -2\nGetDIB: Invalid bitmap handle. ");
    }
    void errorBoxFullStop() {
        QFETCH(QByteArray, message);
        QFETCH(QByteArray, shown);
        QCOMPARE(QByteArray::fromStdString(ErrorBoxText(message.toStdString())), shown);
    }

    void recorderReceivesKindCaptionAndText() {
        std::vector<Recorded> got;
        SetBoxRecorder([&](BoxKind kind, const std::string& caption, const std::string& text) {
            got.push_back({kind, caption, text});
        });
        ShowUserMessage("Please load a photo first");
        ShowErrorBox("Image Not allocated");
        QCOMPARE(got.size(), size_t{2});
        QVERIFY(got[0].kind == BoxKind::UserMessage);
        QCOMPARE(got[0].caption, std::string("message_box_test"));
        QCOMPARE(got[0].text, std::string("Please load a photo first"));  // no full stop added
        QVERIFY(got[1].kind == BoxKind::Error);
        QCOMPARE(got[1].caption, std::string("message_box_test"));
        QCOMPARE(got[1].text, std::string("Image Not allocated."));
    }

    void userMessageBoxHasNoIconAndOneOk() {
        const SeenBox seen = CloseNextBox([] { ShowUserMessage("Picture too large"); });
        QCOMPARE(seen.caption, QString("message_box_test"));
        QCOMPARE(seen.text, QString("Picture too large"));
        QCOMPARE(seen.icon, QMessageBox::NoIcon);
        QCOMPARE(seen.buttons, QStringList{"OK"});
        QVERIFY(seen.modal);
    }

    void errorBoxHasErrorIconOkAndFullStop() {
        const SeenBox seen = CloseNextBox([] { ShowErrorBox("Processing Not allowed"); });
        QCOMPARE(seen.caption, QString("message_box_test"));
        QCOMPARE(seen.text, QString("Processing Not allowed."));
        QCOMPARE(seen.icon, QMessageBox::Critical);
        QCOMPARE(seen.buttons, QStringList{"OK"});
        QVERIFY(seen.modal);
    }
};

QTEST_MAIN(MessageBoxTest)
#include "message_box_test.moc"
