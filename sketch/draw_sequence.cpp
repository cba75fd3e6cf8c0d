// SPDX-License-Identifier: GPL-3.0-or-later
#include "sketch/draw_sequence.h"

#include <utility>

#include "imaging/engine/status_codes.h"
#include "sketch/sketch_pass.h"

namespace sketch {

PipelineResult Failed(std::string message, int32_t status) {
    return PipelineResult{status, std::move(message)};
}

PipelineResult RenderEdges(SketchImage& work, SketchImage& view, int32_t width, int32_t height,
                           int threshold) {
    if (!view.HasPicture() || !work.HasPicture()) return Failed("Imges empty", pix::kInvalidBitmap);
    if (auto r = work.ToTrueColor(); !r.ok()) return r;
    if (auto r = view.ToTrueColor(); !r.ok()) return r;
    if (auto r = work.Desaturate(); !r.ok()) return r;
    {
        PassRows rows;
        if (auto r = work.TakeRows(&rows); !r.ok()) return r;
        SketchPass(rows.rows, width, height, threshold);
        if (auto r = view.DrawBack(rows, width, height); !r.ok()) return r;
    }
    return view.Invert();
}

PipelineResult BlendPhoto(SketchImage& work, SketchImage& view, int32_t width, int32_t height,
                          BlendMode mode) {
    return BlendPhoto(work, view, width, height, mode, DefaultTonePercent(mode));
}

PipelineResult BlendPhoto(SketchImage& work, SketchImage& view, int32_t width, int32_t height,
                          BlendMode mode, int tonePercent) {
    if (auto r = work.Reload(); !r.ok()) return r;
    // A reload that failed leaves nothing to desaturate; the check below then
    // tells the user.
    if (mode == BlendMode::kPencil && work.HasPicture()) {
        if (auto r = work.ToTrueColor(); !r.ok()) return r;
        if (auto r = work.Desaturate(); !r.ok()) return r;
    }
    if (!work.HasPicture() || !view.HasPicture()) return Failed("Imges empty", pix::kInvalidBitmap);
    if (auto r = work.ToTrueColor(); !r.ok()) return r;
    if (auto r = view.ToTrueColor(); !r.ok()) return r;
    PassRows workRows, viewRows;
    if (auto r = work.TakeRows(&workRows); !r.ok()) return r;
    if (auto r = view.TakeRows(&viewRows); !r.ok()) return r;
    BlendPass(workRows.rows, viewRows.rows, width, height, tonePercent);
    return view.DrawBack(viewRows, width, height);
}

}  // namespace sketch
