// SPDX-License-Identifier: GPL-3.0-or-later
#include "net/socket_handler.h"

#include <arpa/inet.h>
#include <netdb.h>

#include <cerrno>
#include <cstring>

#include "net/header_list.h"
#include "net/net_errors.h"

namespace {
[[noreturn]] void ThrowSocketError(int errorNumber) {
    throw ENetSocketError(errorNumber, std::strerror(errorNumber));
}
}  // namespace

in_addr NetResolveHost(NetSocketApi& api, const std::string& host, const TNetDeadline& deadline) {
    in_addr address{};
    if (NetSameText(host, "LOCALHOST")) {
        address.s_addr = htonl(INADDR_LOOPBACK);
        return address;
    }
    if (inet_pton(AF_INET, host.c_str(), &address) == 1) return address;
    if (deadline.Passed()) throw ENetSocketError(EAI_AGAIN, gai_strerror(EAI_AGAIN));
    errno = 0;
    const int rc = api.LookupIPv4(host, address, deadline.TimeoutMs());
    if (rc == 0) return address;
    if (rc == EAI_SYSTEM && errno != 0) ThrowSocketError(errno);
    throw ENetSocketError(rc, gai_strerror(rc));
}

void TNetIOHandlerSocket::Close() {
    if (fd_ >= 0) api_.Close(fd_);
    fd_ = -1;
}

void TNetIOHandlerSocket::Fail(int errorNumber) {
    Close();
    ThrowSocketError(errorNumber);
}

bool TNetIOHandlerSocket::WaitFor(short events, const TNetDeadline& deadline) {
    for (;;) {
        if (deadline.Passed()) return false;
        pollfd p{fd_, events, 0};
        const int rc = api_.Poll(&p, 1, deadline.Limited() ? deadline.TimeoutMs() : -1);
        if (rc > 0) return true;
        if (rc == 0) return false;
        if (errno != EINTR) Fail(errno);
    }
}

void TNetIOHandlerSocket::Connect(const in_addr& address, uint16_t port,
                                  const TNetDeadline& deadline) {
    Close();
    fd_ = api_.Socket(AF_INET, SOCK_STREAM, 0);
    if (fd_ < 0) {
        const int e = errno;
        fd_ = -1;
        ThrowSocketError(e);
    }
    if (api_.SetNonBlocking(fd_) < 0) Fail(errno);
    sockaddr_in to{};
    to.sin_family = AF_INET;
    to.sin_port = htons(port);
    to.sin_addr = address;
    if (api_.Connect(fd_, reinterpret_cast<const sockaddr*>(&to), sizeof to) == 0) return;
    if (errno != EINPROGRESS) Fail(errno);
    if (!WaitFor(POLLOUT, deadline)) Fail(ETIMEDOUT);
    const int pending = api_.PendingError(fd_);
    if (pending < 0) Fail(errno);
    if (pending != 0) Fail(pending);
}

std::size_t TNetIOHandlerSocket::ReadSome(char* buffer, std::size_t size, int timeoutMs) {
    if (fd_ < 0) return 0;
    const TNetDeadline deadline = TNetDeadline::After(timeoutMs);
    for (;;) {
        if (!WaitFor(POLLIN, deadline)) throw ENetReadTimeout();
        const ssize_t n = api_.Recv(fd_, buffer, size);
        if (n >= 0) return static_cast<std::size_t>(n);
        if (errno != EINTR && errno != EAGAIN && errno != EWOULDBLOCK) Fail(errno);
    }
}

void TNetIOHandlerSocket::WriteAll(const char* data, std::size_t size) {
    if (fd_ < 0) ThrowSocketError(ENOTCONN);
    std::size_t done = 0;
    while (done < size) {
        const ssize_t n = api_.Send(fd_, data + done, size - done);
        if (n >= 0) {
            done += static_cast<std::size_t>(n);
            continue;
        }
        if (errno == EINTR) continue;
        if (errno != EAGAIN && errno != EWOULDBLOCK) Fail(errno);
        if (!WaitFor(POLLOUT, writeDeadline_)) Fail(ETIMEDOUT);
    }
}
