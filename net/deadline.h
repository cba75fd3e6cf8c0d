// SPDX-License-Identifier: GPL-3.0-or-later
// The one time limit of an exchange: a point on the steady clock by which
// every wait of the exchange (lookup, connect, send, receive) must be over.
#pragma once

#include <algorithm>
#include <chrono>

class TNetDeadline {
public:
    using Clock = std::chrono::steady_clock;

    // No limit.
    TNetDeadline() = default;
    explicit TNetDeadline(Clock::time_point at) : at_(at), limited_(true) {}
    // ms from now; 0 or less: no limit.
    static TNetDeadline After(int ms) {
        return ms > 0 ? TNetDeadline(Clock::now() + std::chrono::milliseconds(ms)) : TNetDeadline();
    }

    bool Limited() const { return limited_; }
    bool Passed() const { return limited_ && Clock::now() >= at_; }
    // The wait that ends at the deadline, for calls that take milliseconds
    // with 0 meaning no limit: 0 when there is no deadline, otherwise the time
    // left rounded up and at least 1, so that a wait never ends early and a
    // deadline never turns into no limit. Check Passed() first.
    int TimeoutMs() const {
        if (!limited_) return 0;
        const auto left = std::chrono::ceil<std::chrono::milliseconds>(at_ - Clock::now()).count();
        return static_cast<int>(std::clamp<decltype(left)>(left, 1, 1 << 30));
    }
    // The earlier of the two.
    TNetDeadline Earlier(const TNetDeadline& other) const {
        if (!other.limited_) return *this;
        if (!limited_) return other;
        return other.at_ < at_ ? other : *this;
    }

private:
    Clock::time_point at_{};
    bool limited_ = false;
};
