// SPDX-License-Identifier: GPL-3.0-or-later
// The thin layer over the system's socket calls. Each call behaves like the
// system call of the same name (-1 and errno on failure); tests derive from it
// to make a chosen call fail.
#pragma once

#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/types.h>

#include <string>

class NetSocketApi {
public:
    virtual ~NetSocketApi() = default;
    // The first IPv4 address of a host name: 0, or a getaddrinfo error code
    // (with errno set for EAI_SYSTEM). A lookup still running after timeoutMs
    // (0 or less: no limit) gives EAI_AGAIN.
    virtual int LookupIPv4(const std::string& host, in_addr& address, int timeoutMs);
    virtual int Socket(int domain, int type, int protocol);
    virtual int SetNonBlocking(int fd);
    virtual int Connect(int fd, const sockaddr* address, socklen_t length);
    // The pending error of a socket after a connect (SO_ERROR), or -1.
    virtual int PendingError(int fd);
    virtual int Poll(pollfd* fds, nfds_t count, int timeoutMs);
    virtual ssize_t Send(int fd, const void* data, size_t size);
    virtual ssize_t Recv(int fd, void* buffer, size_t size);
    virtual int Close(int fd);
};

// The plain system calls.
NetSocketApi& SystemSocketApi();
