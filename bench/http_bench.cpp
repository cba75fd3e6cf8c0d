// SPDX-License-Identifier: GPL-3.0-or-later
// Cost of reading HTTP answers from memory: lines through the input buffer,
// and whole answers of many header lines or many distinct cookies, up to the
// client's 4 MiB answer limit.
#include <benchmark/benchmark.h>

#include <string>

#include "net/http_answer.h"
#include "net/input_buffer.h"
#include "net/memory_stream.h"
#include "net/net_errors.h"

namespace {

constexpr std::size_t kAnswerSize = 4 << 20;

// Lines of lineLength bytes, each ending in CR LF, up to size bytes.
std::string Lines(std::size_t size, std::size_t lineLength) {
    const std::string line = std::string(lineLength, 'x') + "\r\n";
    std::string text;
    text.reserve(size + line.size());
    while (text.size() + line.size() <= size) text += line;
    return text;
}

// Reads every line of the text, handed out by the stream in pieces.
void BM_ReadLines(benchmark::State& state) {
    const std::string text = Lines(kAnswerSize - 1, static_cast<std::size_t>(state.range(0)));
    const auto piece = static_cast<std::size_t>(state.range(1));
    for (auto _ : state) {
        TNetMemoryStream stream(text, piece);
        TNetReadLimits limits;
        TNetInputBuffer in(stream, limits);
        std::size_t lines = 0;
        while (in.ReadLn({}).end == TNetInputBuffer::LineEnd::Complete) ++lines;
        benchmark::DoNotOptimize(lines);
    }
    state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(text.size()));
}
// Short lines, lines near the line limit; big pieces and small ones.
BENCHMARK(BM_ReadLines)
    ->Args({1, 32768})
    ->Args({16000, 32768})
    ->Args({1, 16})
    ->Unit(benchmark::kMillisecond);

void ReceiveAnswer(benchmark::State& state, const std::string& answer) {
    for (auto _ : state) {
        TNetMemoryStream stream(answer);
        TNetAnswerReader reader(stream, {});
        TNetHTTPResponse response;
        std::string statusLine;
        TNetCookieManager cookies;
        benchmark::DoNotOptimize(reader.Receive(response, statusLine, &cookies, "host"));
    }
    state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(answer.size()));
}

// A header block of short lines that fills the answer limit.
void BM_ReceiveManyHeaders(benchmark::State& state) {
    std::string answer = "HTTP/1.1 200 OK\r\n";
    while (answer.size() < kAnswerSize - 64) answer += "A: b\r\n";
    ReceiveAnswer(state, answer + "Content-Length: 0\r\n\r\n");
}
BENCHMARK(BM_ReceiveManyHeaders)->Unit(benchmark::kMillisecond);

// Distinct cookies that fill the answer limit.
void BM_ReceiveManyCookies(benchmark::State& state) {
    std::string answer = "HTTP/1.1 200 OK\r\n";
    for (std::size_t i = 0; answer.size() < kAnswerSize - 64; ++i)
        answer += "Set-Cookie: c" + std::to_string(i) + "=v\r\n";
    ReceiveAnswer(state, answer + "Content-Length: 0\r\n\r\n");
}
BENCHMARK(BM_ReceiveManyCookies)->Unit(benchmark::kMillisecond);

// A chunked body of one-byte chunks that fills the answer limit.
void BM_ReceiveSmallChunks(benchmark::State& state) {
    std::string answer = "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n";
    while (answer.size() < kAnswerSize - 64) answer += "1\r\nx\r\n";
    ReceiveAnswer(state, answer + "0\r\n\r\n");
}
BENCHMARK(BM_ReceiveSmallChunks)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
