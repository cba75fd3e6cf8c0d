// SPDX-License-Identifier: GPL-3.0-or-later
// Runs a command handler and shows any error that leaves it in the standard
// error box, so the application goes on running.
#pragma once

#include <exception>
#include <functional>

#include "platform/qt/message_box.h"

template <typename Handler>
void RunHandler(Handler&& handler) {
    try {
        handler();
    } catch (const std::exception& e) {
        ShowErrorBox(e.what());
    }
}
