// SPDX-License-Identifier: GPL-3.0-or-later
// Memory and time of one undo step in the window: a 1024 x 768 drawing of the
// generated landscape packed as the history keeps it, and unpacked again.
#include <benchmark/benchmark.h>

#include <cstring>

#include "app/undo_history.h"
#include "bench/bench_photo.h"
#include "imaging/engine/pix_bitmap.h"
#include "sketch/sketch_pipeline.h"

namespace {

// The right view after Draw sketch (range 0: pencil, 1: colour pencil) or,
// for range 2, the photo copy that a Load leaves in it.
ViewPicture RightView(int kind) {
    constexpr int kW = 1024, kH = 768;
    PixBitmap photo{}, drawing{};
    P_InitBitmap(&photo, sizeof photo, kW, kH, 24);
    P_AllocateBitmap(&photo, sizeof photo);
    const bench::Bytes pixels = bench::ScenePixels(kW, kH);
    for (int y = 0; y < kH; ++y)
        std::memcpy(PixRow(photo, y), &pixels[size_t(y) * kW * 3], size_t(kW) * 3);
    P_InitBitmap(&drawing, sizeof drawing, 0, 0, 0);
    const PixBitmap* shown = &photo;
    if (kind < 2) {
        sketch::DrawSketch(
            photo, kind ? sketch::BlendMode::kColorPencil : sketch::BlendMode::kPencil, &drawing);
        shown = &drawing;
    }
    ViewPicture view;
    view.hasBitmap = view.visible = true;
    view.width = shown->Width;
    view.height = shown->Height;
    view.bitsPerPixel = shown->BitsPerPixel;
    view.bytesPerLine = shown->BytesPerLine;
    view.pixels.assign(shown->Data, shown->Data + shown->Size);
    P_FreeBitmap(&photo);
    P_FreeBitmap(&drawing);
    return view;
}

void Report(benchmark::State& state, const ViewPicture& view, size_t packed) {
    state.counters["KiB/step"] = double(packed) / 1024.0;
    state.counters["ratio"] = double(view.pixels.size()) / double(packed);
}

void BM_PackStep(benchmark::State& state) {
    const ViewPicture view = RightView(int(state.range(0)));
    size_t packed = 0;
    for (auto _ : state) {
        const UndoHistory::Packed p = UndoHistory::Pack(view);
        packed = p.data.size();
        benchmark::DoNotOptimize(p.data.data());
    }
    Report(state, view, packed);
}

void BM_UnpackStep(benchmark::State& state) {
    const ViewPicture view = RightView(int(state.range(0)));
    const UndoHistory::Packed packed = UndoHistory::Pack(view);
    for (auto _ : state) benchmark::DoNotOptimize(UndoHistory::Unpack(packed).pixels.data());
    Report(state, view, packed.data.size());
}

// What each command costs that ends without a change, such as a cancelled
// dialog: the view is compared with the current state, nothing is packed.
void BM_ObserveUnchanged(benchmark::State& state) {
    const ViewPicture view = RightView(int(state.range(0)));
    UndoHistory history;
    history.Reset(view);
    for (auto _ : state) benchmark::DoNotOptimize(history.Observe(view));
}

BENCHMARK(BM_ObserveUnchanged)->Arg(0)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PackStep)->Arg(0)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_UnpackStep)->Arg(0)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
