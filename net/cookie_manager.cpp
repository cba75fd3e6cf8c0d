#include "net/cookie_manager.h"

#include "net/header_list.h"

void TNetCookieManager::AddCookie(const std::string& host, const std::string& headerValue) {
    const std::string pair = headerValue.substr(0, headerValue.find(';'));
    const std::size_t eq = pair.find('=');
    if (eq == std::string::npos) return;
    const std::string name = NetTrim(pair.substr(0, eq));
    if (name.empty()) return;
    const std::string value = NetTrim(pair.substr(eq + 1));
    for (Cookie& c : cookies_) {
        if (NetSameText(c.host, host) && c.name == name) {
            c.value = value;
            return;
        }
    }
    cookies_.push_back({host, name, value});
}

std::string TNetCookieManager::CookieHeaderFor(const std::string& host) const {
    std::string out;
    for (const Cookie& c : cookies_) {
        if (!NetSameText(c.host, host)) continue;
        if (!out.empty()) out += "; ";
        out += c.name + "=" + c.value;
    }
    return out;
}
