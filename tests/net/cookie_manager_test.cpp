// SPDX-License-Identifier: GPL-3.0-or-later
// The cookie store: replacement by host and name, the parts of a header kept,
// and the bound on how many cookies it holds.
#include "net/cookie_manager.h"

#include <gtest/gtest.h>

TEST(CookieManager, SameHostAndNameReplaceInPlace) {
    TNetCookieManager store;
    store.AddCookie("site", "a=1; path=/");
    store.AddCookie("other", "a=9");
    store.AddCookie("site", " b = 2 ");
    store.AddCookie("SITE", "a=3");
    store.AddCookie("site", "A=4");
    store.AddCookie("site", "no pair");
    store.AddCookie("site", "=5");
    EXPECT_EQ(store.CookieHeaderFor("Site"), "a=3; b=2; A=4");
    EXPECT_EQ(store.CookieHeaderFor("other"), "a=9");
    EXPECT_EQ(store.CookieHeaderFor("none"), "");
}

TEST(CookieManager, HoldsABoundedNumber) {
    TNetCookieManager store;
    for (std::size_t i = 0; i < TNetCookieManager::kMaxCookies + 5; ++i)
        store.AddCookie("site", "c" + std::to_string(i) + "=v");
    ASSERT_EQ(store.Cookies().size(), TNetCookieManager::kMaxCookies);
    EXPECT_EQ(store.Cookies().back().name,
              "c" + std::to_string(TNetCookieManager::kMaxCookies - 1));
    // A full store still takes new values for the cookies it has.
    store.AddCookie("site", "c0=new");
    EXPECT_EQ(store.Cookies().front().value, "new");
    EXPECT_EQ(store.Cookies().size(), TNetCookieManager::kMaxCookies);
}
