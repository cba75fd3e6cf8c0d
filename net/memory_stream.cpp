// SPDX-License-Identifier: GPL-3.0-or-later
#include "net/memory_stream.h"

#include <algorithm>
#include <cstring>

#include "net/net_errors.h"

std::size_t TNetMemoryStream::ReadSome(char* buffer, std::size_t size, int) {
    if (pos_ == input_.size()) {
        if (atEnd_ == AtEnd::Silence) throw ENetReadTimeout();
        return 0;
    }
    const std::size_t n = std::min({size, pieceSize_, input_.size() - pos_});
    std::memcpy(buffer, input_.data() + pos_, n);
    pos_ += n;
    return n;
}
