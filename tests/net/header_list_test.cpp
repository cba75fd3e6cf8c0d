// SPDX-License-Identifier: GPL-3.0-or-later
#include "net/header_list.h"

#include <gtest/gtest.h>

TEST(HeaderList, LooksUpFirstLineIgnoringCaseWithContinuations) {
    TNetHeaderList h;
    h.Add("Server: one");
    h.Add("X-Long:  first part ");
    h.Add("\tsecond part");
    h.Add(" third");
    h.Add("x-long: later line");
    EXPECT_EQ(h.Values("X-LONG"), "first part second part third");
    EXPECT_EQ(h.Values("server"), "one");
    EXPECT_EQ(h.Values("Missing"), "");
}

TEST(HeaderList, SetValueReplacesInPlaceOrAppends) {
    TNetHeaderList h;
    h.SetValue("A", "1");
    h.SetValue("B", "2");
    h.Add(" continued");
    h.SetValue("b", "3");
    h.SetValue("C", "4");
    EXPECT_EQ(h.Lines(), (std::vector<std::string>{"A: 1", "b: 3", "C: 4"}));
}

TEST(HeaderList, FoldsLongLinesAtWhiteSpace) {
    TNetHeaderList h(20);
    h.SetValue("X", "aaaa bbbb cccc dddd eeee ffff");
    EXPECT_EQ(h.Lines(), (std::vector<std::string>{"X: aaaa bbbb cccc", " dddd eeee ffff"}));
    EXPECT_EQ(h.Values("x"), "aaaa bbbb cccc dddd eeee ffff");
}
