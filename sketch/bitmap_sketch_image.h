// SPDX-License-Identifier: GPL-3.0-or-later
// A plain engine bitmap as the drawing sequence's image: the engine's calls on
// it, its rows handed out in place (no DIB copy), and a reload that copies the
// photo back in.
#pragma once

#include "imaging/engine/pix_bitmap.h"
#include "sketch/sketch_image.h"

namespace sketch {

class BitmapSketchImage final : public SketchImage {
public:
    // `bitmap` is worked on; `photo`, when given, is what Reload copies in.
    explicit BitmapSketchImage(PixBitmap* bitmap, const PixBitmap* photo = nullptr)
        : bitmap_(bitmap), photo_(photo) {}

    bool HasPicture() const override;
    PipelineResult ToTrueColor() override;
    PipelineResult Desaturate() override;
    PipelineResult Invert() override;
    PipelineResult TakeRows(PassRows* out) override;
    // A failed draw fails the drawing: a plain bitmap has nobody to tell.
    PipelineResult DrawBack(const PassRows& rows, int32_t width, int32_t height) override;
    PipelineResult Reload() override;

private:
    PixBitmap* bitmap_;
    const PixBitmap* photo_;
};

}  // namespace sketch
