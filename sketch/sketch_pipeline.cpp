// SPDX-License-Identifier: GPL-3.0-or-later
#include "sketch/sketch_pipeline.h"

#include "imaging/engine/status_codes.h"
#include "sketch/bitmap_sketch_image.h"
#include "sketch/draw_sequence.h"
#include "sketch/pencil_shading.h"

namespace sketch {

PipelineResult DrawSketch(const PixBitmap& photo, BlendMode mode, PixBitmap* rightView) {
    return DrawSketch(photo, mode, DrawingLook{}, rightView);
}

PipelineResult DrawSketch(const PixBitmap& photo, BlendMode mode, const DrawingLook& look,
                          PixBitmap* rightView) {
    if (!(photo.Flags & kBitmapAllocated)) return Failed("Imges empty", pix::kInvalidBitmap);
    PixBitmap work{};
    P_InitBitmap(&work, sizeof work, 0, 0, 0);
    P_FreeBitmap(rightView);
    P_InitBitmap(rightView, sizeof *rightView, 0, 0, 0);

    BitmapSketchImage workImage(&work, &photo);
    BitmapSketchImage viewImage(rightView, &photo);
    PipelineResult result = workImage.Reload();
    if (result.ok()) result = viewImage.Reload();
    if (result.ok())
        result = RenderEdges(workImage, viewImage, photo.Width, photo.Height, look.threshold);
    if (result.ok())
        result =
            BlendPhoto(workImage, viewImage, photo.Width, photo.Height, mode, look.ToneFor(mode));
    // The work image holds the reloaded photo, grey unless colour pencil.
    if (result.ok() && look.shading) {
        PassRows workRows, viewRows;
        result = workImage.TakeRows(&workRows);
        if (result.ok()) result = viewImage.TakeRows(&viewRows);
        if (result.ok()) ShadingPass(workRows.rows, viewRows.rows, photo.Width, photo.Height);
    }
    P_FreeBitmap(&work);
    return result;
}

}  // namespace sketch
