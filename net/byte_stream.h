// SPDX-License-Identifier: GPL-3.0-or-later
// The byte stream that an HTTP exchange reads its answer from and writes its
// request to: a connected socket, or an in-memory twin in tests and fuzzing.
#pragma once

#include <cstddef>

class TNetByteStream {
public:
    virtual ~TNetByteStream() = default;
    // Waits at most timeoutMs for data (0 or less: no limit), then copies up
    // to size bytes. Returns 0 once the peer has closed its side. Throws
    // ENetReadTimeout when nothing arrived in time, ENetSocketError on failure.
    virtual std::size_t ReadSome(char* buffer, std::size_t size, int timeoutMs) = 0;
    // Writes every byte or throws ENetSocketError.
    virtual void WriteAll(const char* data, std::size_t size) = 0;
};
