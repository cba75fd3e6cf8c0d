// SPDX-License-Identifier: GPL-3.0-or-later
// The one sequence of Draw sketch and Equalize, over the image interface that
// the window's controls and plain engine bitmaps implement.
#pragma once

#include <cstdint>

#include "sketch/blend_pass.h"
#include "sketch/sketch_image.h"
#include "sketch/sketch_pass.h"

namespace sketch {

// Draw sketch up to the blend: both images 24-bit, `work` desaturated, the
// sketch pass over its rows of size width x height with the edge threshold,
// those drawn into `view`, and `view` inverted. "Imges empty" when either
// image has no picture.
PipelineResult RenderEdges(SketchImage& work, SketchImage& view, int32_t width, int32_t height,
                           int threshold = kEdgeThreshold);

// Equalize: reloads `work`, desaturates it unless `mode` is colour pencil,
// blends it into `view`'s rows with the mode's weight, or `tonePercent` of the
// photo when given, and draws those back. "Imges empty" when either image has
// no picture after the reload.
PipelineResult BlendPhoto(SketchImage& work, SketchImage& view, int32_t width, int32_t height,
                          BlendMode mode);
PipelineResult BlendPhoto(SketchImage& work, SketchImage& view, int32_t width, int32_t height,
                          BlendMode mode, int tonePercent);

}  // namespace sketch
