// SPDX-License-Identifier: GPL-3.0-or-later
// The client against a scripted peer on the loopback interface: the request
// bytes on the wire, the acceptance of answers, the failure table, and the
// limits on waiting and on answer size.
#include "net/http.h"

#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netdb.h>

#include <functional>

#include "net/net_errors.h"
#include "tests/net/expect_error.h"
#include "tests/support/loopback_server.h"

namespace {
using Then = LoopbackReply::Then;

const TNetLocalTime kMarch9 = {2007, 3, 9, 14, 5, 7, 42};

std::string SearchRequest(const std::string& host) {
    return "POST / HTTP/1.0\r\n"
           "Connection: keep-alive\r\n"
           "Content-Type: multipart/form-data; boundary=--------030907140507042\r\n"
           "Content-Length: 110\r\n"
           "Host: " +
           host +
           "\r\n"
           "Accept: text/html, */*\r\n"
           "User-Agent: Mozilla/3.0 (compatible; Net Library)\r\n"
           "\r\n"
           "----------030907140507042\r\n"
           "Content-Disposition: form-data; name=\"search\"\r\n"
           "\r\n"
           "1\r\n"
           "\r\n"
           "----------030907140507042--\r\n";
}

struct Outcome {
    std::string body;
    std::string errorType;  // empty on success
    std::string errorText;
    std::string errorBody;  // of a refused answer
};

Outcome Post(TNetHTTP& http, const std::string& url) {
    TNetMultiPartFormDataStream form(kMarch9);
    form.AddTextField("search", "1");
    Outcome o;
    try {
        o.body = http.PostForm(url, form);
    } catch (const ENetHTTPProtocolException& e) {
        o.errorType = typeid(e).name();
        o.errorText = e.what();
        o.errorBody = e.ErrorMessage();
    } catch (const std::exception& e) {
        o.errorType = typeid(e).name();
        o.errorText = e.what();
    }
    return o;
}

template <class E>
std::string TypeName() {
    return typeid(E).name();
}

struct AnswerCase {
    const char* name;
    LoopbackReply reply;
    std::string body;
    std::string errorType;
    std::string errorText;
    int code;
    std::string statusLine;
    std::string errorBody;
};

std::vector<AnswerCase> AnswerCases() {
    const std::string protocol = TypeName<ENetHTTPProtocolException>();
    const std::string closed = TypeName<ENetConnClosedGracefully>();
    const std::string chunks = "4\r\nvers\r\n6 ext\r\nion2.1\r\n0\r\n\r\n";
    return {
        {"length",
         {"HTTP/1.1 200 OK\r\nContent-Length: 10\r\n\r\nversion2.1tail"},
         "version2.1",
         "",
         "",
         200,
         "HTTP/1.1 200 OK",
         ""},
        {"100 then 200",
         {"HTTP/1.1 100 Continue\r\nX: y\r\n\r\nHTTP/1.1 200 Fine\r\nContent-Length: 3\r\n\r\nabc"},
         "abc",
         "",
         "",
         200,
         "HTTP/1.1 200 Fine",
         ""},
        {"204 reads no body",
         {"HTTP/1.1 204 No Content\r\nContent-Length: 4\r\n\r\nbody"},
         "",
         "",
         "",
         204,
         "HTTP/1.1 204 No Content",
         ""},
        {"301 not followed",
         {"HTTP/1.1 301 Moved Permanently\r\nLocation: http://127.0.0.1:1/\r\n"
          "Content-Length: 4\r\n\r\ngone"},
         "",
         protocol,
         "HTTP/1.1 301 Moved Permanently",
         301,
         "HTTP/1.1 301 Moved Permanently",
         "gone"},
        {"200 with Location",
         {"HTTP/1.1 200 OK\r\nLocation: /x\r\nContent-Length: 2\r\n\r\nhi"},
         "",
         protocol,
         "HTTP/1.1 200 OK",
         200,
         "HTTP/1.1 200 OK",
         "hi"},
        {"304 refused",
         {"HTTP/1.1 304 Not Modified\r\nContent-Length: 0\r\n\r\n"},
         "",
         protocol,
         "HTTP/1.1 304 Not Modified",
         304,
         "HTTP/1.1 304 Not Modified",
         ""},
        {"404 with body",
         {"HTTP/1.0 404 Not Found\r\n\r\nnot here"},
         "",
         protocol,
         "HTTP/1.0 404 Not Found",
         404,
         "HTTP/1.0 404 Not Found",
         "not here"},
        {"401 without credentials",
         {"HTTP/1.0 401 Unauthorized\r\nContent-Length: 0\r\n\r\n"},
         "",
         protocol,
         "HTTP/1.0 401 Unauthorized",
         401,
         "HTTP/1.0 401 Unauthorized",
         ""},
        {"Content-Length 0",
         {"HTTP/1.1 200 OK\r\nContent-Length: 0\r\n\r\nignored"},
         "",
         "",
         "",
         200,
         "HTTP/1.1 200 OK",
         ""},
        {"no length reads to close",
         {"HTTP/1.0 200 OK\r\nContent-Length: x\r\n\r\nline1\nline2\r"},
         "line1\nline2\r",
         "",
         "",
         200,
         "HTTP/1.0 200 OK",
         ""},
        {"chunked",
         {"HTTP/1.1 200 OK\r\nTransfer-Encoding: gzip, chunked\r\n\r\n" + chunks},
         "version2.1",
         "",
         "",
         200,
         "HTTP/1.1 200 OK",
         ""},
        {"Chunked is not chunked",
         {"HTTP/1.1 200 OK\r\nTransfer-Encoding: Chunked\r\n\r\n" + chunks},
         chunks,
         "",
         "",
         200,
         "HTTP/1.1 200 OK",
         ""},
        {"status without number",
         {"HTTP/1.1 OK\r\nContent-Length: 0\r\n\r\n"},
         "",
         protocol,
         "HTTP/1.1 OK",
         -1,
         "HTTP/1.1 OK",
         ""},
        {"overlong status line",
         {std::string(16384, 'H') + "\r\n\r\n"},
         "",
         TypeName<ENetReadLnMaxLineLengthExceeded>(),
         "Max line length exceeded.",
         -1,
         "",
         ""},
        {"overlong header line",
         {"HTTP/1.1 200 OK\r\nX: " + std::string(16381, 'v') + "\r\n\r\n"},
         "",
         TypeName<ENetReadLnMaxLineLengthExceeded>(),
         "Max line length exceeded.",
         200,
         "HTTP/1.1 200 OK",
         ""},
        {"longest header line accepted",
         {"HTTP/1.1 200 OK\r\nX: " + std::string(16380, 'v') + "\r\nContent-Length: 1\r\n\r\n!"},
         "!",
         "",
         "",
         200,
         "HTTP/1.1 200 OK",
         ""},
        {"close before status line", {""}, "", closed, "Connection Closed Gracefully.", -1, "", ""},
        {"close inside status line", {"HTTP/1.1 20"}, "", protocol, "", -1, "", ""},
        {"2xx headers cut off",
         {"HTTP/1.1 200 OK\r\nContent-Length: 2\r\n"},
         "",
         TypeName<ENetException>(),
         "Undefined situation",
         200,
         "HTTP/1.1 200 OK",
         ""},
        {"body shorter than announced",
         {"HTTP/1.1 200 OK\r\nContent-Length: 20\r\n\r\nversion2.1"},
         "",
         closed,
         "Connection Closed Gracefully.",
         200,
         "HTTP/1.1 200 OK",
         ""},
    };
}
}  // namespace

TEST(Http, SendsTheSearchFormByteForByte) {
    LoopbackServer server({{"HTTP/1.1 200 OK\r\nContent-Length: 2\r\n\r\nok"}});
    TNetHTTP http;
    EXPECT_EQ(http.LastStatusCode(), -1);
    EXPECT_EQ(http.LastStatusLine(), "");
    const Outcome o = Post(http, "http://" + server.HostAndPort());
    EXPECT_EQ(o.errorText, "");
    EXPECT_EQ(o.body, "ok");
    server.WaitServed(1);
    ASSERT_EQ(server.Requests().size(), 1u);
    EXPECT_EQ(server.Requests()[0], SearchRequest(server.HostAndPort()));
    EXPECT_EQ(http.ProtocolVersion(), TNetHTTPProtocolVersion::pv1_1);
}

TEST(Http, AnswerTable) {
    for (const AnswerCase& c : AnswerCases()) {
        SCOPED_TRACE(c.name);
        LoopbackServer server({c.reply});
        TNetHTTP http;
        const Outcome o = Post(http, "http://" + server.HostAndPort() + "/");
        EXPECT_EQ(o.body, c.body);
        EXPECT_EQ(o.errorType, c.errorType) << o.errorText;
        EXPECT_EQ(o.errorText, c.errorText);
        EXPECT_EQ(o.errorBody, c.errorBody);
        EXPECT_EQ(http.LastStatusCode(), c.code);
        EXPECT_EQ(http.LastStatusLine(), c.statusLine);
        server.WaitServed(1);
        EXPECT_EQ(server.Requests().size(), 1u) << "no second request";
    }
}

// Socket calls that record what the client asks for, and fail or redirect on
// demand.
class ScriptedSocketApi : public NetSocketApi {
public:
    int LookupIPv4(const std::string& host, in_addr& address, int timeoutMs) override {
        lookups.push_back(host);
        lookupTimeouts.push_back(timeoutMs);
        if (lookupError) return lookupError;
        return NetSocketApi::LookupIPv4(host, address, timeoutMs);
    }
    int Connect(int fd, const sockaddr* address, socklen_t length) override {
        sockaddr_in to = *reinterpret_cast<const sockaddr_in*>(address);
        char text[INET_ADDRSTRLEN];
        connectedTo = std::string(inet_ntop(AF_INET, &to.sin_addr, text, sizeof text)) + ":" +
                      std::to_string(ntohs(to.sin_port));
        if (connectHangs) {
            errno = EINPROGRESS;
            return -1;
        }
        if (redirectPort) to.sin_port = htons(redirectPort);
        return NetSocketApi::Connect(fd, reinterpret_cast<const sockaddr*>(&to), length);
    }
    int Poll(pollfd* fds, nfds_t count, int timeoutMs) override {
        if (connectHangs) {
            pollTimeouts.push_back(timeoutMs);
            return 0;
        }
        if (resetAtRecv == recvCalls + 1) {
            // A reset makes the socket readable at once.
            fds[0].revents = POLLIN;
            return 1;
        }
        return NetSocketApi::Poll(fds, count, timeoutMs);
    }
    ssize_t Send(int fd, const void* data, size_t size) override {
        sends.emplace_back(static_cast<const char*>(data), size);
        return NetSocketApi::Send(fd, data, size);
    }
    ssize_t Recv(int fd, void* buffer, size_t size) override {
        if (++recvCalls == resetAtRecv) {
            errno = ECONNRESET;
            return -1;
        }
        return NetSocketApi::Recv(fd, buffer, size);
    }

    int lookupError = 0;
    bool connectHangs = false;
    uint16_t redirectPort = 0;
    int resetAtRecv = 0;
    int recvCalls = 0;
    std::vector<std::string> lookups;
    std::vector<int> lookupTimeouts;
    std::string connectedTo;
    std::vector<int> pollTimeouts;
    std::vector<std::string> sends;
};

TEST(Http, HeaderBlockInOneWriteThenBodyInPieces) {
    LoopbackServer server({{"HTTP/1.1 200 OK\r\nContent-Length: 0\r\n\r\n"},
                           {"HTTP/1.1 200 OK\r\nContent-Length: 0\r\n\r\n"}});
    ScriptedSocketApi api;
    TNetHTTP http;
    http.SetSocketApi(&api);
    Post(http, "http://" + server.HostAndPort());
    const std::string request = SearchRequest(server.HostAndPort());
    ASSERT_EQ(api.sends.size(), 2u);
    EXPECT_EQ(api.sends[0], request.substr(0, request.size() - 110));
    EXPECT_EQ(api.sends[1], request.substr(request.size() - 110));

    api.sends.clear();
    http.SetSendBufferSize(50);
    Post(http, "http://" + server.HostAndPort());
    ASSERT_EQ(api.sends.size(), 4u);
    EXPECT_EQ(api.sends[1].size(), 50u);
    EXPECT_EQ(api.sends[2].size(), 50u);
    EXPECT_EQ(api.sends[3].size(), 10u);
    EXPECT_TRUE(api.lookups.empty());
}

TEST(Http, LocalHostNeedsNoLookupAndKeepsItsSpellingInHost) {
    LoopbackServer server({{"HTTP/1.1 200 OK\r\nContent-Length: 2\r\n\r\nok"}});
    ScriptedSocketApi api;
    api.redirectPort = server.Port();
    TNetHTTP http;
    http.SetSocketApi(&api);
    EXPECT_EQ(Post(http, "http://LocalHost:8080").body, "ok");
    EXPECT_TRUE(api.lookups.empty());
    EXPECT_EQ(api.connectedTo, "127.0.0.1:8080");
    EXPECT_EQ(http.Port(), 8080);
    server.WaitServed(1);
    EXPECT_EQ(server.Requests().at(0), SearchRequest("LocalHost:8080"));
}

TEST(Http, PortEightyLeavesHostBareAndOriginalProtocolIsKeptOnlyOnRequest) {
    const std::string ok = "HTTP/1.1 200 OK\r\nContent-Length: 0\r\n\r\n";
    LoopbackServer server({{ok}, {ok}});
    ScriptedSocketApi api;
    api.redirectPort = server.Port();
    TNetHTTP http;
    http.SetSocketApi(&api);
    Post(http, "http://localhost:80/a/b.cgi?q=1#frag");
    http.SetHTTPOptions(hoForceEncodeParams | hoKeepOrigProtocol);
    http.Request().Connection.clear();
    Post(http, "http://localhost:80/");
    server.WaitServed(2);
    const std::vector<std::string> requests = server.Requests();
    ASSERT_EQ(requests.size(), 2u);
    EXPECT_EQ(requests[0].substr(0, requests[0].find("Content-Type")),
              "POST /a/b.cgi?q=1 HTTP/1.0\r\nConnection: keep-alive\r\n");
    EXPECT_NE(requests[0].find("\r\nHost: localhost\r\n"), std::string::npos);
    EXPECT_EQ(requests[1].substr(0, requests[1].find("Content-Length")),
              "POST / HTTP/1.1\r\nContent-Type: multipart/form-data; "
              "boundary=--------030907140507042\r\n");
}

TEST(Http, SocketFailures) {
    TNetHTTP http;
    {
        const uint16_t port = LoopbackServer::RefusingPort();
        const Outcome o = Post(http, "http://127.0.0.1:" + std::to_string(port));
        EXPECT_EQ(o.errorType, TypeName<ENetSocketError>());
        EXPECT_EQ(o.errorText, "Socket Error # 111\r\nConnection refused");
        EXPECT_EQ(http.LastStatusCode(), -1);
        EXPECT_FALSE(http.Connected());
    }
    ScriptedSocketApi api;
    http.SetSocketApi(&api);
    {
        api.lookupError = EAI_NONAME;
        const Outcome o = Post(http, "http://no-such-host.invalid");
        EXPECT_EQ(api.lookups, std::vector<std::string>{"no-such-host.invalid"});
        EXPECT_EQ(o.errorType, TypeName<ENetSocketError>());
        EXPECT_EQ(o.errorText, "Socket Error # -2\r\nName or service not known");
        api.lookupError = 0;
    }
    {
        // The lookup and the connect each get the connect limit, and never
        // more than is left of the exchange's time.
        api.lookupError = EAI_AGAIN;
        Post(http, "http://slow-name-server.invalid");
        api.lookupError = 0;
        api.connectHangs = true;
        const Outcome o = Post(http, "http://127.0.0.1:9");
        EXPECT_EQ(o.errorText, "Socket Error # 110\r\nConnection timed out");
        ASSERT_EQ(api.pollTimeouts.size(), 1u);
        EXPECT_GT(api.pollTimeouts[0], 4900);
        EXPECT_LE(api.pollTimeouts[0], 5000);
        http.SetConnectTimeout(1200);
        http.SetExchangeTimeout(800);
        Post(http, "http://127.0.0.1:9");
        Post(http, "http://slow-name-server.invalid");
        EXPECT_GT(api.pollTimeouts.back(), 700);
        EXPECT_LE(api.pollTimeouts.back(), 800);
        ASSERT_EQ(api.lookupTimeouts.size(), 3u);
        EXPECT_GT(api.lookupTimeouts[1], 4900);
        EXPECT_LE(api.lookupTimeouts[1], 5000);
        EXPECT_GT(api.lookupTimeouts[2], 700);
        EXPECT_LE(api.lookupTimeouts[2], 800);
        api.connectHangs = false;
    }
}

TEST(Http, ResetKeepsTheCodeOfAStatusLineAlreadyRead) {
    for (int resetAt : {1, 2}) {
        SCOPED_TRACE(resetAt);
        // Sent in one piece, so the first read takes the whole head.
        LoopbackServer server(
            {{"HTTP/1.1 200 OK\r\nContent-Length: 20\r\n\r\nabc", Then::StaySilent}});
        ScriptedSocketApi api;
        api.resetAtRecv = resetAt;
        TNetHTTP http;
        http.SetSocketApi(&api);
        const Outcome o = Post(http, "http://" + server.HostAndPort());
        EXPECT_EQ(o.errorType, TypeName<ENetSocketError>());
        EXPECT_EQ(o.errorText, "Socket Error # 104\r\nConnection reset by peer");
        EXPECT_EQ(http.LastStatusCode(), resetAt == 1 ? -1 : 200);
        EXPECT_FALSE(http.Connected());
    }
}

TEST(Http, SilentServerHitsTheDeadline) {
    EXPECT_EQ(TNetHTTP().ExchangeTimeout(), 15000);
    EXPECT_EQ(TNetHTTP().ConnectTimeout(), 5000);
    EXPECT_EQ(TNetHTTP().ErrorBodyTimeout(), 2000);
    LoopbackServer server(
        {{"", Then::StaySilent}, {"HTTP/1.1 404 Not Found\r\n\r\nsome", Then::StaySilent}});
    TNetHTTP http;
    http.SetExchangeTimeout(150);
    Outcome o = Post(http, "http://" + server.HostAndPort());
    EXPECT_EQ(o.errorType, TypeName<ENetReadTimeout>());
    EXPECT_EQ(o.errorText, "Read Timeout");
    EXPECT_EQ(http.LastStatusCode(), -1);

    http.SetExchangeTimeout(15000);
    http.SetErrorBodyTimeout(150);
    o = Post(http, "http://" + server.HostAndPort());
    EXPECT_EQ(o.errorType, TypeName<ENetReadTimeout>());
    EXPECT_EQ(o.errorText, "Read Timeout");
    EXPECT_EQ(http.LastStatusCode(), 404);
    EXPECT_FALSE(http.Connected());
}

// A server that sends a byte every 10 ms never lets a single wait run out;
// only one limit on the whole exchange ends it. Each trickle lasts well over
// a second, so an answer that arrives complete shows that the limit failed.
TEST(Http, TricklingServerHitsTheDeadline) {
    const std::string filler(150, 'x');
    struct Case {
        const char* name;
        LoopbackReply reply;
        int code;
    };
    const Case cases[] = {
        {"status line", {"", Then::Close, "HTTP/1.1 200 OK " + filler + "\r\n\r\n"}, -1},
        {"header lines",
         {"HTTP/1.1 200 OK\r\n", Then::Close, "X: y\r\nX: y\r\n" + filler + "\r\n\r\n"},
         200},
        {"body", {"HTTP/1.1 200 OK\r\nContent-Length: 150\r\n\r\n", Then::Close, filler}, 200},
        {"chunked body",
         {"HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n", Then::Close,
          "1\r\nx\r\n96\r\n" + filler + "\r\n0\r\n\r\n"},
         200},
        {"body of a refused answer",
         {"HTTP/1.1 404 Not Found\r\nContent-Length: 150\r\n\r\n", Then::Close, filler},
         404},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        LoopbackServer server({c.reply});
        TNetHTTP http;
        http.SetExchangeTimeout(300);
        const Outcome o = Post(http, "http://" + server.HostAndPort());
        EXPECT_EQ(o.errorType, TypeName<ENetReadTimeout>()) << o.errorText;
        EXPECT_EQ(o.errorText, "Read Timeout");
        EXPECT_EQ(http.LastStatusCode(), c.code);
        EXPECT_FALSE(http.Connected());
    }
}

TEST(Http, TricklingErrorBodyHitsItsOwnLimit) {
    LoopbackServer server({{"HTTP/1.1 404 Not Found\r\n\r\n", Then::Close, std::string(150, 'x')}});
    TNetHTTP http;
    http.SetErrorBodyTimeout(200);
    const Outcome o = Post(http, "http://" + server.HostAndPort());
    EXPECT_EQ(o.errorType, TypeName<ENetReadTimeout>()) << o.errorText;
    EXPECT_EQ(http.LastStatusCode(), 404);
}

TEST(Http, EndlessAnswerHitsTheSizeLimit) {
    LoopbackServer server({{"HTTP/1.0 200 OK\r\n\r\n", Then::SendForever}});
    TNetHTTP http;
    EXPECT_EQ(http.MaxAnswerSize(), 4u * 1024 * 1024);
    const Outcome o = Post(http, "http://" + server.HostAndPort());
    EXPECT_EQ(o.errorType, TypeName<ENetAnswerTooLarge>());
    EXPECT_EQ(o.errorText, "Answer too large: more than 4194304 bytes.");
    EXPECT_EQ(http.LastStatusCode(), 200);
    EXPECT_FALSE(http.Connected());
}

TEST(Http, KeepAliveAnswerKeepsTheConnectionUntilTheNextPost) {
    const std::string keep =
        "HTTP/1.0 200 OK\r\nConnection:  Keep-Alive \r\nSet-Cookie: id=42; path=/\r\n"
        "Content-Length: 1\r\n\r\na";
    LoopbackServer server({{keep, Then::StaySilent}, {"HTTP/1.0 200 OK\r\n\r\nb"}});
    TNetHTTP http;
    EXPECT_EQ(http.CookieManager(), nullptr);
    EXPECT_EQ(Post(http, "http://" + server.HostAndPort()).body, "a");
    EXPECT_TRUE(http.Connected());
    ASSERT_NE(http.CookieManager(), nullptr);
    EXPECT_EQ(http.CookieManager()->CookieHeaderFor("127.0.0.1"), "id=42");
    EXPECT_EQ(Post(http, "http://" + server.HostAndPort()).body, "b");
    EXPECT_FALSE(http.Connected());
    server.WaitServed(2);
    EXPECT_EQ(server.Requests().size(), 2u);

    // A later failure does not report the code of the earlier answer.
    const Outcome o =
        Post(http, "http://127.0.0.1:" + std::to_string(LoopbackServer::RefusingPort()));
    EXPECT_EQ(o.errorType, TypeName<ENetSocketError>());
    EXPECT_EQ(http.LastStatusCode(), -1);
}

TEST(Http, SchemeAndPortRules) {
    TNetHTTP http;
    EXPECT_EQ(Post(http, "gopher://h/").errorText, "Unknown protocol: \"gopher\".");
    EXPECT_EQ(Post(http, "https://h/").errorText, "Unknown protocol: \"https\".");
    EXPECT_EQ(Post(http, "http://h:0/").errorText, "Invalid port: \"0\".");
    EXPECT_EQ(Post(http, "http://h:http/").errorText, "Invalid port: \"http\".");
}
