// SPDX-License-Identifier: GPL-3.0-or-later
// Cost of pencil shading: the whole drawing of a generated 1024 x 768
// landscape, plain and with --shading, in both modes.
#include <benchmark/benchmark.h>

#include <cstring>

#include "bench/bench_photo.h"
#include "imaging/engine/pix_bitmap.h"
#include "sketch/pencil_texture.h"
#include "sketch/sketch_pipeline.h"

namespace {

struct Photo {
    Photo(int w, int h) {
        P_InitBitmap(&bitmap, sizeof bitmap, w, h, 24);
        P_AllocateBitmap(&bitmap, sizeof bitmap);
        const bench::Bytes pixels = bench::ScenePixels(w, h);
        for (int y = 0; y < h; ++y)
            std::memcpy(PixRow(bitmap, y), &pixels[size_t(y) * size_t(w) * 3], size_t(w) * 3);
    }
    ~Photo() { P_FreeBitmap(&bitmap); }
    PixBitmap bitmap{};
};

void BM_Drawing(benchmark::State& state) {
    const Photo photo(int(state.range(0)), int(state.range(1)));
    sketch::DrawingLook look;
    look.shading = state.range(2) != 0;
    const auto mode = state.range(3) ? sketch::BlendMode::kColorPencil : sketch::BlendMode::kPencil;
    PixBitmap drawing{};
    P_InitBitmap(&drawing, sizeof drawing, 0, 0, 0);
    for (auto _ : state) {
        benchmark::DoNotOptimize(sketch::DrawSketch(photo.bitmap, mode, look, &drawing).ok());
        benchmark::ClobberMemory();
    }
    P_FreeBitmap(&drawing);
}

// Making the texture, which a process does once, on its first shaded drawing.
void BM_PencilTexture(benchmark::State& state) {
    for (auto _ : state) benchmark::DoNotOptimize(sketch::MakePencilTexture().tone.data());
}
BENCHMARK(BM_PencilTexture)->Unit(benchmark::kMillisecond);

// Arguments: width, height, shading, colour pencil.
BENCHMARK(BM_Drawing)
    ->Args({1024, 768, 0, 0})
    ->Args({1024, 768, 1, 0})
    ->Args({1024, 768, 0, 1})
    ->Args({1024, 768, 1, 1})
    ->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
