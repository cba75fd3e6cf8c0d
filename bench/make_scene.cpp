// Writes the generated landscape of the benchmarks as a BMP photo, for the
// README's gallery: make_scene OUT.bmp [WIDTH HEIGHT].
#include <cstdio>
#include <cstdlib>

#include "bench/bench_photo.h"

int main(int argc, char** argv) {
    if (argc != 2 && argc != 4) {
        std::fprintf(stderr, "usage: make_scene OUT.bmp [WIDTH HEIGHT]\n");
        return 2;
    }
    const int width = argc == 4 ? std::atoi(argv[2]) : 480;
    const int height = argc == 4 ? std::atoi(argv[3]) : 320;
    if (width < 1 || height < 1 || width > 8192 || height > 8192) {
        std::fprintf(stderr, "make_scene: width and height run from 1 to 8192\n");
        return 2;
    }
    bench::WriteFile(argv[1], bench::SceneBmp(width, height));
    return 0;
}
