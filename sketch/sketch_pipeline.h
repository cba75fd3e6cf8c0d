// SPDX-License-Identifier: GPL-3.0-or-later
// The whole drawing of a loaded photo without a window, for the command-line
// tool and for comparing against the window: the same sequence as the main
// window's Draw sketch and Equalize, on plain engine bitmaps.
#pragma once

#include "imaging/engine/pix_bitmap.h"
#include "sketch/blend_pass.h"
#include "sketch/drawing_look.h"
#include "sketch/sketch_image.h"

namespace sketch {

// `rightView` (an initialised descriptor; any previous pixels are freed)
// receives the 24-bit drawing that the right view shows afterwards. The work
// image is loaded from `photo` before each of the two sequences, as the window
// reloads the same file; `photo` itself is not changed. Besides `photo`, at
// most two picture-sized buffers are held: the work image and the drawing.
PipelineResult DrawSketch(const PixBitmap& photo, BlendMode mode, PixBitmap* rightView);

// The same with the look asked for: its edge threshold in the sketch pass, its
// share of the photo in the blend and, with shading, the shading pass over
// the blended drawing. The default look gives the drawing above.
PipelineResult DrawSketch(const PixBitmap& photo, BlendMode mode, const DrawingLook& look,
                          PixBitmap* rightView);

}  // namespace sketch
