// SPDX-License-Identifier: GPL-3.0-or-later
// Decodes fixture bytes for the codec tests and reads pixels back.
#pragma once

#include <cstdint>

#include "imaging/engine/codecs/decode_image.h"
#include "tests/imaging/engine/codecs/image_fixtures.h"

namespace fixtures {

struct Decoded {
    int32_t status = 0;
    PixBitmap bitmap{};
    pix::ImageInfo info;

    explicit Decoded(const Bytes& bytes) { status = pix::DecodeImage(bytes, &bitmap, &info); }
    ~Decoded() { P_FreeBitmap(&bitmap); }
    Decoded(const Decoded&) = delete;
    Decoded& operator=(const Decoded&) = delete;

    Bgr At(int x, int y) const {
        const uint8_t* p = PixRow(bitmap, y) + 3 * x;
        return Bgr{p[0], p[1], p[2]};
    }
    uint8_t Index(int x, int y) const { return PixRow(bitmap, y)[x]; }
};

}  // namespace fixtures

inline std::ostream& operator<<(std::ostream& os, const fixtures::Bgr& c) {
    return os << "(b" << int(c.b) << " g" << int(c.g) << " r" << int(c.r) << ")";
}
