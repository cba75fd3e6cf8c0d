// SPDX-License-Identifier: GPL-3.0-or-later
// The errors that assigning a skin file raises.
#pragma once

#include "platform/app_error.h"

// A skin file that exists but cannot be read.
class ESkinFileError : public AppError {
public:
    using AppError::AppError;
};

// The decoder's tables could not be had.
class ElzhException : public AppError {
public:
    using AppError::AppError;
};
