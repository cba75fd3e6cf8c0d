// SPDX-License-Identifier: GPL-3.0-or-later
// Cost of the sketch and blend passes on photo-sized DIBs, next to a plain copy
// of the same DIB so that the two can be compared on the machine at hand.
#include <benchmark/benchmark.h>

#include <cstring>
#include <random>
#include <vector>

#include "platform/dib.h"
#include "sketch/blend_pass.h"
#include "sketch/sketch_pass.h"

namespace {

// A bottom-up 24-bit DIB filled with a grey, slightly noisy gradient, so that
// the pass meets edges and flat areas as in a photo.
std::vector<uint8_t> MakePhotoDib(int32_t width, int32_t height, bool grey) {
    const size_t stride = DibRowStride(width, 24);
    std::vector<uint8_t> block(sizeof(BITMAPINFOHEADER) + stride * size_t(height));
    BITMAPINFOHEADER h{};
    h.biSize = sizeof h;
    h.biWidth = width;
    h.biHeight = height;
    h.biPlanes = 1;
    h.biBitCount = 24;
    std::memcpy(block.data(), &h, sizeof h);
    std::mt19937 rng(1);
    for (int32_t r = 0; r < height; ++r) {
        uint8_t* row = block.data() + sizeof h + size_t(r) * stride;
        for (int32_t c = 0; c < width; ++c) {
            const auto base = uint8_t((r / 8 + c / 8) * 16 + rng() % 24);
            for (int k = 0; k < 3; ++k) row[3 * c + k] = grey ? base : uint8_t(base + k * 40);
        }
    }
    return block;
}

void SetCounters(benchmark::State& state, int64_t width, int64_t height, size_t bytes) {
    state.SetBytesProcessed(state.iterations() * int64_t(bytes));
    state.counters["MPix/s"] = benchmark::Counter(double(width * height) * 1e-6,
                                                  benchmark::Counter::kIsIterationInvariantRate);
}

void BM_Memcpy(benchmark::State& state) {
    const auto w = int32_t(state.range(0)), h = int32_t(state.range(1));
    const auto src = MakePhotoDib(w, h, true);
    std::vector<uint8_t> dst(src.size());
    for (auto _ : state) {
        std::memcpy(dst.data(), src.data(), src.size());
        benchmark::DoNotOptimize(dst.data());
        benchmark::ClobberMemory();
    }
    SetCounters(state, w, h, src.size());
}

// The pass runs in place; each iteration starts from the same photo by running
// on a fresh copy, and the copy's cost is taken out of the timing.
void BM_SketchPass(benchmark::State& state) {
    const auto w = int32_t(state.range(0)), h = int32_t(state.range(1));
    const auto photo = MakePhotoDib(w, h, true);
    std::vector<uint8_t> dib(photo.size());
    for (auto _ : state) {
        state.PauseTiming();
        std::memcpy(dib.data(), photo.data(), photo.size());
        state.ResumeTiming();
        sketch::SketchPass(dib.data(), dib.size(), w, h);
        benchmark::ClobberMemory();
    }
    SetCounters(state, w, h, photo.size());
}

void BM_BlendPass(benchmark::State& state) {
    const auto w = int32_t(state.range(0)), h = int32_t(state.range(1));
    const auto mode = state.range(2) ? sketch::BlendMode::kColorPencil : sketch::BlendMode::kPencil;
    const auto work = MakePhotoDib(w, h, false);
    auto view = MakePhotoDib(w, h, true);
    // Blending into the same view again and again is as costly as the first time.
    for (auto _ : state) {
        sketch::BlendPass(work.data(), work.size(), view.data(), view.size(), w, h, mode);
        benchmark::ClobberMemory();
    }
    SetCounters(state, w, h, work.size());
}

void Sizes(benchmark::internal::Benchmark* b) {
    b->Args({1024, 768})->Args({1024, 4096})->Unit(benchmark::kMicrosecond);
}
void BlendSizes(benchmark::internal::Benchmark* b) {
    for (int64_t mode : {0, 1}) b->Args({1024, 768, mode})->Args({1024, 4096, mode});
    b->Unit(benchmark::kMicrosecond);
}

BENCHMARK(BM_Memcpy)->Apply(Sizes);
BENCHMARK(BM_SketchPass)->Apply(Sizes);
BENCHMARK(BM_BlendPass)->Apply(BlendSizes);

}  // namespace

BENCHMARK_MAIN();
