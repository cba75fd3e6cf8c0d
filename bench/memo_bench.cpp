// SPDX-License-Identifier: GPL-3.0-or-later
// Cost of putting an update answer into the hidden text box and reading its
// row 0, for answers of one long line and of many short lines, up to the box's
// capacity, and of refusing an answer beyond it.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QPlainTextEdit>
#include <string>

#include "app/update/memo_rows.h"

namespace {

// Words and blanks without a line break: one block that wraps into many rows.
std::string OneLine(std::size_t size) {
    std::string text;
    while (text.size() < size) text += "word ";
    text.resize(size);
    return text;
}

// One word without blanks: each row breaks inside it.
std::string OneWord(std::size_t size) {
    return std::string(size, 'x');
}

// "ab" lines, each with its CR LF.
std::string ShortLines(std::size_t size) {
    std::string text;
    while (text.size() < size) text += "ab\r\n";
    text.resize(size);
    return text;
}

void Run(benchmark::State& state, const std::string& answer) {
    for (auto _ : state) {
        QPlainTextEdit memo;
        SetUpLineSplitter(memo);
        try {
            SetMemoAnswer(memo, answer);
            benchmark::DoNotOptimize(MemoRowZero(memo));
        } catch (const EMemoCapacity&) {
        }
    }
    state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(answer.size()));
}

void BM_MemoOneLine(benchmark::State& state) {
    Run(state, OneLine(static_cast<std::size_t>(state.range(0))));
}
BENCHMARK(BM_MemoOneLine)
    ->Arg(4 << 10)
    ->Arg(16 << 10)
    ->Arg(kMemoCapacity)
    ->Unit(benchmark::kMillisecond);

void BM_MemoOneWord(benchmark::State& state) {
    Run(state, OneWord(static_cast<std::size_t>(state.range(0))));
}
BENCHMARK(BM_MemoOneWord)
    ->Arg(4 << 10)
    ->Arg(16 << 10)
    ->Arg(kMemoCapacity)
    ->Unit(benchmark::kMillisecond);

void BM_MemoShortLines(benchmark::State& state) {
    Run(state, ShortLines(static_cast<std::size_t>(state.range(0))));
}
BENCHMARK(BM_MemoShortLines)
    ->Arg(4 << 10)
    ->Arg(16 << 10)
    ->Arg(kMemoCapacity)
    ->Unit(benchmark::kMillisecond);

// A 4 MiB answer, the most the client accepts, is refused.
void BM_MemoRefusesOverCapacity(benchmark::State& state) {
    Run(state, OneLine(4 << 20));
}
BENCHMARK(BM_MemoRefusesOverCapacity)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
