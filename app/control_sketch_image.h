// SPDX-License-Identifier: GPL-3.0-or-later
// An image control as the drawing sequence's image: the control's own
// operations, its DIB handed out for the passes, and drawing back through its
// device context.
#pragma once

#include <string>

#include "imaging/control/pix_image.h"
#include "sketch/sketch_image.h"

class ControlSketchImage final : public sketch::SketchImage {
public:
    // `photoFileName` is what Reload loads (the work image); may be null.
    explicit ControlSketchImage(TPixImage* control, const std::string* photoFileName = nullptr)
        : control_(control), photoFileName_(photoFileName) {}

    bool HasPicture() const override;
    sketch::PipelineResult ToTrueColor() override;
    sketch::PipelineResult Desaturate() override;
    sketch::PipelineResult Invert() override;
    sketch::PipelineResult TakeRows(sketch::PassRows* out) override;
    // A failed draw is told to the user, and the view is still refreshed and
    // shown, so that the command goes on.
    sketch::PipelineResult DrawBack(const sketch::PassRows& rows, int32_t width,
                                    int32_t height) override;
    sketch::PipelineResult Reload() override;

private:
    TPixImage* control_;
    const std::string* photoFileName_;
};
