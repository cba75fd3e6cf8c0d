// SPDX-License-Identifier: GPL-3.0-or-later
// The input buffer of one exchange: collects received bytes in pieces and
// hands them out as lines and body bytes, within a line limit, a limit on the
// whole answer, and the exchange's deadline. Each byte received is copied a
// bounded number of times, so reading costs time in proportion to the bytes.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "net/byte_stream.h"
#include "net/deadline.h"

struct TNetReadLimits {
    std::size_t maxLineLength = 16384;            // a CR before the LF included
    std::size_t maxAnswerSize = 4 * 1024 * 1024;  // every byte received in one exchange
    std::size_t recvBufferSize = 32768;           // largest piece asked for in one read
};

class TNetInputBuffer {
public:
    enum class LineEnd {
        Complete,  // the line ended with LF
        Cut,       // the peer closed in the middle of the line: it reads as empty
        Closed,    // the peer had closed and nothing was waiting
    };
    struct Line {
        std::string text;
        LineEnd end;
    };

    TNetInputBuffer(TNetByteStream& stream, const TNetReadLimits& limits)
        : stream_(stream), limits_(limits) {}

    // Each read waits until the deadline at most and throws ENetReadTimeout
    // once it has passed.
    //
    // One line without its line end. Throws ENetReadLnMaxLineLengthExceeded
    // for an overlong line, and whatever a read throws.
    Line ReadLn(const TNetDeadline& deadline);
    // Up to count bytes; fewer only when the peer closes first.
    std::string ReadBytes(std::size_t count, const TNetDeadline& deadline);
    // Everything up to the peer's close.
    std::string ReadToClose(const TNetDeadline& deadline);

    bool PeerClosed() const { return closed_; }
    std::size_t Received() const { return received_; }

private:
    // Reads one more piece; false when the peer has closed. Throws
    // ENetAnswerTooLarge once more than the answer limit has arrived.
    bool Fill(const TNetDeadline& deadline);
    std::size_t Waiting() const { return end_ - pos_; }
    std::string Take(std::size_t count);

    TNetByteStream& stream_;
    TNetReadLimits limits_;
    std::vector<char> data_;  // received bytes; [pos_, end_) not yet handed out
    std::size_t pos_ = 0;
    std::size_t end_ = 0;
    std::size_t scanned_ = 0;  // bytes after pos_ already known to hold no LF
    std::size_t received_ = 0;
    bool closed_ = false;
};
