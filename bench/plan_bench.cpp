// SPDX-License-Identifier: GPL-3.0-or-later
// Cost of planning a strakel-sketch batch (output names, clash and existence
// checks) for many photos, before any photo is drawn: with new outputs, and
// with every output there already as in a second run of the same batch.
#include <benchmark/benchmark.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "cli/batch_plan.h"
#include "cli/cli_options.h"

namespace {

namespace fs = std::filesystem;

// A folder of `count` (empty) photo files and an output folder, removed at the
// end.
class PhotoFolder {
public:
    explicit PhotoFolder(int count) {
        std::string pattern = (fs::temp_directory_path() / "strakel-plan-XXXXXX").string();
        if (::mkdtemp(pattern.data())) dir_ = pattern;
        fs::create_directories(dir_ / "out");
        for (int i = 0; i < count; ++i) {
            const std::string name = "photo" + std::to_string(i);
            std::ofstream(dir_ / (name + ".jpg"));
            photos_.push_back((dir_ / (name + ".jpg")).string());
        }
    }
    ~PhotoFolder() { fs::remove_all(dir_); }
    PhotoFolder(const PhotoFolder&) = delete;
    PhotoFolder& operator=(const PhotoFolder&) = delete;

    void MakeOutputs() const {
        for (size_t i = 0; i < photos_.size(); ++i)
            std::ofstream(dir_ / "out" / ("photo" + std::to_string(i) + "-sketch.png"));
    }

    cli::CliOptions Options() const {
        cli::CliOptions o;
        o.outputDir = (dir_ / "out").string();
        o.photos = photos_;
        return o;
    }

private:
    fs::path dir_;
    std::vector<std::string> photos_;
};

void BM_PlanNewOutputs(benchmark::State& state) {
    PhotoFolder folder(int(state.range(0)));
    const cli::CliOptions options = folder.Options();
    for (auto _ : state) {
        const cli::BatchPlan plan = cli::PlanBatch(options, 0);
        if (plan.jobs.size() != options.photos.size()) state.SkipWithError("a photo was refused");
        benchmark::DoNotOptimize(plan);
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}

void BM_PlanExistingOutputs(benchmark::State& state) {
    PhotoFolder folder(int(state.range(0)));
    folder.MakeOutputs();
    const cli::CliOptions options = folder.Options();
    for (auto _ : state) {
        const cli::BatchPlan plan = cli::PlanBatch(options, 0);
        if (plan.refused.size() != options.photos.size())
            state.SkipWithError("an existing output was not refused");
        benchmark::DoNotOptimize(plan);
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}

}  // namespace

BENCHMARK(BM_PlanNewOutputs)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PlanExistingOutputs)->Arg(10000)->Unit(benchmark::kMillisecond);
BENCHMARK_MAIN();
