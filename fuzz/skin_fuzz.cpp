// Fuzzes the whole skin reader. The first byte chooses what the rest is: odd,
// a decompressed container (so that mutations reach the name list, the size
// table, the description and the bitmaps directly); even, a whole skin file
// with its LZHUF-coded container.
#include <cstddef>
#include <cstdint>
#include <span>

#include "skin/skin_load.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) return 0;
    const std::span<const uint8_t> rest(data + 1, size - 1);
    if (data[0] & 1) {
        skin::LoadSkinContainer(rest);
    } else {
        skin::LoadSkin(rest);
    }
    return 0;
}
