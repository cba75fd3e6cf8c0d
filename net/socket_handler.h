// SPDX-License-Identifier: GPL-3.0-or-later
// One TCP connection over IPv4: name resolution, a connect with a time
// limit, and reads and writes that wait for the socket with a time limit.
#pragma once

#include <netinet/in.h>

#include <cstdint>
#include <string>

#include "net/byte_stream.h"
#include "net/deadline.h"
#include "net/socket_api.h"

// "LOCALHOST" in any letter case is 127.0.0.1 and a dotted IPv4 address is
// taken as it stands, both without a lookup; any other name is looked up and
// its first IPv4 address used, the lookup ending by the deadline. Throws
// ENetSocketError when the lookup fails or runs out of time.
in_addr NetResolveHost(NetSocketApi& api, const std::string& host, const TNetDeadline& deadline);

class TNetIOHandlerSocket : public TNetByteStream {
public:
    explicit TNetIOHandlerSocket(NetSocketApi& api) : api_(api) {}
    ~TNetIOHandlerSocket() override { Close(); }
    TNetIOHandlerSocket(const TNetIOHandlerSocket&) = delete;
    TNetIOHandlerSocket& operator=(const TNetIOHandlerSocket&) = delete;

    // Connects, waiting until the deadline at most. Throws ENetSocketError; a
    // connect that does not finish in time fails with the platform's "timed
    // out" error.
    void Connect(const in_addr& address, uint16_t port, const TNetDeadline& deadline);
    bool Connected() const { return fd_ >= 0; }
    void Close();

    // Writes wait for the socket until this deadline at most, then fail with
    // the platform's "timed out" error.
    void SetWriteDeadline(const TNetDeadline& deadline) { writeDeadline_ = deadline; }

    std::size_t ReadSome(char* buffer, std::size_t size, int timeoutMs) override;
    void WriteAll(const char* data, std::size_t size) override;

private:
    // Waits until the socket is ready for the events; false once the
    // deadline has passed.
    bool WaitFor(short events, const TNetDeadline& deadline);
    [[noreturn]] void Fail(int errorNumber);

    NetSocketApi& api_;
    int fd_ = -1;
    TNetDeadline writeDeadline_;
};
