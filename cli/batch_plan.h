// SPDX-License-Identifier: GPL-3.0-or-later
// The plan of a strakel-sketch batch: the job of each photo, or why the photo
// is not run because its output would replace an input, another drawing or an
// existing file.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "cli/cli_options.h"
#include "cli/sketch_job.h"

namespace cli {

struct Refusal {
    std::string photo;
    std::string reason;  // names printable already (PrintableName)
};

struct BatchPlan {
    std::vector<SketchJob> jobs;
    std::vector<Refusal> refused;
};

// Plans a job for every photo of `options`, writing the format `format`
// (0: the one the output's extension names). Two paths name one output when
// their folders are the same folder (device and inode) and their names are
// equal, however they are spelt. A link at an output is followed to its
// target with --force; without it, any existing output is refused. Each path
// is looked at once, so that planning grows linearly with the batch.
BatchPlan PlanBatch(const CliOptions& options, int32_t format);

}  // namespace cli
