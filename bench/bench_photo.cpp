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

}  // namespace bench
