// SPDX-License-Identifier: GPL-3.0-or-later
// One photo through strakel-sketch: load, size check, drawing, retouch, atomic
// save.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "sketch/drawing_look.h"

namespace cli {

struct SketchJob {
    std::string photo;
    // The bytes of the photo "-", read from standard input; null for a file.
    const std::vector<uint8_t>* photoBytes = nullptr;
    std::string output;         // as the user named it, for messages
    std::string writePath;      // where the file is written: the target of a link at `output`
    bool replace = false;       // --force: an existing file at writePath may be replaced
    int32_t format = 0;         // engine file format code of the output
    int32_t qualityFactor = 2;  // the engine's quality factor, for JPEG
    bool colorPencil = false;
    sketch::DrawingLook look;  // threshold, tone and shading of the drawing
    bool anySize = false;
    int32_t brightness = 0;  // retouch after the drawing, as the window's dialogs
    int32_t sharpen = 0;
};

// Empty when a photo of width x height may be drawn, else why it is refused:
// the window's size rule, or with `anySize` the pixel limit of --any-size.
std::string SizeRefusal(int32_t width, int32_t height, bool anySize);

// Empty on success, else the reason the photo failed. The size is judged from
// the file's header before any pixel is decoded. The output "-" is standard
// output: the drawing is encoded into an unlinked temporary file first, so
// that a failed save writes nothing there.
std::string RunSketchJob(const SketchJob& job);

}  // namespace cli
