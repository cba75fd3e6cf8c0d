#include "net/input_buffer.h"

#include <algorithm>

#include "net/net_errors.h"

bool TNetInputBuffer::Fill(int timeoutMs) {
    if (closed_) return false;
    // Ask for at most one byte beyond the limit, so that an oversized answer
    // is noticed without ever holding more than the limit and a byte.
    const std::size_t allowance =
        limits_.maxAnswerSize - std::min(received_, limits_.maxAnswerSize);
    const std::size_t want =
        std::min(limits_.recvBufferSize ? limits_.recvBufferSize : 1, allowance + 1);
    if (pos_ > 0 && pos_ >= data_.size() / 2) {
        data_.erase(0, pos_);
        pos_ = 0;
    }
    const std::size_t old = data_.size();
    data_.resize(old + want);
    std::size_t got = 0;
    try {
        got = stream_.ReadSome(data_.data() + old, want, timeoutMs);
    } catch (...) {
        data_.resize(old);
        throw;
    }
    data_.resize(old + got);
    if (got == 0) {
        closed_ = true;
        return false;
    }
    received_ += got;
    if (received_ > limits_.maxAnswerSize) throw ENetAnswerTooLarge(limits_.maxAnswerSize);
    return true;
}

std::string TNetInputBuffer::Take(std::size_t count) {
    std::string out = data_.substr(pos_, count);
    pos_ += count;
    scanned_ = 0;
    return out;
}

TNetInputBuffer::Line TNetInputBuffer::ReadLn(int timeoutMs) {
    for (;;) {
        const std::size_t from = pos_ + scanned_;
        const std::size_t lf = data_.find('\n', from);
        if (lf != std::string::npos) {
            const std::size_t length = lf - pos_;
            if (length > limits_.maxLineLength) throw ENetReadLnMaxLineLengthExceeded();
            std::string text = Take(length);
            ++pos_;  // the LF
            if (!text.empty() && text.back() == '\r') text.pop_back();
            return {std::move(text), LineEnd::Complete};
        }
        scanned_ = Waiting();
        if (Waiting() > limits_.maxLineLength) throw ENetReadLnMaxLineLengthExceeded();
        if (!Fill(timeoutMs)) {
            if (Waiting() == 0) return {"", LineEnd::Closed};
            Take(Waiting());
            return {"", LineEnd::Cut};
        }
    }
}

std::string TNetInputBuffer::ReadBytes(std::size_t count, int timeoutMs) {
    while (Waiting() < count && Fill(timeoutMs)) {
    }
    return Take(std::min(count, Waiting()));
}

std::string TNetInputBuffer::ReadToClose(int timeoutMs) {
    while (Fill(timeoutMs)) {
    }
    return Take(Waiting());
}
