// SPDX-License-Identifier: GPL-3.0-or-later
#include "bench/bench_photo.h"

#include <unistd.h>

// clang-format off
#include <cstdio>
#include <jpeglib.h>
// clang-format on

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>

namespace bench {

std::string TempPath(const std::string& name) {
    const auto dir =
        std::filesystem::temp_directory_path() / ("strakel-bench-" + std::to_string(::getpid()));
    std::filesystem::create_directories(dir);
    return (dir / name).string();
}

void WriteFile(const std::string& path, const Bytes& b) {
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(b.data()), std::streamsize(b.size()));
}

Bytes ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return Bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

uint8_t Sample(int x, int y, int c) {
    const double v =
        128 + 60 * std::sin(x * 0.013 + c) + 40 * std::cos(y * 0.021 - c) + ((x * 7 + y * 13) % 17);
    return uint8_t(std::clamp(v, 0.0, 255.0));
}

Bytes JpegPhoto(int width, int height) {
    jpeg_compress_struct c{};
    jpeg_error_mgr err{};
    c.err = jpeg_std_error(&err);
    jpeg_create_compress(&c);
    unsigned char* mem = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&c, &mem, &size);
    c.image_width = JDIMENSION(width);
    c.image_height = JDIMENSION(height);
    c.input_components = 3;
    c.in_color_space = JCS_RGB;
    jpeg_set_defaults(&c);
    jpeg_set_quality(&c, 90, TRUE);
    jpeg_start_compress(&c, TRUE);
    Bytes row(size_t(width) * 3);
    while (c.next_scanline < c.image_height) {
        for (int x = 0; x < width; ++x)
            for (int ch = 0; ch < 3; ++ch)
                row[size_t(x) * 3 + size_t(ch)] = Sample(x, int(c.next_scanline), ch);
        JSAMPROW r = row.data();
        jpeg_write_scanlines(&c, &r, 1);
    }
    jpeg_finish_compress(&c);
    Bytes out(mem, mem + size);
    jpeg_destroy_compress(&c);
    std::free(mem);
    return out;
}

namespace {

struct Rgb {
    double r, g, b;
};

Rgb Mix(Rgb a, Rgb b, double t) {
    return {a.r + (b.r - a.r) * t, a.g + (b.g - a.g) * t, a.b + (b.b - a.b) * t};
}

// Smooth value noise in [0, 1), the same on every run.
double Hash(int x, int y) {
    uint32_t h = uint32_t(x) * 374761393u + uint32_t(y) * 668265263u;
    h = (h ^ (h >> 13)) * 1274126177u;
    return double(h ^ (h >> 16)) / 4294967296.0;
}
double Noise(double x, double y) {
    const int ix = int(std::floor(x)), iy = int(std::floor(y));
    const double fx = x - ix, fy = y - iy;
    const double sx = fx * fx * (3 - 2 * fx), sy = fy * fy * (3 - 2 * fy);
    const double top = Hash(ix, iy) + (Hash(ix + 1, iy) - Hash(ix, iy)) * sx;
    const double bottom = Hash(ix, iy + 1) + (Hash(ix + 1, iy + 1) - Hash(ix, iy + 1)) * sx;
    return top + (bottom - top) * sy;
}
double Fractal(double x, double y) {
    return 0.5 * Noise(x, y) + 0.3 * Noise(2 * x, 2 * y) + 0.2 * Noise(4 * x, 4 * y);
}

// The colour at (u, v), both 0 to 1 with v = 0 at the top.
Rgb SceneAt(double u, double v, double aspect) {
    // Sky: deep blue at the top to a pale horizon, with soft clouds.
    Rgb c = Mix({70, 120, 200}, {200, 220, 240}, v / 0.55);
    const double cloud = Fractal(u * 6, v * 14);
    if (cloud > 0.55) c = Mix(c, {250, 250, 252}, std::min(1.0, (cloud - 0.55) * 4));
    const double sun = std::hypot((u - 0.8) * aspect, v - 0.15);
    if (sun < 0.06) c = {255, 255, 245};
    // Far hills, then the near meadow.
    const double far = 0.45 + 0.05 * std::sin(u * 9) + 0.03 * Fractal(u * 8, 1);
    if (v > far) c = Mix({110, 130, 150}, {90, 110, 100}, (v - far) * 8);
    const double near = 0.58 + 0.04 * std::sin(u * 5 + 1);
    if (v > near) {
        const double grass = Fractal(u * 60, v * 30);
        c = Mix({80, 140, 50}, {40, 90, 30}, (v - near) * 1.5 + 0.4 * grass);
    }
    // A house: a lit wall, a dark roof, windows and a door, and its shadow.
    const double hx0 = 0.22, hx1 = 0.46, hy0 = 0.50, hy1 = 0.78;
    if (u > hx1 && u < hx1 + 0.12 && v > hy1 - 0.04 && v < hy1 + 0.02) c = Mix(c, {0, 0, 0}, 0.55);
    const double roofPeak = 0.36, mid = (hx0 + hx1) / 2;
    if (v < hy0 && v > roofPeak + std::abs(u - mid) * 1.1 && u > hx0 - 0.02 && u < hx1 + 0.02)
        c = Mix({120, 50, 40}, {60, 25, 20}, Fractal(u * 40, v * 80));
    if (u > hx0 && u < hx1 && v >= hy0 && v < hy1) {
        c = Mix({225, 215, 190}, {200, 190, 165}, Fractal(u * 30, v * 30));
        const bool window =
            (std::fmod((u - hx0) * 100, 8) > 2.5 && std::fmod((u - hx0) * 100, 8) < 6.5 &&
             v > hy0 + 0.04 && v < hy0 + 0.12);
        const bool door = u > mid - 0.025 && u < mid + 0.025 && v > hy1 - 0.13;
        if (window) c = {25, 30, 45};
        if (door) c = {70, 40, 25};
        if (u > hx1 - 0.06) c = Mix(c, {0, 0, 0}, 0.35);  // the side in shade
    }
    // Two trees: dark trunks and crowns with light and shadow.
    for (const double tx : {0.62, 0.72}) {
        const double crown = std::hypot((u - tx) * aspect, (v - 0.42) * 1.1);
        if (std::abs(u - tx) < 0.008 && v > 0.45 && v < 0.66) c = {50, 35, 25};
        const double leaf = Fractal(u * 50, v * 50);
        if (crown < 0.09 + 0.02 * leaf)
            c = Mix({90, 130, 50}, {15, 40, 15},
                    std::clamp((u - tx) * 8 + 0.5 + 0.5 * leaf, 0.0, 1.0));
    }
    return c;
}

}  // namespace

Bytes ScenePixels(int width, int height) {
    Bytes pixels(size_t(width) * size_t(height) * 3);
    const double aspect = double(width) / height;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const Rgb c = SceneAt((x + 0.5) / width, (y + 0.5) / height, aspect);
            const double grain = (Hash(x * 7 + 3, y * 13 + 5) - 0.5) * 8;
            uint8_t* p = &pixels[(size_t(y) * size_t(width) + size_t(x)) * 3];
            p[0] = uint8_t(std::clamp(c.b + grain, 0.0, 255.0));
            p[1] = uint8_t(std::clamp(c.g + grain, 0.0, 255.0));
            p[2] = uint8_t(std::clamp(c.r + grain, 0.0, 255.0));
        }
    return pixels;
}

Bytes SceneBmp(int width, int height) {
    const Bytes pixels = ScenePixels(width, height);
    const size_t stride = (size_t(width) * 3 + 3) & ~size_t(3);
    const size_t size = 54 + stride * size_t(height);
    Bytes file(size, 0);
    auto put = [&](size_t at, uint32_t v, int bytes) {
        for (int i = 0; i < bytes; ++i) file[at + size_t(i)] = uint8_t(v >> (8 * i));
    };
    file[0] = 'B';
    file[1] = 'M';
    put(2, uint32_t(size), 4);
    put(10, 54, 4);
    put(14, 40, 4);
    put(18, uint32_t(width), 4);
    put(22, uint32_t(height), 4);
    put(26, 1, 2);
    put(28, 24, 2);
    for (int y = 0; y < height; ++y)  // bottom-up rows
        std::copy_n(&pixels[size_t(height - 1 - y) * size_t(width) * 3], size_t(width) * 3,
                    &file[54 + size_t(y) * stride]);
    return file;
}

}  // namespace bench
