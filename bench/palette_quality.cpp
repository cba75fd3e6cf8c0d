// SPDX-License-Identifier: GPL-3.0-or-later
// Palette quality: the engine's reduction to 8, 4 and 1 bits per pixel next to
// libimagequant's, on the generated scene and on the pictures named on the
// command line, as PSNR against the 24-bit picture, both as written and after
// a 3 x 3 box blur (which is roughly how far the eye averages dithering).
#include <libimagequant.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "bench/bench_photo.h"
#include "imaging/engine/codecs/reduce_depth.h"
#include "imaging/engine/file_load.h"
#include "imaging/engine/pix_bitmap.h"

namespace {

// Blue, green, red, 3 x width bytes a row, no padding.
struct Rgb {
    int width = 0;
    int height = 0;
    std::vector<uint8_t> bgr;
};

Rgb FromBitmap(const PixBitmap& b) {
    Rgb out{b.Width, b.Height, std::vector<uint8_t>(size_t(b.Width) * b.Height * 3)};
    for (int y = 0; y < b.Height; ++y) {
        const uint8_t* row = PixRow(b, y);
        uint8_t* dst = &out.bgr[size_t(y) * b.Width * 3];
        for (int x = 0; x < b.Width; ++x) {
            if (b.BitsPerPixel == 24) {
                std::memcpy(dst + 3 * x, row + 3 * x, 3);
            } else {
                const RGBQUAD& c = b.Palette[row[x]];
                dst[3 * x] = c.rgbBlue;
                dst[3 * x + 1] = c.rgbGreen;
                dst[3 * x + 2] = c.rgbRed;
            }
        }
    }
    return out;
}

Rgb BoxBlur(const Rgb& in) {
    Rgb out = in;
    for (int y = 0; y < in.height; ++y)
        for (int x = 0; x < in.width; ++x)
            for (int c = 0; c < 3; ++c) {
                int sum = 0, n = 0;
                for (int dy = -1; dy <= 1; ++dy)
                    for (int dx = -1; dx <= 1; ++dx) {
                        const int yy = y + dy, xx = x + dx;
                        if (yy < 0 || xx < 0 || yy >= in.height || xx >= in.width) continue;
                        sum += in.bgr[(size_t(yy) * in.width + xx) * 3 + c];
                        ++n;
                    }
                out.bgr[(size_t(y) * in.width + x) * 3 + c] = uint8_t((sum + n / 2) / n);
            }
    return out;
}

double Psnr(const Rgb& a, const Rgb& b) {
    double sum = 0;
    for (size_t i = 0; i < a.bgr.size(); ++i) {
        const double d = double(a.bgr[i]) - double(b.bgr[i]);
        sum += d * d;
    }
    const double mse = sum / double(a.bgr.size());
    return mse == 0 ? 99.0 : 10.0 * std::log10(255.0 * 255.0 / mse);
}

bool Engine(const PixBitmap& source, int bits, Rgb* out) {
    PixBitmap reduced{};
    if (pix::ReduceToPalette(source, bits, &reduced) != 1) return false;
    *out = FromBitmap(reduced);
    P_FreeBitmap(&reduced);
    return true;
}

// libimagequant at its default speed and full dithering.
bool Quantized(const Rgb& in, int bits, Rgb* out) {
    std::vector<uint8_t> rgba(size_t(in.width) * in.height * 4);
    for (size_t i = 0, n = size_t(in.width) * in.height; i < n; ++i) {
        rgba[4 * i] = in.bgr[3 * i + 2];
        rgba[4 * i + 1] = in.bgr[3 * i + 1];
        rgba[4 * i + 2] = in.bgr[3 * i];
        rgba[4 * i + 3] = 255;
    }
    liq_attr* attr = liq_attr_create();
    liq_set_max_colors(attr, 1 << bits);
    liq_image* image = liq_image_create_rgba(attr, rgba.data(), in.width, in.height, 0);
    liq_result* result = nullptr;
    bool ok = image && liq_image_quantize(image, attr, &result) == LIQ_OK;
    if (ok) {
        liq_set_dithering_level(result, 1.0f);
        std::vector<uint8_t> indices(size_t(in.width) * in.height);
        ok = liq_write_remapped_image(result, image, indices.data(), indices.size()) == LIQ_OK;
        const liq_palette* palette = liq_get_palette(result);
        *out = in;
        for (size_t i = 0; ok && i < indices.size(); ++i) {
            const liq_color& c = palette->entries[indices[i]];
            out->bgr[3 * i] = c.b;
            out->bgr[3 * i + 1] = c.g;
            out->bgr[3 * i + 2] = c.r;
        }
        liq_result_destroy(result);
    }
    if (image) liq_image_destroy(image);
    liq_attr_destroy(attr);
    return ok;
}

void Measure(const std::string& name, const PixBitmap& source) {
    const Rgb original = FromBitmap(source);
    const Rgb blurred = BoxBlur(original);
    for (int bits : {8, 4, 1}) {
        Rgb ours, theirs;
        if (!Engine(source, bits, &ours) || !Quantized(original, bits, &theirs)) {
            std::printf("%-28s %d bits: reduction failed\n", name.c_str(), bits);
            continue;
        }
        std::printf(
            "%-28s %d bits  engine %6.2f dB (blurred %6.2f)  libimagequant %6.2f dB (blurred "
            "%6.2f)\n",
            name.c_str(), bits, Psnr(original, ours), Psnr(blurred, BoxBlur(ours)),
            Psnr(original, theirs), Psnr(blurred, BoxBlur(theirs)));
    }
}

}  // namespace

int main(int argc, char** argv) {
    {
        const int w = 1024, h = 768;
        PixBitmap scene{};
        P_InitBitmap(&scene, sizeof(scene), w, h, 24);
        if (P_AllocateBitmap(&scene, sizeof(scene)) != 1) return 1;
        const bench::Bytes pixels = bench::ScenePixels(w, h);
        for (int y = 0; y < h; ++y)
            std::memcpy(PixRow(scene, y), &pixels[size_t(y) * w * 3], size_t(w) * 3);
        Measure("scene 1024 x 768", scene);
        P_FreeBitmap(&scene);
    }
    for (int i = 1; i < argc; ++i) {
        PixBitmap photo{};
        if (pix::LoadBitmapFile(argv[i], &photo, 24) != 1) {
            std::fprintf(stderr, "palette_quality: cannot load %s\n", argv[i]);
            return 1;
        }
        const char* slash = std::strrchr(argv[i], '/');
        Measure(slash ? slash + 1 : argv[i], photo);
        P_FreeBitmap(&photo);
    }
    return 0;
}
