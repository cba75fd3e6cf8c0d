// SPDX-License-Identifier: GPL-3.0-or-later
// Prints "code<TAB>text" for every status code from -1400 to 200, one per line.
#include <cstdio>

#include "imaging/control/status/status_message.h"

int main() {
    for (int32_t code = -1400; code <= 200; ++code)
        std::printf("%d\t%s\n", static_cast<int>(code), StatusMessage(code).c_str());
    return 0;
}
