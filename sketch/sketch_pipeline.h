// The Draw sketch and Equalize sequences on engine bitmaps, without a window:
// the same engine calls and passes in the same order as the main window's
// commands, for the command-line tool and for comparing against the window.
#pragma once

#include <cstdint>
#include <string>

#include "imaging/engine/pix_bitmap.h"
#include "sketch/blend_pass.h"

namespace sketch {

// Outcome of a sequence: success, or the failing engine call or message and
// the engine's status.
struct PipelineResult {
    int32_t status = 1;   // engine status; 1 on success
    std::string message;  // empty on success; "handle error", "bits not allocated",
                          // "error", or the name of the failing engine call
    bool ok() const { return message.empty(); }
};

// Draw sketch up to the blend: desaturates `work` (-1000), runs the sketch pass
// over its DIB with the size width x height, draws the result into `rightView`
// and inverts `rightView`. Both bitmaps are converted to 24 bits first.
PipelineResult RenderEdges(PixBitmap* work, PixBitmap* rightView, int32_t width, int32_t height);

// Equalize after the reload: desaturates `work` unless `mode` is colour pencil,
// blends it into `rightView`'s DIB and draws that back. Both bitmaps are
// converted to 24 bits first.
PipelineResult BlendPhoto(PixBitmap* work, PixBitmap* rightView, int32_t width, int32_t height,
                          BlendMode mode);

// The whole Draw sketch of a loaded photo: `rightView` (an initialised
// descriptor; any previous pixels are freed) receives the 24-bit drawing that the right view shows
// afterwards. The work image is loaded from `photo` before each of the two sequences, as the window
// reloads the same file; `photo` itself is not changed.
PipelineResult DrawSketch(const PixBitmap& photo, BlendMode mode, PixBitmap* rightView);

}  // namespace sketch
