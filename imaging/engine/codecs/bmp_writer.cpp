// SPDX-License-Identifier: GPL-3.0-or-later
#include "imaging/engine/codecs/bmp_writer.h"

#include <cstring>

#include "imaging/engine/status_codes.h"

namespace pix {
namespace {
constexpr uint32_t kFileHeaderBytes = 14;
constexpr double kInchesPerMeter = 0.0254;
constexpr int32_t kInvalidCompression = -23;
// Longest run or literal that one RLE8 count holds.
constexpr size_t kMaxRun = 255;

void Put16(uint8_t* p, uint16_t v) {
    p[0] = uint8_t(v);
    p[1] = uint8_t(v >> 8);
}
void Put32(uint8_t* p, uint32_t v) {
    for (int i = 0; i < 4; ++i) p[i] = uint8_t(v >> (8 * i));
}

// RLE8 of one row: runs of three or more as (count, index); the stretches
// between them as literals (0, count, indices, a pad byte to an even count),
// which cost one byte a pixel; stretches shorter than three, which a literal
// cannot hold, as runs of one or two.
size_t RunAt(const uint8_t* p, size_t x, size_t w) {
    size_t run = 1;
    while (x + run < w && run < kMaxRun && p[x + run] == p[x]) ++run;
    return run;
}

void EncodeRleRow(const uint8_t* p, size_t w, std::vector<uint8_t>* out) {
    size_t x = 0;
    while (x < w) {
        const size_t run = RunAt(p, x, w);
        if (run >= 3) {
            out->push_back(uint8_t(run));
            out->push_back(p[x]);
            x += run;
            continue;
        }
        size_t end = x + run;
        while (end < w && end - x < kMaxRun && RunAt(p, end, w) < 3) ++end;
        if (end - x < 3) {
            while (x < end) {
                const size_t n = RunAt(p, x, end);
                out->push_back(uint8_t(n));
                out->push_back(p[x]);
                x += n;
            }
            continue;
        }
        out->push_back(0);
        out->push_back(uint8_t(end - x));
        out->insert(out->end(), p + x, p + end);
        if ((end - x) % 2) out->push_back(0);
        x = end;
    }
}
}  // namespace

int32_t EncodeBmp(const PixBitmap& b, std::vector<uint8_t>* out, int32_t bits, bool rle) {
    if (!(b.Flags & kBitmapAllocated) || !b.Data) return kInvalidBitmap;
    if (b.BitsPerPixel != 8 && b.BitsPerPixel != 24) return kInvalidBitsPerPixel;
    if (bits == 0) bits = b.BitsPerPixel;
    if ((bits == 24) != (b.BitsPerPixel == 24) ||
        (bits != 1 && bits != 4 && bits != 8 && bits != 24))
        return kInvalidBitsPerPixel;
    if (rle && bits != 8) return kInvalidCompression;
    const uint32_t colors = bits == 24 ? 0 : 1u << bits;
    const uint32_t stride = DibRowStride(b.Width, bits);
    std::vector<uint8_t> pixels;
    if (rle) {
        for (int32_t y = b.Height - 1; y >= 0; --y) {
            EncodeRleRow(PixRow(b, y), size_t(b.Width), &pixels);
            pixels.push_back(0);
            pixels.push_back(y == 0 ? 1 : 0);  // end of line, or of the bitmap
        }
    } else {
        if (uint64_t(stride) * b.Height > 0xFFFFFFFFu) return kInvalidSize;
        pixels.assign(size_t(stride) * size_t(b.Height), 0);
        for (int32_t y = 0; y < b.Height; ++y) {
            const uint8_t* src = PixRow(b, y);
            uint8_t* dst = pixels.data() + size_t(stride) * size_t(b.Height - 1 - y);
            if (bits >= 8) {
                std::memcpy(dst, src, size_t(b.Width) * (bits / 8));
            } else {
                const int perByte = 8 / bits;
                for (int32_t x = 0; x < b.Width; ++x)
                    dst[x / perByte] |= uint8_t(src[x] << (8 - bits * (x % perByte + 1)));
            }
        }
    }
    const uint64_t offset = kFileHeaderBytes + sizeof(BITMAPINFOHEADER) + 4 * colors;
    if (offset + pixels.size() > 0xFFFFFFFFu) return kInvalidSize;
    out->assign(offset, 0);
    uint8_t* p = out->data();
    p[0] = 'B';
    p[1] = 'M';
    Put32(p + 2, uint32_t(offset + pixels.size()));
    Put32(p + 10, uint32_t(offset));
    BITMAPINFOHEADER h{};
    h.biSize = sizeof(h);
    h.biWidth = b.Width;
    h.biHeight = b.Height;
    h.biPlanes = 1;
    h.biBitCount = uint16_t(bits);
    h.biCompression = rle ? BI_RLE8 : BI_RGB;
    h.biSizeImage = uint32_t(pixels.size());
    h.biXPelsPerMeter = int32_t(b.XResolution / kInchesPerMeter + 0.5);
    h.biYPelsPerMeter = int32_t(b.YResolution / kInchesPerMeter + 0.5);
    h.biClrUsed = colors;
    // The header's fields are little-endian on disk, as on our targets.
    std::memcpy(p + kFileHeaderBytes, &h, sizeof(h));
    Put16(p + kFileHeaderBytes + 12, 1);
    if (colors) std::memcpy(p + kFileHeaderBytes + sizeof(h), b.Palette, 4 * colors);
    out->insert(out->end(), pixels.begin(), pixels.end());
    return kSuccess;
}

}  // namespace pix
