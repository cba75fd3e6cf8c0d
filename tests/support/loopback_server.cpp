// SPDX-License-Identifier: GPL-3.0-or-later
#include "tests/support/loopback_server.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <stdexcept>

namespace {
constexpr int kTickMs = 10;

int ListenOnLoopback(uint16_t& port) {
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0) throw std::runtime_error("loopback server: socket failed");
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    a.sin_port = 0;
    socklen_t len = sizeof a;
    if (::bind(fd, reinterpret_cast<sockaddr*>(&a), sizeof a) < 0 || ::listen(fd, 8) < 0 ||
        ::getsockname(fd, reinterpret_cast<sockaddr*>(&a), &len) < 0) {
        ::close(fd);
        throw std::runtime_error("loopback server: cannot listen on 127.0.0.1");
    }
    port = ntohs(a.sin_port);
    return fd;
}

bool Readable(int fd, int timeoutMs) {
    pollfd p{fd, POLLIN, 0};
    return ::poll(&p, 1, timeoutMs) > 0;
}

// The request is complete once its header block and the body that its
// Content-Length announces have arrived.
bool RequestComplete(const std::string& r) {
    const std::size_t end = r.find("\r\n\r\n");
    if (end == std::string::npos) return false;
    const std::size_t at = r.find("Content-Length: ");
    std::size_t length = 0;
    if (at != std::string::npos && at < end)
        length = std::strtoul(r.c_str() + at + 16, nullptr, 10);
    return r.size() >= end + 4 + length;
}
}  // namespace

LoopbackServer::LoopbackServer(std::vector<LoopbackReply> script) : script_(std::move(script)) {
    listenFd_ = ListenOnLoopback(port_);
    thread_ = std::thread([this] { Run(); });
}

LoopbackServer::~LoopbackServer() {
    stop_ = true;
    thread_.join();
    ::close(listenFd_);
}

std::string LoopbackServer::HostAndPort() const {
    return "127.0.0.1:" + std::to_string(port_);
}

std::vector<std::string> LoopbackServer::Requests() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return requests_;
}

void LoopbackServer::WaitServed(std::size_t connections) const {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (served_.load() < connections && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(kTickMs));
}

uint16_t LoopbackServer::RefusingPort() {
    uint16_t port = 0;
    const int fd = ListenOnLoopback(port);
    ::close(fd);
    return port;
}

void LoopbackServer::Run() {
    std::size_t index = 0;
    while (!Stopping()) {
        if (!Readable(listenFd_, kTickMs)) continue;
        const int fd = ::accept4(listenFd_, nullptr, nullptr, SOCK_CLOEXEC);
        if (fd < 0) continue;
        {
            std::lock_guard<std::mutex> lock(mutex_);
            requests_.emplace_back();
        }
        const LoopbackReply reply = index < script_.size() ? script_[index] : LoopbackReply{};
        Serve(fd, reply, index);
        ::close(fd);
        ++index;
        ++served_;
    }
}

void LoopbackServer::Serve(int fd, const LoopbackReply& reply, std::size_t index) {
    // Record the request; the client sends it completely before it reads.
    std::string request;
    char buffer[4096];
    while (!Stopping() && !RequestComplete(request)) {
        if (!Readable(fd, kTickMs)) continue;
        const ssize_t n = ::recv(fd, buffer, sizeof buffer, 0);
        if (n <= 0) break;
        request.append(buffer, static_cast<std::size_t>(n));
        std::lock_guard<std::mutex> lock(mutex_);
        requests_[index] = request;
    }

    std::size_t sent = 0;
    while (sent < reply.bytes.size()) {
        const ssize_t n =
            ::send(fd, reply.bytes.data() + sent, reply.bytes.size() - sent, MSG_NOSIGNAL);
        if (n <= 0) return;
        sent += static_cast<std::size_t>(n);
    }
    for (char c : reply.trickle) {
        std::this_thread::sleep_for(std::chrono::milliseconds(reply.trickleMs));
        if (Stopping() || ::send(fd, &c, 1, MSG_NOSIGNAL) <= 0) return;
    }

    switch (reply.then) {
        case LoopbackReply::Then::Close:
            // Nothing unread may remain when the socket goes, or the client
            // would see a reset instead of an orderly close.
            ::shutdown(fd, SHUT_WR);
            while (Readable(fd, 0) && ::recv(fd, buffer, sizeof buffer, 0) > 0) {
            }
            return;
        case LoopbackReply::Then::StaySilent:
            while (!Stopping()) {
                if (!Readable(fd, kTickMs)) continue;
                if (::recv(fd, buffer, sizeof buffer, 0) <= 0) return;
            }
            return;
        case LoopbackReply::Then::SendForever: {
            const std::string filler(16384, 'x');
            while (!Stopping()) {
                pollfd p{fd, POLLOUT, 0};
                if (::poll(&p, 1, kTickMs) <= 0) continue;
                if (::send(fd, filler.data(), filler.size(), MSG_NOSIGNAL) <= 0) return;
            }
            return;
        }
    }
}
