// SPDX-License-Identifier: GPL-3.0-or-later
#include "net/http_answer.h"

#include <algorithm>
#include <limits>

#include "net/net_errors.h"

namespace {
bool ReadInteger(const std::string& text, int64_t& value) {
    std::size_t i = 0;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
    if (i == text.size()) return false;
    uint64_t v = 0;
    for (; i < text.size(); ++i) {
        if (text[i] < '0' || text[i] > '9') return false;
        v = v * 10 + static_cast<uint64_t>(text[i] - '0');
        if (v > static_cast<uint64_t>(std::numeric_limits<int64_t>::max())) return false;
    }
    value = negative ? -static_cast<int64_t>(v) : static_cast<int64_t>(v);
    return true;
}

// More significant hexadecimal digits than this make a chunk size larger
// than any answer could carry (and than 64 bits could always hold).
constexpr std::size_t kMaxChunkSizeDigits = 15;

// The chunk size: the hexadecimal number at the start of the size line, up
// to a blank, a tab or the ";" of a chunk extension; leading zeros allowed.
// False when that text is not a number, or one too large for any answer.
bool ChunkSize(const std::string& line, uint64_t& size) {
    const std::string text = NetTrim(line.substr(0, line.find_first_of(" \t;")));
    if (text.empty()) return false;
    uint64_t v = 0;
    std::size_t digits = 0;
    for (char c : text) {
        int d;
        if (c >= '0' && c <= '9')
            d = c - '0';
        else if (c >= 'a' && c <= 'f')
            d = c - 'a' + 10;
        else if (c >= 'A' && c <= 'F')
            d = c - 'A' + 10;
        else
            return false;
        if (v != 0 || d != 0) ++digits;
        if (digits > kMaxChunkSizeDigits) return false;
        v = v * 16 + static_cast<uint64_t>(d);
    }
    size = v;
    return true;
}

bool StartsWithNoCase(const std::string& line, const std::string& name) {
    return line.size() > name.size() && line[name.size()] == ':' &&
           NetSameText(line.substr(0, name.size()), name);
}
}  // namespace

int NetStatusCode(const std::string& statusLine) {
    const std::size_t blank = statusLine.find(' ');
    if (blank == std::string::npos) return -1;
    std::string rest = NetTrim(statusLine.substr(blank + 1));
    rest = rest.substr(0, rest.find(' '));
    int64_t code = 0;
    if (!ReadInteger(rest, code) || code < std::numeric_limits<int>::min() ||
        code > std::numeric_limits<int>::max())
        return -1;
    return static_cast<int>(code);
}

int64_t NetContentLength(const std::string& value) {
    int64_t length = 0;
    return ReadInteger(NetTrim(value), length) ? length : -1;
}

void TNetHTTPResponse::TakeHeaderValues() {
    const std::string length = RawHeaders.Values("Content-Length");
    ContentLength = length.empty() ? -1 : NetContentLength(length);
    HasContentLength = ContentLength >= 0;
    Location = RawHeaders.Values("Location");
    Connection = RawHeaders.Values("Connection");
    ProxyConnection = RawHeaders.Values("Proxy-Connection");
    TransferEncoding = RawHeaders.Values("Transfer-Encoding");
}

bool TNetAnswerReader::ReadHeaders(TNetHTTPResponse& response) {
    for (;;) {
        TNetInputBuffer::Line line = in_.ReadLn(deadline_);
        if (line.end != TNetInputBuffer::LineEnd::Complete) return false;
        if (line.text.empty()) return true;
        response.RawHeaders.Add(line.text);
    }
}

std::string TNetAnswerReader::Receive(TNetHTTPResponse& response, std::string& lastStatusLine,
                                      TNetCookieManager* cookies, const std::string& cookieHost) {
    bool headersComplete = false;
    do {
        TNetInputBuffer::Line status = in_.ReadLn(deadline_);
        if (status.end == TNetInputBuffer::LineEnd::Closed) throw ENetConnClosedGracefully();
        response.Clear();
        response.ResponseText = status.text;
        lastStatusLine = status.text;
        headersComplete = ReadHeaders(response);
        response.TakeHeaderValues();
        if (cookies) {
            for (const std::string& line : response.RawHeaders.Lines()) {
                if (StartsWithNoCase(line, "Set-cookie") || StartsWithNoCase(line, "Set-cookie2"))
                    cookies->AddCookie(cookieHost, NetTrim(line.substr(line.find(':') + 1)));
            }
        }
    } while (NetStatusCode(lastStatusLine) == 100);

    const int code = NetStatusCode(lastStatusLine);
    const bool redirect = (code >= 300 && code <= 399 && code != 304) || !response.Location.empty();
    if (!redirect && code >= 200 && code <= 299) {
        if (!headersComplete) throw ENetException("Undefined situation");
        if (code == 204) return "";
        return ReadBody(response, deadline_, true);
    }
    // Redirects are not followed and there are no credentials for 401 and
    // 407: every other answer is refused, with whatever body it carries. That
    // body only decorates the error, so it gets a short time of its own.
    const TNetDeadline errorBodyDeadline =
        deadline_.Earlier(TNetDeadline::After(settings_.errorBodyTimeoutMs));
    std::string body = ReadBody(response, errorBodyDeadline, false);
    throw ENetHTTPProtocolException(code, lastStatusLine, std::move(body));
}

std::string TNetAnswerReader::ReadBody(const TNetHTTPResponse& response,
                                       const TNetDeadline& deadline, bool strict) {
    if (response.ContentLength > 0) {
        const auto wanted = static_cast<std::size_t>(response.ContentLength);
        std::string body = in_.ReadBytes(wanted, deadline);
        // A body shorter than announced is a broken answer, not a short one.
        if (strict && body.size() < wanted) throw ENetConnClosedGracefully();
        return body;
    }
    if (response.TransferEncoding.find("chunked") != std::string::npos)
        return ReadChunked(deadline, strict);
    if (!response.HasContentLength) return in_.ReadToClose(deadline);
    return "";
}

std::string TNetAnswerReader::ReadChunked(const TNetDeadline& deadline, bool strict) {
    std::string body;
    for (;;) {
        const TNetInputBuffer::Line sizeLine = in_.ReadLn(deadline);
        if (sizeLine.end != TNetInputBuffer::LineEnd::Complete) {
            if (strict) throw ENetConnClosedGracefully();
            return body;
        }
        uint64_t size = 0;
        if (!ChunkSize(sizeLine.text, size)) {
            // Taking it for the last chunk would pass a broken answer off as
            // a complete one.
            if (strict) throw ENetException("Invalid chunk size.");
            return body;
        }
        if (size == 0) {
            in_.ReadLn(deadline);
            return body;
        }
        // The answer limit ends a size beyond it long before it is reached.
        const auto wanted = static_cast<std::size_t>(
            std::min<uint64_t>(size, std::numeric_limits<std::size_t>::max()));
        const std::string chunk = in_.ReadBytes(wanted, deadline);
        body += chunk;
        if (chunk.size() < wanted) {
            if (strict) throw ENetConnClosedGracefully();
            return body;
        }
        in_.ReadLn(deadline);
    }
}
