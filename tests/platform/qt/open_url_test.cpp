// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/qt/open_url.h"

#include <QtTest>

class OpenUrlTest : public QObject {
    Q_OBJECT

private slots:
    void desktopOpenerIsTheDefault() {
        QVERIFY(dynamic_cast<DesktopUrlOpener*>(&CurrentUrlOpener()) != nullptr);
    }

    void installedRecorderTakesEveryAddressInOrder() {
        RecordingUrlOpener recorder;
        SetUrlOpener(&recorder);
        CurrentUrlOpener().Open("http://strakel.example/");
        CurrentUrlOpener().Open("http://strakel.example/?closed");
        SetUrlOpener(nullptr);
        QCOMPARE(recorder.opened, (std::vector<std::string>{"http://strakel.example/",
                                                            "http://strakel.example/?closed"}));
        // Removing the recorder restores the desktop opener without calling it.
        QVERIFY(dynamic_cast<DesktopUrlOpener*>(&CurrentUrlOpener()) != nullptr);
    }
};

QTEST_MAIN(OpenUrlTest)
#include "open_url_test.moc"
