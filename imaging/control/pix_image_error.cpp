// SPDX-License-Identifier: GPL-3.0-or-later
#include "imaging/control/pix_image_error.h"

#include "imaging/control/status/status_message.h"

std::string StatusErrorMessage(const std::string& name, int32_t code,
                               const std::string& operation) {
    return name + " \nError code: " + std::to_string(code) + "\n" + operation + ": " +
           StatusMessage(code) + " ";
}
