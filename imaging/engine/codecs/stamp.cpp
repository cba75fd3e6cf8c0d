// SPDX-License-Identifier: GPL-3.0-or-later
#include "imaging/engine/codecs/stamp.h"

#include <algorithm>
#include <vector>

#include "imaging/engine/codecs/reduce_depth.h"
#include "imaging/engine/status_codes.h"

namespace pix {

int32_t MakeStamp(const PixBitmap& s, int32_t boxWidth, int32_t boxHeight, int32_t bits,
                  PixBitmap* out) {
    if (boxWidth < 1 || boxHeight < 1 || boxWidth > kMaxStampSide || boxHeight > kMaxStampSide)
        return kInvalidSize;
    if (bits == 0) bits = s.BitsPerPixel == 8 && IsGreyPicture(s) ? 8 : 24;
    if (bits != 8 && bits != 24) return kInvalidBitsPerPixel;
    // Fit the box: the side that needs the larger reduction decides.
    int32_t w = s.Width, h = s.Height;
    if (w > boxWidth || h > boxHeight) {
        if (int64_t(w) * boxHeight >= int64_t(h) * boxWidth) {
            h = std::max<int32_t>(1, int32_t((int64_t(h) * boxWidth + w / 2) / w));
            w = boxWidth;
        } else {
            w = std::max<int32_t>(1, int32_t((int64_t(w) * boxHeight + h / 2) / h));
            h = boxHeight;
        }
    }
    if (int32_t st = P_InitBitmap(out, sizeof(*out), w, h, bits); st != kSuccess) return st;
    if (int32_t st = P_AllocateBitmap(out, sizeof(*out)); st != kSuccess) return st;
    out->XResolution = s.XResolution;
    out->YResolution = s.YResolution;
    // Each stamp pixel averages the source pixels whose top-left corner lies in it.
    std::vector<uint64_t> sums(size_t(w) * 4);
    for (int32_t ty = 0; ty < h; ++ty) {
        const int32_t y0 = int32_t(int64_t(ty) * s.Height / h);
        const int32_t y1 = std::max(y0 + 1, int32_t(int64_t(ty + 1) * s.Height / h));
        std::fill(sums.begin(), sums.end(), 0);
        for (int32_t y = y0; y < y1; ++y) {
            const uint8_t* row = PixRow(s, y);
            for (int32_t tx = 0; tx < w; ++tx) {
                const int32_t x0 = int32_t(int64_t(tx) * s.Width / w);
                const int32_t x1 = std::max(x0 + 1, int32_t(int64_t(tx + 1) * s.Width / w));
                uint64_t* sum = &sums[size_t(tx) * 4];
                for (int32_t x = x0; x < x1; ++x) {
                    uint32_t r, g, b;
                    if (s.BitsPerPixel == 24) {
                        b = row[3 * x];
                        g = row[3 * x + 1];
                        r = row[3 * x + 2];
                    } else {
                        const RGBQUAD c =
                            s.Palette ? s.Palette[row[x]] : RGBQUAD{row[x], row[x], row[x], 0};
                        b = c.rgbBlue;
                        g = c.rgbGreen;
                        r = c.rgbRed;
                    }
                    sum[0] += b;
                    sum[1] += g;
                    sum[2] += r;
                    ++sum[3];
                }
            }
        }
        uint8_t* dst = PixRow(*out, ty);
        for (int32_t tx = 0; tx < w; ++tx) {
            const uint64_t* sum = &sums[size_t(tx) * 4];
            const uint64_t n = sum[3];
            const uint64_t b = (sum[0] + n / 2) / n, g = (sum[1] + n / 2) / n,
                           r = (sum[2] + n / 2) / n;
            if (bits == 24) {
                dst[3 * tx] = uint8_t(b);
                dst[3 * tx + 1] = uint8_t(g);
                dst[3 * tx + 2] = uint8_t(r);
            } else {
                dst[tx] = uint8_t((299 * r + 587 * g + 114 * b + 500) / 1000);
            }
        }
    }
    return kSuccess;
}

}  // namespace pix
