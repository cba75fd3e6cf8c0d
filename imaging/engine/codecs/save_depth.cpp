// SPDX-License-Identifier: GPL-3.0-or-later
#include "imaging/engine/codecs/save_depth.h"

#include <cstring>

#include "imaging/engine/status_codes.h"

namespace pix {
namespace {
inline uint8_t Luma(uint32_t r, uint32_t g, uint32_t b) {
    return uint8_t((299 * r + 587 * g + 114 * b + 500) / 1000);
}
}  // namespace

bool HasGreyRamp(const PixBitmap& b) {
    if (!b.Palette) return true;
    for (int i = 0; i < 256; ++i) {
        const RGBQUAD& c = b.Palette[i];
        if (c.rgbBlue != i || c.rgbGreen != i || c.rgbRed != i) return false;
    }
    return true;
}

int32_t ConvertForSave(const PixBitmap& s, int32_t bits, bool grey, PixBitmap* out) {
    if ((bits != 8 && bits != 24) || (s.BitsPerPixel != 8 && s.BitsPerPixel != 24))
        return kInvalidBitsPerPixel;
    if (int32_t st = P_InitBitmap(out, sizeof(*out), s.Width, s.Height, bits); st != kSuccess)
        return st;
    if (int32_t st = P_AllocateBitmap(out, sizeof(*out)); st != kSuccess) return st;
    out->XResolution = s.XResolution;
    out->YResolution = s.YResolution;
    const bool keepPalette = bits == 8 && s.BitsPerPixel == 8 && !grey;
    if (keepPalette) std::memcpy(out->Palette, s.Palette, 256 * sizeof(RGBQUAD));
    uint8_t lut[256];
    if (s.BitsPerPixel == 8)
        for (int i = 0; i < 256; ++i) {
            const RGBQUAD c =
                s.Palette ? s.Palette[i] : RGBQUAD{uint8_t(i), uint8_t(i), uint8_t(i), 0};
            lut[i] = Luma(c.rgbRed, c.rgbGreen, c.rgbBlue);
        }
    for (int32_t y = 0; y < s.Height; ++y) {
        const uint8_t* src = PixRow(s, y);
        uint8_t* dst = PixRow(*out, y);
        if (s.BitsPerPixel == 24 && bits == 24) {
            std::memcpy(dst, src, size_t(s.Width) * 3);
        } else if (s.BitsPerPixel == 24) {
            for (int32_t x = 0; x < s.Width; ++x, src += 3) dst[x] = Luma(src[2], src[1], src[0]);
        } else if (bits == 24) {
            for (int32_t x = 0; x < s.Width; ++x, dst += 3) {
                const RGBQUAD c =
                    s.Palette ? s.Palette[src[x]] : RGBQUAD{src[x], src[x], src[x], 0};
                dst[0] = c.rgbBlue;
                dst[1] = c.rgbGreen;
                dst[2] = c.rgbRed;
            }
        } else if (keepPalette) {
            std::memcpy(dst, src, size_t(s.Width));
        } else {
            for (int32_t x = 0; x < s.Width; ++x) dst[x] = lut[src[x]];
        }
    }
    return kSuccess;
}

}  // namespace pix
