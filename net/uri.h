// SPDX-License-Identifier: GPL-3.0-or-later
// Splitting a URL into the pieces that a request needs.
#pragma once

#include <string>

struct TNetURI {
    std::string Protocol;  // the text before "://"
    std::string Username;
    std::string Password;
    std::string Host;
    std::string Port;      // empty when the URL names none
    std::string Path;      // up to and including the last counted "/"; "/" at least
    std::string Document;  // after the path
    std::string Params;    // from the "?" (or "=") on, that character included
    std::string Bookmark;  // after "#"; never sent

    explicit TNetURI(const std::string& url);
    // Path, document and query joined: the request target.
    std::string PathAndParams() const { return Path + Document + Params; }
};
