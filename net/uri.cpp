// SPDX-License-Identifier: GPL-3.0-or-later
#include "net/uri.h"

#include <algorithm>

TNetURI::TNetURI(const std::string& url) {
    std::string rest = url;
    std::replace(rest.begin(), rest.end(), '\\', '/');

    const std::size_t schemeEnd = rest.find("://");
    if (schemeEnd != std::string::npos) {
        Protocol = rest.substr(0, schemeEnd);
        rest.erase(0, schemeEnd + 3);
        const std::size_t slash = rest.find('/');
        std::string authority = rest.substr(0, slash);
        rest = slash == std::string::npos ? "" : rest.substr(slash);

        const std::size_t at = authority.rfind('@');
        if (at != std::string::npos) {
            const std::string user = authority.substr(0, at);
            const std::size_t colon = user.find(':');
            Username = user.substr(0, colon);
            if (colon != std::string::npos) Password = user.substr(colon + 1);
            authority.erase(0, at + 1);
        }
        const std::size_t colon = authority.rfind(':');
        Host = authority.substr(0, colon);
        if (colon != std::string::npos) Port = authority.substr(colon + 1);
    }

    const std::size_t hash = rest.find('#');
    if (hash != std::string::npos) {
        Bookmark = rest.substr(hash + 1);
        rest.erase(hash);
    }
    std::size_t queryStart = rest.find('?');
    if (queryStart == std::string::npos) queryStart = rest.find('=');
    if (queryStart != std::string::npos) {
        Params = rest.substr(queryStart);
        rest.erase(queryStart);
    }
    const std::size_t lastSlash = rest.rfind('/');
    if (lastSlash != std::string::npos) {
        Path = rest.substr(0, lastSlash + 1);
        Document = rest.substr(lastSlash + 1);
    } else {
        Document = rest;
    }
    if (Path.empty()) Path = std::string(1, '/');
}
