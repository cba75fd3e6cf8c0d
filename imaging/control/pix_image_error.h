// SPDX-License-Identifier: GPL-3.0-or-later
// EPixImageError, the error the image control raises, and the message formats
// it uses.
#pragma once

#include <cstdint>
#include <string>

#include "platform/app_error.h"

class EPixImageError : public AppError {
public:
    using AppError::AppError;
};

// "%s \nError code: %d\n%s: %s " with the control's name, the code, the
// operation (or text) and the code's status text.
std::string StatusErrorMessage(const std::string& name, int32_t code, const std::string& operation);
