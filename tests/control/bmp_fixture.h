// Writes small 24-bit BMP files for the image-control tests.
#pragma once

#include <cstdint>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

struct Bgr {
    uint8_t b, g, r;
};

// Writes a bottom-up 24-bit BMP whose pixel (x, y), y counted from the top, is
// colour(x, y).
inline bool WriteBmp24(const std::string& path, int w, int h,
                       const std::function<Bgr(int x, int y)>& colour) {
    const uint32_t stride = (uint32_t(w) * 3 + 3) & ~3u;
    const uint32_t imageSize = stride * uint32_t(h);
    std::vector<uint8_t> f(54 + imageSize, 0);
    auto put16 = [&](size_t at, uint32_t v) {
        f[at] = uint8_t(v);
        f[at + 1] = uint8_t(v >> 8);
    };
    auto put32 = [&](size_t at, uint32_t v) {
        put16(at, v & 0xFFFF);
        put16(at + 2, v >> 16);
    };
    f[0] = 'B';
    f[1] = 'M';
    put32(2, uint32_t(f.size()));
    put32(10, 54);
    put32(14, 40);
    put32(18, uint32_t(w));
    put32(22, uint32_t(h));
    put16(26, 1);
    put16(28, 24);
    put32(34, imageSize);
    for (int y = 0; y < h; ++y) {
        uint8_t* row = &f[54 + size_t(h - 1 - y) * stride];
        for (int x = 0; x < w; ++x) {
            const Bgr c = colour(x, y);
            row[x * 3] = c.b;
            row[x * 3 + 1] = c.g;
            row[x * 3 + 2] = c.r;
        }
    }
    FILE* out = std::fopen(path.c_str(), "wb");
    if (!out) return false;
    const bool ok = std::fwrite(f.data(), 1, f.size(), out) == f.size();
    return std::fclose(out) == 0 && ok;
}
