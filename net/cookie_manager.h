// SPDX-License-Identifier: GPL-3.0-or-later
// The cookie store: keeps the cookies that answers set, per host, so that a
// later request to the same host could send them back. It holds a bounded
// number of cookies and finds one by host and name without a scan.
#pragma once

#include <cstddef>
#include <string>
#include <unordered_map>
#include <vector>

class TNetCookieManager {
public:
    // Cookies beyond this many are dropped; replacing a stored one still works.
    static constexpr std::size_t kMaxCookies = 300;

    struct Cookie {
        std::string host;
        std::string name;
        std::string value;  // the rest of the "name=value" pair, attributes dropped
    };

    // Stores the value of one Set-Cookie or Set-Cookie2 header; a cookie of
    // the same host (letter case aside) and name is replaced.
    void AddCookie(const std::string& host, const std::string& headerValue);
    // "name=value; name=value" for the host, empty when it has none.
    std::string CookieHeaderFor(const std::string& host) const;
    // In the order in which they were first set.
    const std::vector<Cookie>& Cookies() const { return cookies_; }

private:
    std::vector<Cookie> cookies_;
    std::unordered_map<std::string, std::size_t> index_;  // host and name -> place in cookies_
};
