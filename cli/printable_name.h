// SPDX-License-Identifier: GPL-3.0-or-later
// File names as strakel-sketch prints them: control characters escaped, so
// that a name cannot break a message's line or move the terminal's cursor.
#pragma once

#include <string>
#include <string_view>

namespace cli {

// `name` with each control character written as \n, \t, \r or \xHH and each
// backslash doubled; other bytes as they are.
std::string PrintableName(std::string_view name);

}  // namespace cli
