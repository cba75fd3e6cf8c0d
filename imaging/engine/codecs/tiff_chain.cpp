// SPDX-License-Identifier: GPL-3.0-or-later
#include "imaging/engine/codecs/tiff_chain.h"

#include <unordered_set>

#include "imaging/engine/codecs/byte_order.h"

namespace pix {

TiffChain WalkTiffChain(std::span<const uint8_t> d) {
    TiffChain chain;
    if (d.size() < 8 || !((d[0] == 'I' && d[1] == 'I') || (d[0] == 'M' && d[1] == 'M')))
        return chain;
    const bool le = d[0] == 'I';
    auto u16 = [&](uint64_t at) { return le ? Le16(&d[at]) : Be16(&d[at]); };
    auto u32 = [&](uint64_t at) { return le ? Le32(&d[at]) : Be32(&d[at]); };
    auto u64 = [&](uint64_t at) {
        return (uint64_t(u32(at + (le ? 4 : 0))) << 32) | u32(at + (le ? 0 : 4));
    };
    const uint16_t version = u16(2);
    if (version != 42 && version != 43) return chain;
    const bool big = version == 43;
    if (big && d.size() < 16) return chain;
    const uint64_t countBytes = big ? 8 : 2, entryBytes = big ? 20 : 12, nextBytes = big ? 8 : 4;
    std::unordered_set<uint64_t> seen;
    uint64_t ifd = big ? u64(8) : u32(4);
    while (ifd != 0) {
        if (!seen.insert(ifd).second) {
            chain.end = TiffChainEnd::kLoop;
            return chain;
        }
        if (chain.offsets.size() == kMaxTiffDirectories) {
            chain.end = TiffChainEnd::kTooLong;
            return chain;
        }
        if (ifd > d.size() || d.size() - ifd < countBytes) return chain;
        const uint64_t entries = big ? u64(ifd) : u16(ifd);
        const uint64_t room = (d.size() - ifd - countBytes) / entryBytes;
        if (entries > room) return chain;
        const uint64_t next = ifd + countBytes + entries * entryBytes;
        if (d.size() - next < nextBytes) return chain;
        chain.offsets.push_back(ifd);
        ifd = big ? u64(next) : u32(next);
    }
    chain.end = TiffChainEnd::kZero;
    return chain;
}

}  // namespace pix
