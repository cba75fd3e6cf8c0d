// SPDX-License-Identifier: GPL-3.0-or-later
// strakel-sketch: turns photos into pencil drawings from the command line, with
// the same engine and passes as the window's Draw sketch.
#include <atomic>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <exception>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <new>
#include <string>
#include <thread>
#include <vector>

#include "cli/batch_plan.h"
#include "cli/cli_options.h"
#include "cli/interrupt_cleanup.h"
#include "cli/output_paths.h"
#include "cli/photo_list.h"
#include "cli/printable_name.h"
#include "cli/progress_bar.h"
#include "cli/sketch_job.h"
#include "imaging/control/status/status_message.h"
#include "imaging/engine/codecs/save_options.h"
#include "imaging/engine/file_read.h"
#include "imaging/engine/status_codes.h"
#include "platform/pixel_memory.h"
#include "strakel_version.h"

namespace {

constexpr int kExitOk = 0;
constexpr int kExitFailed = 1;
constexpr int kExitUsage = 2;

int UsageError(const std::string& message) {
    std::fprintf(stderr, "strakel-sketch: %s\nTry 'strakel-sketch --help'.\n", message.c_str());
    return kExitUsage;
}

// `reason` names its files printably already.
std::string Failure(const std::string& photo, const std::string& reason) {
    return "strakel-sketch: " + cli::PrintableName(photo) + ": " + reason;
}

// Runs one photo; whatever goes wrong with it is reported as its failure and
// the batch goes on.
std::string RunJob(const cli::SketchJob& job) {
    try {
        return cli::RunSketchJob(job);
    } catch (const std::bad_alloc&) {
        return StatusMessage(pix::kNoMemory);
    } catch (const std::exception& e) {
        return e.what();
    }
}

// Reads standard input to its end into `bytes`, up to the largest file the
// engine reads; empty on success, else why not.
std::string ReadStandardInput(std::vector<uint8_t>* bytes) {
    uint8_t buffer[1 << 16];
    for (;;) {
        const size_t n = std::fread(buffer, 1, sizeof buffer, stdin);
        if (bytes->size() + n > pix::kMaxImageFileBytes) return StatusMessage(pix::kNoMemory);
        bytes->insert(bytes->end(), buffer, buffer + n);
        if (n < sizeof buffer) break;
    }
    if (std::ferror(stdin))
        return std::string("cannot read standard input: ") + std::strerror(errno);
    return {};
}

}  // namespace

int main(int argc, char** argv) {
    // Each photo passes through several picture-sized buffers in turn. Keeping
    // freed ones mapped for the next photo, rather than returning them to the
    // system, spares the page faults and the zeroing of fresh memory for every
    // one of them.
    KeepFreedPixelMemory(SIZE_MAX);
    const cli::ParsedCommandLine parsed =
        cli::ParseCommandLine(std::vector<std::string>(argv + 1, argv + argc));
    if (!parsed.error.empty()) return UsageError(parsed.error);
    cli::CliOptions options = parsed.options;
    if (options.help) {
        std::fputs(cli::UsageText().c_str(), stdout);
        return kExitOk;
    }
    if (options.version) {
        std::fputs(StrakelVersionNotice("strakel-sketch").c_str(), stdout);
        return kExitOk;
    }
    if (options.list) {
        const std::string& name = *options.list;
        std::ifstream file;
        if (name != "-") {
            file.open(name, std::ios::binary);
            if (!file) {
                std::fprintf(stderr, "strakel-sketch: cannot read list %s: %s\n",
                             cli::PrintableName(name).c_str(), std::strerror(errno));
                return kExitFailed;
            }
        }
        const std::string error = cli::ReadPhotoList(name == "-" ? std::cin : file, &options.photos,
                                                     options.nullSeparated);
        if (!error.empty()) return UsageError("list " + cli::PrintableName(name) + ": " + error);
        if (std::string count = cli::PhotoCountError(options); !count.empty())
            return UsageError(count);
    }
    // --format chooses the format; without it the output name's extension does.
    // (0: none chosen; no format has code 0.)
    const int32_t chosen =
        options.format ? cli::OutputFormatFor("x" + *options.format).value_or(0) : 0;
    if (options.output && *options.output != cli::kStandardStream) {
        const int32_t named = cli::OutputFormatFor(*options.output).value_or(0);
        if (!named && !chosen)
            return UsageError("cannot write " + cli::PrintableName(*options.output) +
                              ": use a name ending in " + cli::OutputExtensions() +
                              ", or --format");
        if (named && chosen && named != chosen)
            return UsageError("option --format " + options.format->substr(1) +
                              " and the extension of " + cli::PrintableName(*options.output) +
                              " differ");
    }

    // A folder named with -d is made when it does not exist yet.
    if (options.outputDir) {
        std::error_code error;
        std::filesystem::create_directories(*options.outputDir, error);
        if (error) {
            std::fprintf(stderr, "strakel-sketch: cannot make folder %s: %s\n",
                         cli::PrintableName(*options.outputDir).c_str(), error.message().c_str());
            return kExitFailed;
        }
    }

    // Plan every job first, so that no output can replace an input, another
    // job's output or, without --force, any existing file.
    const cli::BatchPlan plan = cli::PlanBatch(options, chosen);
    std::vector<cli::SketchJob> jobs = plan.jobs;

    // The photo "-" is read whole from standard input, as a file would be.
    std::vector<uint8_t> standardInput;
    for (cli::SketchJob& job : jobs) {
        if (job.photo != cli::kStandardStream) continue;
        if (const std::string error = ReadStandardInput(&standardInput); !error.empty()) {
            std::fprintf(stderr, "%s\n", Failure(job.photo, error).c_str());
            return kExitFailed;
        }
        job.photoBytes = &standardInput;
    }

    cli::RemoveTemporaryFilesOnInterrupt();
    cli::ProgressBar progress(stderr, options.photos.size(), !options.quiet);
    for (const cli::Refusal& refusal : plan.refused) {
        progress.message(Failure(refusal.photo, refusal.reason));
        progress.advance();
    }
    std::atomic<size_t> next{0};
    std::atomic<bool> anyFailed{!plan.refused.empty()};
    auto worker = [&] {
        for (size_t i = next++; i < jobs.size(); i = next++) {
            const std::string reason = RunJob(jobs[i]);
            if (!reason.empty()) {
                anyFailed = true;
                progress.message(Failure(jobs[i].photo, reason));
            }
            progress.advance();
        }
    };
    unsigned threads = options.jobs ? options.jobs : std::thread::hardware_concurrency();
    threads = std::max(1u, std::min<unsigned>(threads, static_cast<unsigned>(jobs.size())));
    std::vector<std::thread> pool;
    for (unsigned t = 1; t < threads; ++t) pool.emplace_back(worker);
    worker();
    for (std::thread& t : pool) t.join();
    progress.finish();
    return anyFailed ? kExitFailed : kExitOk;
}
