// SPDX-License-Identifier: GPL-3.0-or-later
#include "net/input_buffer.h"

#include <algorithm>
#include <cstring>

#include "net/net_errors.h"

bool TNetInputBuffer::Fill(const TNetDeadline& deadline) {
    if (closed_) return false;
    if (deadline.Passed()) throw ENetReadTimeout();
    // Ask for at most one byte beyond the limit, so that an oversized answer
    // is noticed without ever holding more than the limit and a byte.
    const std::size_t allowance =
        limits_.maxAnswerSize - std::min(received_, limits_.maxAnswerSize);
    const std::size_t want =
        std::min(limits_.recvBufferSize ? limits_.recvBufferSize : 1, allowance + 1);
    if (data_.size() - end_ < want) {
        // Move the waiting bytes to the front before growing. A read happens
        // only when the waiting bytes do not yet make what is asked for, and
        // they are handed out before the next move, so each byte moves a
        // bounded number of times.
        if (pos_ > 0) {
            std::memmove(data_.data(), data_.data() + pos_, Waiting());
            end_ -= pos_;
            pos_ = 0;
        }
        if (data_.size() - end_ < want) data_.resize(std::max(end_ + want, 2 * data_.size()));
    }
    const std::size_t got = stream_.ReadSome(data_.data() + end_, want, deadline.TimeoutMs());
    if (got == 0) {
        closed_ = true;
        return false;
    }
    end_ += got;
    received_ += got;
    if (received_ > limits_.maxAnswerSize) throw ENetAnswerTooLarge(limits_.maxAnswerSize);
    return true;
}

std::string TNetInputBuffer::Take(std::size_t count) {
    std::string out(data_.data() + pos_, count);
    pos_ += count;
    scanned_ = 0;
    return out;
}

TNetInputBuffer::Line TNetInputBuffer::ReadLn(const TNetDeadline& deadline) {
    for (;;) {
        const char* lf = nullptr;
        if (Waiting() > scanned_)
            lf = static_cast<const char*>(
                std::memchr(data_.data() + pos_ + scanned_, '\n', Waiting() - scanned_));
        if (lf) {
            const auto length = static_cast<std::size_t>(lf - (data_.data() + pos_));
            if (length > limits_.maxLineLength) throw ENetReadLnMaxLineLengthExceeded();
            std::string text = Take(length);
            ++pos_;  // the LF
            if (!text.empty() && text.back() == '\r') text.pop_back();
            return {std::move(text), LineEnd::Complete};
        }
        scanned_ = Waiting();
        if (Waiting() > limits_.maxLineLength) throw ENetReadLnMaxLineLengthExceeded();
        if (!Fill(deadline)) {
            if (Waiting() == 0) return {"", LineEnd::Closed};
            Take(Waiting());
            return {"", LineEnd::Cut};
        }
    }
}

std::string TNetInputBuffer::ReadBytes(std::size_t count, const TNetDeadline& deadline) {
    while (Waiting() < count && Fill(deadline)) {
    }
    return Take(std::min(count, Waiting()));
}

std::string TNetInputBuffer::ReadToClose(const TNetDeadline& deadline) {
    while (Fill(deadline)) {
    }
    return Take(Waiting());
}
