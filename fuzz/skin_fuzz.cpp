// SPDX-License-Identifier: GPL-3.0-or-later
// Fuzzes the whole skin reader. The first byte chooses what the rest is: odd,
// a decompressed container (so that mutations reach the name list, the size
// table, the description and the bitmaps directly); 2, bytes that the LZHUF
// encoder packs and the decoder must give back unchanged; any other even
// value, a whole skin file with its LZHUF-coded container.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <span>

#include "skin/lzhuf.h"
#include "skin/skin_load.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) return 0;
    const std::span<const uint8_t> rest(data + 1, size - 1);
    if (data[0] & 1) {
        skin::LoadSkinContainer(rest);
    } else if (data[0] == 2) {
        const std::vector<uint8_t> packed = skin::LzhufEncode(rest);
        const std::vector<uint8_t> back = skin::LzhufDecode(packed, rest.size());
        if (!std::equal(back.begin(), back.end(), rest.begin(), rest.end())) std::abort();
    } else {
        skin::LoadSkin(rest);
    }
    return 0;
}
