// SPDX-License-Identifier: GPL-3.0-or-later
// Where strakel-sketch writes each drawing and in which format.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace cli {

// The engine's format code for the extension of `path` (any case) when the
// engine can save a drawing in that format, or nothing.
std::optional<int32_t> OutputFormatFor(const std::string& path);
// The extensions OutputFormatFor takes, as a list for messages:
// ".bmp, .png, ... or .rgb".
std::string OutputExtensions();

// OUT with -o; DIR/NAME-sketch.EXT with -d; else NAME-sketch.EXT beside the
// photo, NAME being the photo's file name without its extension and EXT the
// extension `extension` (with the dot).
std::string OutputPathFor(const std::string& photo, const std::optional<std::string>& output,
                          const std::optional<std::string>& outputDir,
                          const std::string& extension = ".png");

}  // namespace cli
