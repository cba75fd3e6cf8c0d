// SPDX-License-Identifier: GPL-3.0-or-later
// The form post client's error family: one base class carrying the message,
// one class per kind of failure, so callers can catch the family as a whole.
#pragma once

#include <stdexcept>
#include <string>

class ENetException : public std::runtime_error {
public:
    explicit ENetException(const std::string& message) : std::runtime_error(message) {}
};

// A failing system call of the socket interface; the message is
// "Socket Error # <number>" CR LF and the platform's text for that number.
class ENetSocketError : public ENetException {
public:
    ENetSocketError(int errorNumber, const std::string& text);
    int LastError() const { return lastError_; }

private:
    int lastError_;
};

// The peer closed the connection before anything of a status line arrived.
class ENetConnClosedGracefully : public ENetException {
public:
    ENetConnClosedGracefully() : ENetException("Connection Closed Gracefully.") {}
};

// A status or header line longer than the line limit.
class ENetReadLnMaxLineLengthExceeded : public ENetException {
public:
    ENetReadLnMaxLineLengthExceeded() : ENetException("Max line length exceeded.") {}
};

// No data arrived within the wait allowed for one read.
class ENetReadTimeout : public ENetException {
public:
    ENetReadTimeout() : ENetException("Read Timeout") {}
};

// The answer (status, headers and body together) grew beyond the size the
// client is willing to hold.
class ENetAnswerTooLarge : public ENetException {
public:
    explicit ENetAnswerTooLarge(std::size_t limit);
};

// A URL whose scheme the client cannot serve.
class ENetUnknownProtocol : public ENetException {
public:
    explicit ENetUnknownProtocol(const std::string& scheme);
};

// The server answered, but not with something the client accepts.
class ENetProtocolReplyError : public ENetException {
public:
    ENetProtocolReplyError(int code, const std::string& message)
        : ENetException(message), errorCode_(code) {}
    int ErrorCode() const { return errorCode_; }

private:
    int errorCode_;
};

// An HTTP answer that was not accepted: its status line is the message, and
// the body the server sent with it is kept as text.
class ENetHTTPProtocolException : public ENetProtocolReplyError {
public:
    ENetHTTPProtocolException(int code, const std::string& statusLine, std::string errorMessage)
        : ENetProtocolReplyError(code, statusLine), errorMessage_(std::move(errorMessage)) {}
    const std::string& ErrorMessage() const { return errorMessage_; }

private:
    std::string errorMessage_;
};
