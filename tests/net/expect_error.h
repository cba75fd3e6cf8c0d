// SPDX-License-Identifier: GPL-3.0-or-later
// Checks that a call throws exactly the expected error class with the
// expected message.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <typeinfo>

template <class E, class F>
void ExpectError(F&& call, const std::string& message) {
    try {
        call();
        ADD_FAILURE() << "no error, expected " << typeid(E).name() << ": " << message;
    } catch (const std::exception& e) {
        EXPECT_EQ(typeid(e), typeid(E)) << "got " << typeid(e).name() << ": " << e.what();
        EXPECT_EQ(std::string(e.what()), message);
    }
}
