// The cookie store: keeps the cookies that answers set, per host, so that a
// later request to the same host could send them back.
#pragma once

#include <string>
#include <vector>

class TNetCookieManager {
public:
    struct Cookie {
        std::string host;
        std::string name;
        std::string value;  // the rest of the "name=value" pair, attributes dropped
    };

    // Stores the value of one Set-Cookie or Set-Cookie2 header; a cookie of
    // the same host and name is replaced.
    void AddCookie(const std::string& host, const std::string& headerValue);
    // "name=value; name=value" for the host, empty when it has none.
    std::string CookieHeaderFor(const std::string& host) const;
    const std::vector<Cookie>& Cookies() const { return cookies_; }

private:
    std::vector<Cookie> cookies_;
};
