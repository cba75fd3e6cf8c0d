// SPDX-License-Identifier: GPL-3.0-or-later
#include "net/cookie_manager.h"

#include "net/header_list.h"

namespace {
// The lookup key: the host in lower case and the name, apart by a byte that
// neither can hold.
std::string Key(const std::string& host, const std::string& name) {
    std::string key;
    key.reserve(host.size() + 1 + name.size());
    for (char c : host) key += (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
    key += '\n';
    key += name;
    return key;
}
}  // namespace

void TNetCookieManager::AddCookie(const std::string& host, const std::string& headerValue) {
    const std::string pair = headerValue.substr(0, headerValue.find(';'));
    const std::size_t eq = pair.find('=');
    if (eq == std::string::npos) return;
    std::string name = NetTrim(pair.substr(0, eq));
    if (name.empty()) return;
    std::string value = NetTrim(pair.substr(eq + 1));
    std::string key = Key(host, name);
    if (const auto found = index_.find(key); found != index_.end()) {
        cookies_[found->second].value = std::move(value);
        return;
    }
    if (cookies_.size() >= kMaxCookies) return;
    index_.emplace(std::move(key), cookies_.size());
    cookies_.push_back({host, std::move(name), std::move(value)});
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
