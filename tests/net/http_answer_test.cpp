// SPDX-License-Identifier: GPL-3.0-or-later
// The answer reader on the in-memory stream: line rules, limits, and the
// reading of bodies when data arrives one byte at a time.
#include "net/http_answer.h"

#include <gtest/gtest.h>

#include "net/memory_stream.h"
#include "net/net_errors.h"
#include "tests/net/expect_error.h"

namespace {
struct Result {
    std::string body;
    std::string statusLine;
    TNetHTTPResponse response;
};

Result Receive(const std::string& answer, const TNetAnswerSettings& settings = {},
               std::size_t piece = 32768,
               TNetMemoryStream::AtEnd atEnd = TNetMemoryStream::AtEnd::Close) {
    TNetMemoryStream stream(answer, piece, atEnd);
    TNetAnswerReader reader(stream, settings);
    Result r;
    r.body = reader.Receive(r.response, r.statusLine, nullptr, "");
    return r;
}
}  // namespace

TEST(HttpAnswer, StatusCodeIsTheSecondWord) {
    const std::pair<const char*, int> cases[] = {
        {"HTTP/1.1 200 OK", 200},
        {"HTTP/1.0   404   Not Found", 404},
        {"HTTP/1.1 OK", -1},
        {"HTTP/1.1", -1},
        {"", -1},
        {"HTTP/1.1 2x0 OK", -1},
        {"X -17", -17},
        {"HTTP/1.1 99999999999 big", -1},
    };
    for (const auto& [line, code] : cases) EXPECT_EQ(NetStatusCode(line), code) << line;
}

TEST(HttpAnswer, ReadsTheSameAnswerInOneByteReads) {
    const std::string chunked =
        "HTTP/1.1 100 Continue\r\n\r\n"
        "HTTP/1.1 200 OK\nTransfer-Encoding: chunked\r\nX-Fold: a\r\n  b\r\n\r\n"
        "4\r\nvers\r\nA zz\r\nion2.1\r\n\r\n\r\n0\r\nignored trailer\r\n";
    for (std::size_t piece : {1u, 3u, 32768u}) {
        const Result r = Receive(chunked, {}, piece);
        EXPECT_EQ(r.body, "version2.1\r\n\r\n") << piece;
        EXPECT_EQ(r.statusLine, "HTTP/1.1 200 OK");
        EXPECT_EQ(r.response.RawHeaders.Values("x-fold"), "a b");
    }
}

TEST(HttpAnswer, LineLimitCountsTheCarriageReturn) {
    TNetAnswerSettings s;
    s.limits.maxLineLength = 20;
    const std::string fits = "HTTP/1.1 200 OK\r\nX: 1234567890123456\r\nContent-Length: 1\r\n\r\nz";
    EXPECT_EQ(Receive(fits, s).body, "z");
    const std::string over = "HTTP/1.1 200 OK\r\nX: 12345678901234567\r\n\r\n";
    ExpectError<ENetReadLnMaxLineLengthExceeded>([&] { Receive(over, s); },
                                                 "Max line length exceeded.");
    // Too many bytes waiting without a line end fails before the line is complete.
    ExpectError<ENetReadLnMaxLineLengthExceeded>(
        [&] { Receive(std::string(21, 'a'), s, 32768, TNetMemoryStream::AtEnd::Silence); },
        "Max line length exceeded.");
}

TEST(HttpAnswer, AnswerLimitCountsHeadersAndBody) {
    const std::string answer = "HTTP/1.0 200 OK\r\n\r\n" + std::string(81, 'b');  // 100 bytes
    TNetAnswerSettings s;
    s.limits.maxAnswerSize = 100;
    EXPECT_EQ(Receive(answer, s, 7).body, std::string(81, 'b'));
    s.limits.maxAnswerSize = 99;
    ExpectError<ENetAnswerTooLarge>([&] { Receive(answer, s, 7); },
                                    "Answer too large: more than 99 bytes.");
    // A huge announced size does not allocate: the limit ends the reading.
    ExpectError<ENetAnswerTooLarge>(
        [&] {
            Receive(
                "HTTP/1.1 200 OK\r\nContent-Length: 9000000000000\r\n\r\n" + std::string(200, 'x'),
                s);
        },
        "Answer too large: more than 99 bytes.");
}

TEST(HttpAnswer, RefusedAnswerWhoseBodyNeverEndsTimesOut) {
    ExpectError<ENetReadTimeout>(
        [] {
            Receive("HTTP/1.1 404 Not Found\r\n\r\npartial", {}, 32768,
                    TNetMemoryStream::AtEnd::Silence);
        },
        "Read Timeout");
}

TEST(HttpAnswer, BodyCutShortIsAnError) {
    ExpectError<ENetConnClosedGracefully>(
        [] { Receive("HTTP/1.1 200 OK\r\nContent-Length: 10\r\n\r\nversion"); },
        "Connection Closed Gracefully.");
    ExpectError<ENetConnClosedGracefully>(
        [] { Receive("HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n4\r\nvers\r\n"); },
        "Connection Closed Gracefully.");
    ExpectError<ENetConnClosedGracefully>(
        [] { Receive("HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\na\r\nvers"); },
        "Connection Closed Gracefully.");
}

TEST(HttpAnswer, ChunkSizeMustBeAHexNumber) {
    const std::string head = "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n2\r\nab\r\n";
    // Sizes that are numbers, with what may follow them on the size line.
    const std::pair<const char*, const char*> good[] = {
        {"3\r\ncde\r\n0\r\n\r\n", "abcde"},
        {"0003 ext\r\ncde\r\n0\r\n\r\n", "abcde"},
        {"3;name=value\r\ncde\r\n0\r\n\r\n", "abcde"},
        {"3\t\r\ncde\r\n0\r\n\r\n", "abcde"},
        {"0000000000000000000\r\n\r\n", "ab"},
        {"00000000000000003\r\ncde\r\n0\r\n\r\n", "abcde"},
    };
    for (const auto& [rest, body] : good) EXPECT_EQ(Receive(head + rest).body, body) << rest;

    // Taking any of these for the last chunk would turn a broken answer into
    // a complete, empty-ended one.
    for (const char* size : {"zz", "-5", "+5", "", " 3", "0x3", "10000000000000000",
                             "ffffffffffffffff", "1000000000000000", "3.0"}) {
        SCOPED_TRACE(size);
        ExpectError<ENetException>([&] { Receive(head + size + "\r\ncde\r\n0\r\n\r\n"); },
                                   "Invalid chunk size.");
    }
}

TEST(HttpAnswer, RefusedAnswerKeepsTheBodyBeforeABadChunkSize) {
    try {
        Receive("HTTP/1.1 500 Oops\r\nTransfer-Encoding: chunked\r\n\r\n2\r\nab\r\n-5\r\n");
        ADD_FAILURE() << "no error";
    } catch (const ENetHTTPProtocolException& e) {
        EXPECT_EQ(e.ErrorCode(), 500);
        EXPECT_EQ(e.ErrorMessage(), "ab");
    }
}

TEST(HttpAnswer, NothingIsReadOnceTheDeadlineHasPassed) {
    TNetMemoryStream stream("HTTP/1.1 200 OK\r\nContent-Length: 2\r\n\r\nok");
    TNetAnswerReader reader(
        stream, {}, TNetDeadline(TNetDeadline::Clock::now() - std::chrono::milliseconds(1)));
    TNetHTTPResponse response;
    std::string statusLine;
    ExpectError<ENetReadTimeout>([&] { reader.Receive(response, statusLine, nullptr, ""); },
                                 "Read Timeout");
}
