// Peak memory of strakel-sketch drawing a 4000 x 3000 photo with --any-size:
// the tool runs as a child process and its peak resident size is reported as
// the counter peak_MiB, for a JPEG and a BMP photo and both drawing modes.
#include <benchmark/benchmark.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>

#include <string>
#include <vector>

#include "bench/bench_photo.h"
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

void DrawPhoto(benchmark::State& state, const std::string& photo, bool color) {
    const std::string out = bench::TempPath("drawing.png");
    std::vector<std::string> args = {STRAKEL_SKETCH_EXE, "--any-size", "-o", out};
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
    state.counters["pixels_MiB"] = double(kWidth) * kHeight * 3 / (1024.0 * 1024.0);
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

}  // namespace

BENCHMARK(BM_DrawJpegPencil)->Iterations(1)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_DrawJpegColorPencil)->Iterations(1)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_DrawBmpPencil)->Iterations(1)->Unit(benchmark::kMillisecond)->UseRealTime();

BENCHMARK_MAIN();
