// SPDX-License-Identifier: GPL-3.0-or-later
#include "net/socket_api.h"

#include <fcntl.h>
#include <netdb.h>
#include <unistd.h>

#include "net/deadline.h"

namespace {

// One lookup request; it lives on the heap because a lookup that overran its
// time and cannot be cancelled still writes into it later.
struct LookupRequest {
    std::string host;
    addrinfo hints{};
    gaicb request{};
};

}  // namespace

int NetSocketApi::LookupIPv4(const std::string& host, in_addr& address, int timeoutMs) {
    auto* lookup = new LookupRequest;
    lookup->host = host;
    lookup->hints.ai_family = AF_INET;
    lookup->hints.ai_socktype = SOCK_STREAM;
    lookup->request.ar_name = lookup->host.c_str();
    lookup->request.ar_request = &lookup->hints;
    gaicb* list[1] = {&lookup->request};
    int rc = getaddrinfo_a(GAI_NOWAIT, list, 1, nullptr);
    if (rc != 0) {
        delete lookup;
        return rc;
    }
    // A lookup may wait on an unreachable name server far longer than the
    // caller can afford.
    const TNetDeadline deadline = TNetDeadline::After(timeoutMs);
    for (;;) {
        const int wait = deadline.TimeoutMs();
        const timespec limit{wait / 1000, static_cast<long>(wait % 1000) * 1000000};
        if (gai_suspend(list, 1, deadline.Limited() ? &limit : nullptr) != EAI_INTR ||
            deadline.Passed())
            break;
    }
    if (gai_error(&lookup->request) == EAI_INPROGRESS) {
        // Out of time. A request already being served cannot be cancelled and
        // keeps its memory; it is small and this happens once per start at most.
        if (gai_cancel(&lookup->request) == EAI_CANCELED) delete lookup;
        return EAI_AGAIN;
    }
    rc = gai_error(&lookup->request);
    addrinfo* found = lookup->request.ar_result;
    delete lookup;
    if (rc != 0) {
        if (found) freeaddrinfo(found);
        return rc;
    }
    int result = EAI_NONAME;
    for (const addrinfo* a = found; a; a = a->ai_next) {
        if (a->ai_family == AF_INET && a->ai_addr) {
            address = reinterpret_cast<const sockaddr_in*>(a->ai_addr)->sin_addr;
            result = 0;
            break;
        }
    }
    freeaddrinfo(found);
    return result;
}

int NetSocketApi::Socket(int domain, int type, int protocol) {
    return ::socket(domain, type | SOCK_CLOEXEC, protocol);
}

int NetSocketApi::SetNonBlocking(int fd) {
    const int flags = ::fcntl(fd, F_GETFL, 0);
    if (flags < 0) return -1;
    return ::fcntl(fd, F_SETFL, flags | O_NONBLOCK);
}

int NetSocketApi::Connect(int fd, const sockaddr* address, socklen_t length) {
    return ::connect(fd, address, length);
}

int NetSocketApi::PendingError(int fd) {
    int error = 0;
    socklen_t length = sizeof error;
    if (::getsockopt(fd, SOL_SOCKET, SO_ERROR, &error, &length) < 0) return -1;
    return error;
}

int NetSocketApi::Poll(pollfd* fds, nfds_t count, int timeoutMs) {
    return ::poll(fds, count, timeoutMs);
}

ssize_t NetSocketApi::Send(int fd, const void* data, size_t size) {
    // A peer that has gone must fail the send, not kill the process.
    return ::send(fd, data, size, MSG_NOSIGNAL);
}

ssize_t NetSocketApi::Recv(int fd, void* buffer, size_t size) {
    return ::recv(fd, buffer, size, 0);
}

int NetSocketApi::Close(int fd) {
    return ::close(fd);
}

NetSocketApi& SystemSocketApi() {
    static NetSocketApi api;
    return api;
}
