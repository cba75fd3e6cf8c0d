// SPDX-License-Identifier: GPL-3.0-or-later
// The update check against a scripted web site on the loopback interface:
// which answers pass, and the boxes, opened addresses and quit request that
// the others lead to.
#include "app/update/update_check.h"

#include <QApplication>
#include <QFont>
#include <QPlainTextEdit>
#include <QtTest>
#include <memory>
#include <string>
#include <vector>

#include "app/update/memo_rows.h"
#include "net/http.h"
#include "platform/qt/message_box.h"
#include "platform/qt/open_url.h"
#include "platform/qt/quit_request.h"
#include "tests/app/update/memo_fixture.h"
#include "tests/support/loopback_server.h"

namespace {
std::vector<std::string> g_log;

// Logs each opened address, noting a quit that was requested too early.
class LoggingUrlOpener : public RecordingUrlOpener {
public:
    void Open(const std::string& url) override {
        g_log.push_back("open " + url + (QuitRequested() ? " after quit" : ""));
        RecordingUrlOpener::Open(url);
    }
};

std::string Answer200(const QByteArray& body) {
    return "HTTP/1.1 200 OK\r\nContent-Length: " + std::to_string(body.size()) + "\r\n\r\n" +
           body.toStdString();
}

// Counts the lookups and sockets that an exchange asks for.
class CountingSocketApi : public NetSocketApi {
public:
    int LookupIPv4(const std::string& host, in_addr& address, int timeoutMs) override {
        ++calls;
        return NetSocketApi::LookupIPv4(host, address, timeoutMs);
    }
    int Socket(int domain, int type, int protocol) override {
        ++calls;
        return NetSocketApi::Socket(domain, type, protocol);
    }
    int calls = 0;
};

const char kLongWords[] = "aaa bbb ccc ddd eee fff ggg hhh iii jjj kkk lll mmm nnn ooo ppp ";
}  // namespace

class UpdateCheckTest : public QObject {
    Q_OBJECT

private slots:
    void init() {
        g_log.clear();
        ResetQuitRequest();
        SetBoxRecorder([](BoxKind kind, const std::string&, const std::string& text) {
            g_log.push_back(std::string(kind == BoxKind::UserMessage ? "box " : "error box ") +
                            text);
        });
        SetUrlOpener(&opener_);
    }
    void cleanup() {
        SetBoxRecorder(nullptr);
        SetUrlOpener(nullptr);
        ResetQuitRequest();
        QCoreApplication::processEvents();
    }

    void answers_data() {
        QTest::addColumn<QByteArray>("answer");  // the whole HTTP answer; empty: no server
        QTest::addColumn<bool>("byName");        // host "localhost:PORT" instead of the address
        QTest::addColumn<QString>("outcome");    // "" passes, "download", or the code shown

        const auto ok = [](const QByteArray& body) {
            return QByteArray::fromStdString(Answer200(body));
        };
        QTest::newRow("version2.1") << ok("version2.1") << false << "";
        QTest::newRow("version2.1 and line break") << ok("version2.1\r\nmore") << false << "";
        QTest::newRow("Version2.1") << ok("Version2.1") << false << "";
        QTest::newRow("VERSION2.1") << ok("VERSION2.1") << true << "";
        QTest::newRow("blank version2.1") << ok(" version2.1") << false << "";
        QTest::newRow("version2.1 beta") << ok("version2.1 beta") << false << "";
        QTest::newRow("found after other text") << ok("Now version2.1") << false << "";
        QTest::newRow("version2.2") << ok("version2.2") << true << "download";
        QTest::newRow("Version2.2") << ok("Version2.2") << false << "download";
        QTest::newRow("version2.0") << ok("version2.0") << false << "download";
        QTest::newRow("version2.10") << ok("version2.10") << false << "download";
        QTest::newRow("version2.1.1") << ok("version2.1.1") << false << "download";
        // A first row that names no version is a failed check, not a new version.
        QTest::newRow("error page")
            << ok("<html><body>Service unavailable</body></html>") << false << "200";
        QTest::newRow("version 2.1") << ok("version 2.1") << false << "200";
        QTest::newRow("blank Version2.1") << ok(" Version2.1") << false << "200";
        QTest::newRow("version without digits") << ok("version.") << false << "200";
        QTest::newRow("empty") << ok("") << false << "200";
        QTest::newRow("empty first line") << ok("\r\nversion2.1") << false << "200";
        QTest::newRow("LF CR is two breaks") << ok("\n\rversion2.1") << false << "200";
        QTest::newRow("only in second line") << ok("news\nversion2.1") << false << "200";
        QTest::newRow("text ends at zero byte")
            << ok(QByteArray("\0version2.1", 11)) << false << "200";
        QTest::newRow("version wrapped to second row")
            << ok(QByteArray(kLongWords) + "version2.1") << false << "200";
        QTest::newRow("newer version wrapped away")
            << ok("VERSION2.1 " + QByteArray(kLongWords) + "version2.2") << false << "";
        QTest::newRow("word wider than the box")
            << ok(QByteArray(60, 'x') + "version2.1") << false << "200";
        QTest::newRow("404") << QByteArray("HTTP/1.1 404 Not Found\r\nContent-Length: 0\r\n\r\n")
                             << false << "404";
        QTest::newRow("301") << QByteArray(
                                    "HTTP/1.1 301 Moved Permanently\r\n"
                                    "Location: http://127.0.0.1:1/\r\n\r\n")
                             << false << "301";
        // A broken or oversized answer after a 200 status line shows that code.
        QTest::newRow("bad chunk size") << QByteArray(
                                               "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n"
                                               "\r\n10000000000000000\r\nversion2.2\r\n0\r\n\r\n")
                                        << false << "200";
        QTest::newRow("negative chunk size")
            << QByteArray(
                   "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n"
                   "\r\n-5\r\n")
            << false << "200";
        QTest::newRow("more than the memo holds")
            << ok(QByteArray(kMemoCapacity + 1, 'v')) << false << "200";
        QTest::newRow("no server") << QByteArray() << false << "-1";
    }

    void answers() {
        QFETCH(QByteArray, answer);
        QFETCH(bool, byName);
        QFETCH(QString, outcome);

        std::unique_ptr<LoopbackServer> server;
        uint16_t port = LoopbackServer::RefusingPort();
        if (!answer.isEmpty()) {
            server = std::make_unique<LoopbackServer>(
                std::vector<LoopbackReply>{{answer.toStdString()}});
            port = server->Port();
        }
        const std::string host = (byName ? "localhost:" : "127.0.0.1:") + std::to_string(port);

        QWidget window;
        auto memo = MakeMemo1(&window);
        TNetHTTP http;
        RunUpdateCheck(http, *memo, host);

        std::vector<std::string> expected;
        if (outcome == "download") {
            expected = {"box Please download new version of Strakel from " + host,
                        "open http://" + host};
        } else if (!outcome.isEmpty()) {
            expected = {"box " + outcome.toStdString()};
        }
        QCOMPARE(g_log, expected);
        QCOMPARE(QuitRequested(), outcome == "download");
        if (server) {
            server->WaitServed(1);
            QCOMPARE(server->Requests().size(), size_t{1});
            QVERIFY(server->Requests()[0].rfind("POST / HTTP/1.0\r\n", 0) == 0);
        }
    }

    void memoHoldsTheNormalisedAnswer() {
        // The zero byte and what follows it reach the memo, which stops there.
        static constexpr char kBody[] = "version2.1\nb\r\rd\n\re\r\nf\0tail";
        LoopbackServer server({{Answer200(QByteArray(kBody, sizeof kBody - 1))}});
        QWidget window;
        auto memo = MakeMemo1(&window);
        TNetHTTP http;
        RunUpdateCheck(http, *memo, server.HostAndPort());
        QCOMPARE(memo->toPlainText(), QString("version2.1\nb\n\nd\n\ne\nf"));
        QVERIFY(g_log.empty());
    }

    void failedExchangeLeavesMemoAlone() {
        QWidget window;
        auto memo = MakeMemo1(&window);
        TNetHTTP http;
        RunUpdateCheck(http, *memo, "127.0.0.1:" + std::to_string(LoopbackServer::RefusingPort()));
        QCOMPARE(memo->toPlainText(), QString("Memo1"));
        QCOMPARE(g_log, std::vector<std::string>{"box -1"});
        QVERIFY(!QuitRequested());
    }

    // A site that trickles its headers is cut off by the one deadline of the
    // exchange, and start-up goes on with the status code.
    void tricklingSiteIsCutOff() {
        LoopbackServer server({{"HTTP/1.1 200 OK\r\n", LoopbackReply::Then::Close,
                                std::string(200, 'X') + ": y\r\n\r\nversion2.1"}});
        QWidget window;
        auto memo = MakeMemo1(&window);
        TNetHTTP http;
        http.SetExchangeTimeout(300);
        RunUpdateCheck(http, *memo, server.HostAndPort());
        QCOMPARE(g_log, std::vector<std::string>{"box 200"});
        QVERIFY(!QuitRequested());
        QCOMPARE(memo->toPlainText(), QString("Memo1"));
    }

    void noSiteMeansNoCheck() {
        QWidget window;
        auto memo = MakeMemo1(&window);
        CountingSocketApi api;
        TNetHTTP http;
        http.SetSocketApi(&api);
        RunUpdateCheck(http, *memo, "");
        QCOMPARE(api.calls, 0);
        QVERIFY(g_log.empty());
        QVERIFY(!QuitRequested());
        QCOMPARE(memo->toPlainText(), QString("Memo1"));
        QCOMPARE(http.LastStatusLine(), std::string());

        // With a host the same client does reach for a socket.
        RunUpdateCheck(http, *memo, "127.0.0.1:" + std::to_string(LoopbackServer::RefusingPort()));
        QVERIFY(api.calls > 0);
        QCOMPARE(g_log, std::vector<std::string>{"box -1"});
    }

private:
    LoggingUrlOpener opener_;
};

QTEST_MAIN(UpdateCheckTest)
#include "update_check_test.moc"
