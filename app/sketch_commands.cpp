// Sketch > Draw sketch and Sketch > Equalize: the two pixel passes run on DIBs
// taken from the image controls and drawn back into the right view.
#include <memory>

#include "app/main_window.h"
#include "platform/device_context.h"
#include "platform/dib.h"
#include "platform/qt/message_box.h"
#include "sketch/blend_pass.h"
#include "sketch/locked_dib.h"
#include "sketch/sketch_pass.h"

namespace {

using sketch::LockedDib;

// Takes the control's DIB; on failure says why and returns false.
bool TakeDib(TPixImage* image, std::unique_ptr<LockedDib>* out) {
    *out = std::make_unique<LockedDib>(image->GetDIB(0));
    if (!(*out)->HasBlock()) {
        ShowUserMessage("handle error");
        return false;
    }
    if (!(*out)->Usable()) {
        ShowUserMessage("bits not allocated");
        return false;
    }
    return true;
}

// Draws a DIB's pixels 1:1 into the right view's bitmap and shows the view.
void DrawIntoView(TPixImage* view, const LockedDib& dib, const BITMAPINFO& header, int32_t w,
                  int32_t h) {
    HDC dc = view->GetBitmapDC();
    if (StretchDIBits(dc, 0, 0, w, h, 0, 0, w, h, dib.Pixels(), &header, DIB_RGB_COLORS, SRCCOPY) ==
        GDI_ERROR) {
        ShowUserMessage("error");
    }
    view->ReleaseBitmapDC();
    view->RefreshBitmap();
    view->setVisible(true);
}

// Grey and palette pictures become 24-bit first, so that they sketch like any
// other and nothing is quantised to a palette.
void MakeTrueColour(TPixImage* image) {
    if (image->BitsPerPixel() != 24) image->ColorRes(24);
}

}  // namespace

void TForm1::Drawsketch1Click() {
    if (!PixImage2->HasBitmap() || !Pixbackgnd->HasBitmap()) {
        ShowUserMessage("Imges empty");
        return;
    }
    MakeTrueColour(Pixbackgnd);
    MakeTrueColour(PixImage2);
    Pixbackgnd->Saturation(-1000);
    Pixbackgnd->RefreshBitmap();

    std::unique_ptr<LockedDib> work;
    if (!TakeDib(Pixbackgnd, &work)) return;
    const BITMAPINFO header = work->HeaderCopy();
    const int32_t w = PixImage1->BitmapWidth();
    const int32_t h = PixImage1->BitmapHeight();
    sketch::SketchPass(work->bytes(), work->size(), w, h);
    DrawIntoView(PixImage2, *work, header, w, h);
    work.reset();

    PixImage2->Invert();
    Equalize1->trigger();
}

void TForm1::Equalize1Click() {
    Pixbackgnd->Load(m_photoFileName, 0, 0, 1);
    sketch::BlendMode mode = sketch::BlendMode::kColorPencil;
    if (!color_pencil->isChecked()) {
        mode = sketch::BlendMode::kPencil;
        // A reload that failed leaves nothing to desaturate; the check below
        // then tells the user.
        if (Pixbackgnd->HasBitmap()) {
            MakeTrueColour(Pixbackgnd);
            Pixbackgnd->Saturation(-1000);
            Pixbackgnd->RefreshBitmap();
        }
    }
    if (!Pixbackgnd->HasBitmap() || !PixImage2->HasBitmap()) {
        ShowUserMessage("Imges empty");
        return;
    }
    MakeTrueColour(Pixbackgnd);
    MakeTrueColour(PixImage2);

    std::unique_ptr<LockedDib> work, view;
    if (!TakeDib(Pixbackgnd, &work) || !TakeDib(PixImage2, &view)) return;
    const BITMAPINFO header = view->HeaderCopy();
    const int32_t w = PixImage1->BitmapWidth();
    const int32_t h = PixImage1->BitmapHeight();
    sketch::BlendPass(work->bytes(), work->size(), view->bytes(), view->size(), w, h, mode);
    DrawIntoView(PixImage2, *view, header, w, h);
}
