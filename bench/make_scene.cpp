// SPDX-License-Identifier: GPL-3.0-or-later
// Writes the generated landscape of the benchmarks as a photo, for the
// README's gallery: make_scene OUT.bmp|OUT.png [WIDTH HEIGHT].
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "bench/bench_photo.h"
#include "imaging/engine/codecs/file_format.h"
#include "imaging/engine/file_save.h"
#include "imaging/engine/pix_bitmap.h"
#include "imaging/engine/status_codes.h"

int main(int argc, char** argv) {
    if (argc != 2 && argc != 4) {
        std::fprintf(stderr, "usage: make_scene OUT.bmp|OUT.png [WIDTH HEIGHT]\n");
        return 2;
    }
    const int width = argc == 4 ? std::atoi(argv[2]) : 480;
    const int height = argc == 4 ? std::atoi(argv[3]) : 320;
    if (width < 1 || height < 1 || width > 8192 || height > 8192) {
        std::fprintf(stderr, "make_scene: width and height run from 1 to 8192\n");
        return 2;
    }
    const std::string out = argv[1];
    const bool png = out.size() > 4 && out.compare(out.size() - 4, 4, ".png") == 0;
    PixBitmap b{};
    P_InitBitmap(&b, sizeof b, width, height, 24);
    if (P_AllocateBitmap(&b, sizeof b) != pix::kSuccess) return 1;
    const bench::Bytes pixels = bench::ScenePixels(width, height);
    for (int y = 0; y < height; ++y)
        std::memcpy(PixRow(b, y), &pixels[size_t(y) * size_t(width) * 3], size_t(width) * 3);
    const int32_t status = pix::SaveBitmapFile(b, out, png ? pix::kFormatPng : pix::kFormatBmp);
    P_FreeBitmap(&b);
    if (status != pix::kSuccess) {
        std::fprintf(stderr, "make_scene: cannot write %s\n", out.c_str());
        return 1;
    }
    return 0;
}
