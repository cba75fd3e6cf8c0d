// SPDX-License-Identifier: GPL-3.0-or-later
// A scripted HTTP peer on 127.0.0.1 and an ephemeral port, run on its own
// thread inside a test: it records the bytes of each request and answers each
// connection with the next reply of its script.
#pragma once

#include <atomic>
#include <cstdint>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

struct LoopbackReply {
    enum class Then {
        Close,        // close the connection after the bytes
        StaySilent,   // keep it open, send nothing more, until the client goes
        SendForever,  // keep sending filler until the client goes
    };
    std::string bytes;
    Then then = Then::Close;
    // Sent after bytes, one byte every trickleMs, as long as the client stays.
    std::string trickle{};
    int trickleMs = 10;
};

class LoopbackServer {
public:
    explicit LoopbackServer(std::vector<LoopbackReply> script);
    ~LoopbackServer();
    LoopbackServer(const LoopbackServer&) = delete;
    LoopbackServer& operator=(const LoopbackServer&) = delete;

    uint16_t Port() const { return port_; }
    // "127.0.0.1:<port>"
    std::string HostAndPort() const;
    // The bytes received on each connection so far, in order of connection.
    std::vector<std::string> Requests() const;
    // Waits until the connection with this index has been served and closed.
    void WaitServed(std::size_t connections) const;

    // A loopback port on which nothing listens: connecting there is refused.
    static uint16_t RefusingPort();

private:
    void Run();
    void Serve(int fd, const LoopbackReply& reply, std::size_t index);
    bool Stopping() const { return stop_.load(); }

    std::vector<LoopbackReply> script_;
    int listenFd_ = -1;
    uint16_t port_ = 0;
    std::atomic<bool> stop_{false};
    mutable std::mutex mutex_;
    std::vector<std::string> requests_;
    std::atomic<std::size_t> served_{0};
    std::thread thread_;
};
