// SPDX-License-Identifier: GPL-3.0-or-later
// Writes the memory benchmark's photos into a folder, for measuring a run of
// strakel-sketch by hand (/usr/bin/time -v, heaptrack):
//   write_small_big_files FOLDER
#include <cstdio>
#include <string>

#include "bench/bench_photo.h"
#include "bench/small_big_files.h"

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: write_small_big_files FOLDER\n");
        return 2;
    }
    const std::string dir = argv[1];
    bench::WriteFile(dir + "/photo.jpg", bench::JpegPhoto(4000, 3000));
    bench::WriteFile(dir + "/grey.jpg", bench::GreyJpegPhoto(4000, 3000));
    bench::WriteFile(dir + "/rgba.jp2", bench::EmptyJpeg2000(1024, 65535, 4, true));
    bench::WriteFile(dir + "/rgb.j2k", bench::EmptyJpeg2000(1024, 65535, 3, false));
    bench::WriteFile(dir + "/grey16.png", bench::BlackGrey16Png(1024, 65535));
    bench::WriteFile(dir + "/rle8.bmp", bench::EmptyRle8Bmp(1024, 65535));
    bench::WriteFile(dir + "/progressive.jpg", bench::FlatProgressiveJpeg(1024, 65500));
    bench::WriteFile(dir + "/progressive444.jpg", bench::FlatProgressiveJpeg(1024, 65500, true));
    return 0;
}
