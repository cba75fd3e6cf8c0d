// SPDX-License-Identifier: GPL-3.0-or-later
// Peak memory of strakel-sketch drawing with --any-size: the tool runs as a
// child process and its peak resident size is reported as the counter
// peak_MiB, next to budget_MiB (three 24-bit pictures plus 32 MiB). Photos: a
// 4000 x 3000 JPEG and BMP in both drawing modes, a grey JPEG of that size,
// and small files that describe pictures of 1024 x 65535 (JPEG 2000 and J2K,
// grey PNG, RLE8 BMP) and a 1024 x 65500 progressive JPEG.
#include <benchmark/benchmark.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>

#include <string>
#include <vector>

#include "bench/bench_photo.h"
#include "bench/small_big_files.h"
#include "imaging/engine/codecs/file_format.h"
#include "imaging/engine/file_load.h"
#include "imaging/engine/file_save.h"

extern char** environ;

namespace {

constexpr int kWidth = 4000;
constexpr int kHeight = 3000;

const std::string& JpegPhoto() {
    static const std::string path = [] {
        const std::string p = bench::TempPath("photo.jpg");
        bench::WriteFile(p, bench::JpegPhoto(kWidth, kHeight));
        return p;
    }();
    return path;
}

// The same photo as a 24-bit BMP, written by the engine from the decoded JPEG.
const std::string& BmpPhoto() {
    static const std::string path = [] {
        PixBitmap photo{};
        P_InitBitmap(&photo, sizeof photo, 0, 0, 0);
        const std::string p = bench::TempPath("photo.bmp");
        if (pix::LoadBitmapFile(JpegPhoto(), &photo, 0) == 1)
            pix::SaveBitmapFile(photo, p, pix::kFormatBmp);
        P_FreeBitmap(&photo);
        return p;
    }();
    return path;
}

// Runs the tool; its peak resident size in MiB, or -1 when it failed.
double PeakMiB(const std::vector<std::string>& args) {
    std::vector<char*> argv;
    for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    pid_t pid = 0;
    if (posix_spawn(&pid, argv[0], nullptr, nullptr, argv.data(), environ) != 0) return -1;
    int status = 0;
    rusage usage{};
    if (wait4(pid, &status, 0, &usage) != pid) return -1;
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) return -1;
    return double(usage.ru_maxrss) / 1024.0;  // ru_maxrss is in KiB
}

// Writes a generated file once; its path.
template <typename Make>
const std::string& Generated(const char* name, Make make) {
    static const std::string path = [&] {
        const std::string p = bench::TempPath(name);
        bench::WriteFile(p, make());
        return p;
    }();
    return path;
}

void DrawPhoto(benchmark::State& state, const std::string& photo, bool color, int width = kWidth,
               int height = kHeight) {
    const std::string out = bench::TempPath("drawing.png");
    std::vector<std::string> args = {STRAKEL_SKETCH_EXE, "--any-size", "-f", "-o", out};
    if (color) args.push_back("--color");
    args.push_back(photo);
    double peak = 0;
    for (auto _ : state) {
        peak = PeakMiB(args);
        if (peak < 0) {
            state.SkipWithError("strakel-sketch failed");
            return;
        }
    }
    state.counters["peak_MiB"] = peak;
    state.counters["pixels_MiB"] = double(width) * height * 3 / (1024.0 * 1024.0);
    state.counters["budget_MiB"] = 3 * state.counters["pixels_MiB"] + 32;
    state.counters["file_bytes"] = double(bench::ReadFile(photo).size());
}

void BM_DrawJpegPencil(benchmark::State& state) {
    DrawPhoto(state, JpegPhoto(), false);
}
void BM_DrawJpegColorPencil(benchmark::State& state) {
    DrawPhoto(state, JpegPhoto(), true);
}
void BM_DrawBmpPencil(benchmark::State& state) {
    DrawPhoto(state, BmpPhoto(), false);
}

void BM_DrawGreyJpegPencil(benchmark::State& state) {
    DrawPhoto(state, Generated("grey.jpg", [] { return bench::GreyJpegPhoto(kWidth, kHeight); }),
              false);
}

constexpr int kTallWidth = 1024;
constexpr int kTallHeight = 65535;

void BM_TinyJp2Rgba(benchmark::State& state) {
    DrawPhoto(state,
              Generated("rgba.jp2",
                        [] { return bench::EmptyJpeg2000(kTallWidth, kTallHeight, 4, true); }),
              false, kTallWidth, kTallHeight);
}
void BM_TinyJ2kRgb(benchmark::State& state) {
    DrawPhoto(state,
              Generated("rgb.j2k",
                        [] { return bench::EmptyJpeg2000(kTallWidth, kTallHeight, 3, false); }),
              false, kTallWidth, kTallHeight);
}
void BM_SmallGreyPng(benchmark::State& state) {
    DrawPhoto(
        state,
        Generated("grey16.png", [] { return bench::BlackGrey16Png(kTallWidth, kTallHeight); }),
        false, kTallWidth, kTallHeight);
}
void BM_TinyRle8Bmp(benchmark::State& state) {
    DrawPhoto(state,
              Generated("rle8.bmp", [] { return bench::EmptyRle8Bmp(kTallWidth, kTallHeight); }),
              false, kTallWidth, kTallHeight);
}
void BM_SmallProgressiveJpeg(benchmark::State& state) {
    constexpr int kHeightJpeg = 65500;
    DrawPhoto(state,
              Generated("progressive.jpg",
                        [] { return bench::FlatProgressiveJpeg(kTallWidth, kHeightJpeg); }),
              false, kTallWidth, kHeightJpeg);
}

void BM_SmallProgressiveJpegFullChroma(benchmark::State& state) {
    constexpr int kHeightJpeg = 65500;
    DrawPhoto(state,
              Generated("progressive444.jpg",
                        [] { return bench::FlatProgressiveJpeg(kTallWidth, kHeightJpeg, true); }),
              false, kTallWidth, kHeightJpeg);
}

}  // namespace

BENCHMARK(BM_DrawJpegPencil)->Iterations(1)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_DrawJpegColorPencil)->Iterations(1)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_DrawBmpPencil)->Iterations(1)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_DrawGreyJpegPencil)->Iterations(1)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_TinyJp2Rgba)->Iterations(1)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_TinyJ2kRgb)->Iterations(1)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_SmallGreyPng)->Iterations(1)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_TinyRle8Bmp)->Iterations(1)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_SmallProgressiveJpeg)->Iterations(1)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_SmallProgressiveJpegFullChroma)
    ->Iterations(1)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

BENCHMARK_MAIN();
