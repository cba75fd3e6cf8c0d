// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/control_sketch_image.h"

#include <memory>

#include "imaging/engine/status_codes.h"
#include "platform/device_context.h"
#include "platform/qt/message_box.h"

// The control's operations raise their own errors, which end the command and
// reach the error box; a success is all they return here.

bool ControlSketchImage::HasPicture() const {
    return control_->HasBitmap() != nullptr;
}

sketch::PipelineResult ControlSketchImage::ToTrueColor() {
    if (control_->BitsPerPixel() != 24) control_->ColorRes(24);
    return {};
}

sketch::PipelineResult ControlSketchImage::Desaturate() {
    control_->Saturation(-1000);
    control_->RefreshBitmap();
    return {};
}

sketch::PipelineResult ControlSketchImage::Invert() {
    control_->Invert();
    return {};
}

sketch::PipelineResult ControlSketchImage::TakeRows(sketch::PassRows* out) {
    out->block = std::make_unique<sketch::LockedDib>(control_->GetDIB(0));
    const sketch::LockedDib& dib = *out->block;
    if (!dib.HasBlock()) return sketch::Failed("handle error", pix::kNoMemory);
    const auto rows = dib.Usable() ? sketch::PackedDibRows(dib.bytes(), dib.size()) : std::nullopt;
    if (!rows) return sketch::Failed("bits not allocated", pix::kNoMemory);
    out->rows = *rows;
    out->header = dib.HeaderCopy();
    out->bits = dib.Pixels();
    return {};
}

sketch::PipelineResult ControlSketchImage::DrawBack(const sketch::PassRows& rows, int32_t width,
                                                    int32_t height) {
    HDC dc = control_->GetBitmapDC();
    if (StretchDIBits(dc, 0, 0, width, height, 0, 0, width, height, rows.bits, &rows.header,
                      DIB_RGB_COLORS, SRCCOPY) == GDI_ERROR)
        ShowUserMessage("error");
    control_->ReleaseBitmapDC();
    control_->RefreshBitmap();
    control_->setVisible(true);
    return {};
}

sketch::PipelineResult ControlSketchImage::Reload() {
    if (photoFileName_) control_->Load(*photoFileName_, 0, 0, 1);
    return {};
}
