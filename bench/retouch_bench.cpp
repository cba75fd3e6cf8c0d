// SPDX-License-Identifier: GPL-3.0-or-later
// Cost of the retouch dialogs on a 1024 x 768 drawing: opening the preview
// (scaling a copy), one preview update as the slider moves (the budget is
// 30 ms), and the full-size change that OK applies.
#include <benchmark/benchmark.h>

#include "bench/bench_photo.h"
#include "imaging/engine/retouch_ops.h"
#include "imaging/engine/status_codes.h"
#include "imaging/engine/ui/adjust_preview.h"

namespace {

constexpr int32_t kWidth = 1024;
constexpr int32_t kHeight = 768;
// The preview box of the dialogs.
const QSize kBox(384, 288);

// A drawing-sized 24-bit bitmap with the benchmark photo's texture.
struct Drawing {
    Drawing() {
        P_InitBitmap(&bm, sizeof bm, kWidth, kHeight, 24);
        if (P_AllocateBitmap(&bm, sizeof bm) != pix::kSuccess) std::abort();
        for (int32_t y = 0; y < kHeight; ++y)
            for (int32_t x = 0; x < kWidth; ++x)
                for (int c = 0; c < 3; ++c) PixRow(bm, y)[3 * x + c] = bench::Sample(x, y, c);
    }
    ~Drawing() { P_FreeBitmap(&bm); }
    PixBitmap bm{};
};

using Operation = int32_t (*)(PixBitmap*, int32_t);

Operation OperationOf(const benchmark::State& state) {
    return state.range(0) == 0 ? P_ChangeBitmapBrightness : P_SharpenBitmap;
}

void BM_OpenPreview(benchmark::State& state) {
    Drawing drawing;
    for (auto _ : state) {
        AdjustPreview preview(drawing.bm, kBox, OperationOf(state));
        benchmark::DoNotOptimize(preview.Before().constBits());
    }
}

void BM_PreviewUpdate(benchmark::State& state) {
    Drawing drawing;
    AdjustPreview preview(drawing.bm, kBox, OperationOf(state));
    int32_t value = 1;
    for (auto _ : state) {
        QImage after = preview.After(value);
        benchmark::DoNotOptimize(after.constBits());
        value = value % 999 + 1;  // a different value each time, as a moving slider gives
    }
}

void BM_ApplyOnOk(benchmark::State& state) {
    Drawing drawing;
    for (auto _ : state) {
        if (OperationOf(state)(&drawing.bm, 300) != pix::kSuccess) std::abort();
        benchmark::ClobberMemory();
    }
}

}  // namespace

// Argument 0 is brightness, 1 sharpen.
BENCHMARK(BM_OpenPreview)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PreviewUpdate)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ApplyOnOk)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);
BENCHMARK_MAIN();
