// SPDX-License-Identifier: GPL-3.0-or-later
// Reading one HTTP answer: status line, header block (interim 100 answers
// skipped), acceptance of the answer, and its body by length, by chunks or up
// to the peer's close.
#pragma once

#include <cstdint>
#include <string>

#include "net/byte_stream.h"
#include "net/cookie_manager.h"
#include "net/deadline.h"
#include "net/header_list.h"
#include "net/input_buffer.h"

struct TNetHTTPResponse {
    std::string ResponseText;  // the status line as received
    TNetHeaderList RawHeaders;
    int64_t ContentLength = -1;  // -1 when absent or not an integer
    bool HasContentLength = false;
    std::string Location;
    std::string Connection;
    std::string ProxyConnection;
    std::string TransferEncoding;

    void Clear() { *this = TNetHTTPResponse(); }
    // Takes the values above from the raw header lines.
    void TakeHeaderValues();
};

// The status line without its first word, trimmed, up to the next blank,
// read as a decimal integer; -1 when that is not possible.
int NetStatusCode(const std::string& statusLine);
// A decimal integer with an optional sign, or -1.
int64_t NetContentLength(const std::string& value);

struct TNetAnswerSettings {
    TNetReadLimits limits;
    // The whole body of a refused answer, in milliseconds (0: no limit of its
    // own; the exchange's deadline still holds).
    int errorBodyTimeoutMs = 2000;
};

class TNetAnswerReader {
public:
    // Every read ends by the deadline; once it has passed, the reader throws
    // ENetReadTimeout.
    TNetAnswerReader(TNetByteStream& stream, const TNetAnswerSettings& settings,
                     const TNetDeadline& deadline = {})
        : in_(stream, settings.limits), settings_(settings), deadline_(deadline) {}

    // Reads the answer into response and returns the body of an accepted
    // (2xx) answer. lastStatusLine follows every status line as it arrives.
    // Cookies set by the answer go to cookies (when not null) under cookieHost.
    // Every refusal or failure throws a member of the ENetException family.
    std::string Receive(TNetHTTPResponse& response, std::string& lastStatusLine,
                        TNetCookieManager* cookies, const std::string& cookieHost);

    bool PeerClosed() const { return in_.PeerClosed(); }

private:
    // Reads header lines up to the empty line; false when the peer closed first.
    bool ReadHeaders(TNetHTTPResponse& response);
    // strict: a body cut short by the peer's close, or a chunk size that is
    // no number, is an error; otherwise the body ends there.
    std::string ReadBody(const TNetHTTPResponse& response, const TNetDeadline& deadline,
                         bool strict);
    std::string ReadChunked(const TNetDeadline& deadline, bool strict);

    TNetInputBuffer in_;
    TNetAnswerSettings settings_;
    TNetDeadline deadline_;
};
