// SPDX-License-Identifier: GPL-3.0-or-later
// Sketch > Draw sketch and Sketch > Equalize: the drawing sequence on the image
// controls; what stops it is told to the user.
#include "app/control_sketch_image.h"
#include "app/main_window.h"
#include "platform/qt/message_box.h"
#include "sketch/draw_sequence.h"

void TForm1::Drawsketch1Click() {
    ControlSketchImage work(Pixbackgnd), view(PixImage2);
    const sketch::PipelineResult result =
        sketch::RenderEdges(work, view, PixImage1->BitmapWidth(), PixImage1->BitmapHeight());
    if (!result.ok()) {
        ShowUserMessage(result.message);
        return;
    }
    Equalize1->trigger();
}

void TForm1::Equalize1Click() {
    ControlSketchImage work(Pixbackgnd, &photoFileName_), view(PixImage2);
    const sketch::BlendMode mode =
        color_pencil->isChecked() ? sketch::BlendMode::kColorPencil : sketch::BlendMode::kPencil;
    const sketch::PipelineResult result =
        sketch::BlendPhoto(work, view, PixImage1->BitmapWidth(), PixImage1->BitmapHeight(), mode);
    if (!result.ok()) ShowUserMessage(result.message);
}
