// SPDX-License-Identifier: GPL-3.0-or-later
#include "imaging/engine/codecs/exif_orientation.h"

#include <cstring>

#include "imaging/engine/codecs/byte_order.h"

namespace pix {
namespace {
constexpr uint8_t kExifId[6] = {'E', 'x', 'i', 'f', 0, 0};
constexpr uint16_t kOrientationTag = 0x0112;
constexpr uint16_t kTypeShort = 3;
constexpr size_t kEntryBytes = 12;
}  // namespace

int32_t ExifOrientation(std::span<const uint8_t> app1) {
    if (app1.size() < sizeof(kExifId) + 8 || std::memcmp(app1.data(), kExifId, 6) != 0) return 1;
    const std::span<const uint8_t> tiff = app1.subspan(sizeof(kExifId));
    const uint8_t* t = tiff.data();
    bool big;
    if (t[0] == 'I' && t[1] == 'I')
        big = false;
    else if (t[0] == 'M' && t[1] == 'M')
        big = true;
    else
        return 1;
    auto u16 = [&](size_t at) { return big ? Be16(t + at) : Le16(t + at); };
    auto u32 = [&](size_t at) { return big ? Be32(t + at) : Le32(t + at); };
    if (u16(2) != 42) return 1;
    const uint32_t ifd = u32(4);
    if (ifd > tiff.size() || tiff.size() - ifd < 2) return 1;
    const uint32_t count = u16(ifd);
    if ((tiff.size() - ifd - 2) / kEntryBytes < count) return 1;
    for (uint32_t i = 0; i < count; ++i) {
        const size_t e = ifd + 2 + i * kEntryBytes;
        if (u16(e) != kOrientationTag) continue;
        if (u16(e + 2) != kTypeShort || u32(e + 4) != 1) return 1;
        const uint16_t v = u16(e + 8);
        return v >= 1 && v <= 8 ? v : 1;
    }
    return 1;
}

}  // namespace pix
