// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/printable_name.h"

namespace cli {

std::string PrintableName(std::string_view name) {
    static constexpr char kHex[] = "0123456789abcdef";
    std::string text;
    text.reserve(name.size());
    for (const char ch : name) {
        const auto c = static_cast<unsigned char>(ch);
        switch (c) {
            case '\n':
                text += "\\n";
                break;
            case '\t':
                text += "\\t";
                break;
            case '\r':
                text += "\\r";
                break;
            case '\\':
                text += "\\\\";
                break;
            default:
                if (c < 0x20 || c == 0x7f) {
                    text += "\\x";
                    text += kHex[c >> 4];
                    text += kHex[c & 15];
                } else {
                    text += ch;
                }
        }
    }
    return text;
}

}  // namespace cli
