// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/qt/quit_request.h"

#include <QApplication>
#include <QTimer>
#include <QWidget>
#include <QtTest>

namespace {

// Runs the event loop; a loop still running after five seconds is ended with 99.
int RunLoop() {
    QTimer watchdog;
    watchdog.setSingleShot(true);
    QObject::connect(&watchdog, &QTimer::timeout, [] { QCoreApplication::exit(99); });
    watchdog.start(5000);
    return QCoreApplication::exec();
}

}  // namespace

class QuitRequestTest : public QObject {
    Q_OBJECT

private slots:
    void init() { ResetQuitRequest(); }

    void endsARunningLoop() {
        bool after = false;
        QTimer::singleShot(0, [&] {
            RequestQuit();
            after = true;  // the request does not return early
        });
        QCOMPARE(RunLoop(), 0);
        QVERIFY(after);
        QVERIFY(QuitRequested());
    }

    void requestBeforeTheLoopEndsItOnceItRuns() {
        RequestQuit();
        QCOMPARE(RunLoop(), 0);
    }

    void leavesWindowsOpen() {
        QWidget window;
        window.show();
        RequestQuit();
        QCOMPARE(RunLoop(), 0);
        QVERIFY(window.isVisible());
    }

    void nothingRequestedLeavesTheLoopRunning() {
        QVERIFY(!QuitRequested());
        QTimer::singleShot(50, [] { QCoreApplication::exit(7); });
        QCOMPARE(RunLoop(), 7);
    }

    void oneRequestEndsOneLoop() {
        // The request is consumed by the loop that it ended; forgetting it
        // leaves nothing behind for the next loop.
        RequestQuit();
        QCOMPARE(RunLoop(), 0);
        ResetQuitRequest();
        QVERIFY(!QuitRequested());
        QTimer::singleShot(50, [] { QCoreApplication::exit(7); });
        QCOMPARE(RunLoop(), 7);
    }
};

QTEST_MAIN(QuitRequestTest)
#include "quit_request_test.moc"
