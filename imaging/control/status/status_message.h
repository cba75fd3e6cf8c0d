// SPDX-License-Identifier: GPL-3.0-or-later
// StatusMessage: the English sentence for a status code of the engine, the
// image control or a dialog component. Pure, stateless, never fails.
#pragma once

#include <cstdint>
#include <string>

std::string StatusMessage(int32_t code);
