// SPDX-License-Identifier: GPL-3.0-or-later
#include "imaging/engine/codecs/sgi_writer.h"

#include <cstring>

#include "imaging/engine/codecs/save_depth.h"
#include "imaging/engine/status_codes.h"

namespace pix {
namespace {
constexpr size_t kHeaderBytes = 512;
constexpr uint16_t kMagic = 474;
constexpr int kMaxRun = 127;

void PutBe16(uint8_t* p, uint16_t v) {
    p[0] = uint8_t(v >> 8);
    p[1] = uint8_t(v);
}
void PutBe32(uint8_t* p, uint32_t v) {
    for (int i = 0; i < 4; ++i) p[i] = uint8_t(v >> (24 - 8 * i));
}

// One channel of one row, run-length encoded: a count byte with the top bit
// set precedes that many literal bytes, a count byte without it precedes one
// byte to repeat; a zero count ends the row.
void PackRow(const uint8_t* s, size_t n, std::vector<uint8_t>* out) {
    size_t i = 0;
    while (i < n) {
        size_t run = 1;
        while (i + run < n && run < kMaxRun && s[i + run] == s[i]) ++run;
        if (run >= 3 || i + run == n) {
            out->push_back(uint8_t(run));
            out->push_back(s[i]);
            i += run;
            continue;
        }
        // Literal bytes until a run of three starts or the count is full.
        size_t lit = 0;
        while (i + lit < n && lit < kMaxRun) {
            if (i + lit + 2 < n && s[i + lit] == s[i + lit + 1] && s[i + lit] == s[i + lit + 2])
                break;
            ++lit;
        }
        out->push_back(uint8_t(0x80 | lit));
        out->insert(out->end(), s + i, s + i + lit);
        i += lit;
    }
    out->push_back(0);
}
}  // namespace

int32_t EncodeSgi(const PixBitmap& b, bool rle, std::vector<uint8_t>* out) {
    if (!(b.Flags & kBitmapAllocated) || !b.Data) return kInvalidBitmap;
    if (b.BitsPerPixel != 8 && b.BitsPerPixel != 24) return kInvalidBitsPerPixel;
    if (b.BitsPerPixel == 8 && !HasGreyRamp(b)) return kInvalidBitsPerPixel;
    if (b.Width > 0xFFFF || b.Height > 0xFFFF) return kInvalidSize;
    const int channels = b.BitsPerPixel == 8 ? 1 : 3;
    const size_t w = size_t(b.Width), h = size_t(b.Height);
    out->assign(kHeaderBytes, 0);
    uint8_t* p = out->data();
    PutBe16(p, kMagic);
    p[2] = rle ? 1 : 0;
    p[3] = 1;  // bytes per sample
    PutBe16(p + 4, channels == 1 ? 2 : 3);
    PutBe16(p + 6, uint16_t(w));
    PutBe16(p + 8, uint16_t(h));
    PutBe16(p + 10, uint16_t(channels));
    PutBe32(p + 12, 0);
    PutBe32(p + 16, 255);
    // Colour map 0 (normal pixels) at byte 104 is already zero.
    std::vector<uint8_t> plane(w);
    // Rows run bottom to top; all rows of one channel come before the next.
    auto channelRow = [&](size_t c, size_t fileRow) {
        const uint8_t* src = PixRow(b, int32_t(h - 1 - fileRow));
        if (channels == 1) return src;
        const size_t offset = 2 - c;  // the bitmap holds blue, green, red
        for (size_t x = 0; x < w; ++x) plane[x] = src[3 * x + offset];
        return static_cast<const uint8_t*>(plane.data());
    };
    if (!rle) {
        out->reserve(kHeaderBytes + w * h * channels);
        for (size_t c = 0; c < size_t(channels); ++c)
            for (size_t y = 0; y < h; ++y) {
                const uint8_t* row = channelRow(c, y);
                out->insert(out->end(), row, row + w);
            }
        return kSuccess;
    }
    const size_t rows = h * channels;
    out->resize(kHeaderBytes + 8 * rows, 0);
    for (size_t c = 0; c < size_t(channels); ++c)
        for (size_t y = 0; y < h; ++y) {
            const size_t start = out->size();
            PackRow(channelRow(c, y), w, out);
            if (out->size() > 0xFFFFFFFFu) return kInvalidSize;
            const size_t index = c * h + y;
            PutBe32(out->data() + kHeaderBytes + 4 * index, uint32_t(start));
            PutBe32(out->data() + kHeaderBytes + 4 * (rows + index), uint32_t(out->size() - start));
        }
    return kSuccess;
}

}  // namespace pix
