// SPDX-License-Identifier: GPL-3.0-or-later
// An in-memory byte stream: serves a fixed answer in pieces of a chosen size
// and records what is written, so answers can be read without a socket.
#pragma once

#include <string>
#include <vector>

#include "net/byte_stream.h"

class TNetMemoryStream : public TNetByteStream {
public:
    // What a read meets after the last byte: the peer's close, or silence.
    enum class AtEnd { Close, Silence };

    explicit TNetMemoryStream(std::string input, std::size_t pieceSize = 32768,
                              AtEnd atEnd = AtEnd::Close)
        : input_(std::move(input)), pieceSize_(pieceSize ? pieceSize : 1), atEnd_(atEnd) {}

    std::size_t ReadSome(char* buffer, std::size_t size, int timeoutMs) override;
    void WriteAll(const char* data, std::size_t size) override { writes.emplace_back(data, size); }

    // Every write, in order, one entry per call.
    std::vector<std::string> writes;

private:
    std::string input_;
    std::size_t pos_ = 0;
    std::size_t pieceSize_;
    AtEnd atEnd_;
};
