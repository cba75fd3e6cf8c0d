// SPDX-License-Identifier: GPL-3.0-or-later
#include "net/uri.h"

#include <gtest/gtest.h>

namespace {
struct UriCase {
    const char* url;
    const char* protocol;
    const char* host;
    const char* port;
    const char* path;
    const char* document;
    const char* params;
    const char* target;
};

const UriCase kCases[] = {
    {"http://strakel.example", "http", "strakel.example", "", "/", "", "", "/"},
    {"http://LocalHost:8080", "http", "LocalHost", "8080", "/", "", "", "/"},
    {"http://user:pw@h:81/a/b/c.php?x=1/2#top", "http", "h", "81", "/a/b/", "c.php", "?x=1/2",
     "/a/b/c.php?x=1/2"},
    {"http://h/dir/doc=v/w", "http", "h", "", "/dir/", "doc", "=v/w", "/dir/doc=v/w"},
    {"http:\\\\h\\a\\b", "http", "h", "", "/a/", "b", "", "/a/b"},
    {"ftp://h/", "ftp", "h", "", "/", "", "", "/"},
};
}  // namespace

TEST(Uri, SplitsIntoRequestPieces) {
    for (const UriCase& c : kCases) {
        const TNetURI uri(c.url);
        SCOPED_TRACE(c.url);
        EXPECT_EQ(uri.Protocol, c.protocol);
        EXPECT_EQ(uri.Host, c.host);
        EXPECT_EQ(uri.Port, c.port);
        EXPECT_EQ(uri.Path, c.path);
        EXPECT_EQ(uri.Document, c.document);
        EXPECT_EQ(uri.Params, c.params);
        EXPECT_EQ(uri.PathAndParams(), c.target);
    }
    const TNetURI withUser("http://user:pw@h/");
    EXPECT_EQ(withUser.Username, "user");
    EXPECT_EQ(withUser.Password, "pw");
}
