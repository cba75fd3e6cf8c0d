// SPDX-License-Identifier: GPL-3.0-or-later
#include "net/net_errors.h"

ENetSocketError::ENetSocketError(int errorNumber, const std::string& text)
    : ENetException("Socket Error # " + std::to_string(errorNumber) + "\r\n" + text),
      lastError_(errorNumber) {}

ENetAnswerTooLarge::ENetAnswerTooLarge(std::size_t limit)
    : ENetException("Answer too large: more than " + std::to_string(limit) + " bytes.") {}

ENetUnknownProtocol::ENetUnknownProtocol(const std::string& scheme)
    : ENetException("Unknown protocol: \"" + scheme + "\".") {}
