// SPDX-License-Identifier: GPL-3.0-or-later
// The base of every error the application raises for the standard error box:
// it carries only the message.
#pragma once

#include <stdexcept>
#include <string>

class AppError : public std::runtime_error {
public:
    explicit AppError(const std::string& message) : std::runtime_error(message) {}
};
