// SPDX-License-Identifier: GPL-3.0-or-later
// The command line of strakel-sketch: what it asks for, or why it is unusable.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace cli {

// --any-size lifts the window's size rule up to this many pixels: a larger
// photo would need several gigabytes on its way through the drawing.
constexpr int64_t kAnySizeMaxPixels = 100'000'000;

struct CliOptions {
    bool help = false;
    bool version = false;
    bool colorPencil = false;
    bool anySize = false;
    bool quiet = false;                    // -q: nothing but errors
    bool force = false;                    // -f: existing outputs may be replaced
    std::optional<std::string> output;     // -o OUT, "-" for standard output
    std::optional<std::string> outputDir;  // -d DIR
    std::optional<std::string> list;       // --list FILE, "-" for standard input
    bool nullSeparated = false;            // -0: the names of --list end with NUL bytes
    unsigned jobs = 0;                     // -j N; 0 = one per core
    int32_t brightness = 0;                // --brightness C, -1000 to 1000
    int32_t sharpen = 0;                   // --sharpen A, 0 to 1000
    int32_t threshold = 14;                // --threshold T, 0 to 255
    std::optional<int32_t> tone;           // --tone W, 0 to 100 %; empty: the mode's own
    bool shading = false;                  // --shading
    int32_t quality = 90;                  // --quality Q, libjpeg's 1 to 100, for JPEG
    std::optional<std::string> format;     // --format EXT, as an extension with the dot
    std::vector<std::string> photos;
};

struct ParsedCommandLine {
    CliOptions options;
    std::string error;  // empty when the command line is usable
};

// Parses GNU style: options and photos in any order, short options with their
// value attached or separate, long ones with "=" or a space, "--" ending the
// options. The photos of --list are not read here: see PhotoCountError().
ParsedCommandLine ParseCommandLine(const std::vector<std::string>& args);

// The name that stands for standard input as a photo and for standard output
// as -o's file.
inline constexpr char kStandardStream[] = "-";

// Empty when `options` has photos to draw and -o is given at most one of them,
// standard input is read at most once and its photo has -o, else why not.
// Judged once the photos of --list have been added.
std::string PhotoCountError(const CliOptions& options);

// The text of --help.
std::string UsageText();

}  // namespace cli
