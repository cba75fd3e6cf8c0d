// Sketch > Draw sketch and Sketch > Equalize: the two pixel passes run on DIBs
// taken from the image controls and drawn back into the right view.
#include <cstring>
#include <memory>

#include "app/dib_lock.h"
#include "app/main_window.h"
#include "app/sketch/blend_pass.h"
#include "app/sketch/sketch_pass.h"
#include "platform/device_context.h"
#include "platform/dib.h"
#include "platform/qt/message_box.h"

namespace {

// The command's copy of a DIB's header: a BITMAPINFO with one colour entry,
// which is not filled.
std::unique_ptr<BITMAPINFO> CopyHeader(const uint8_t* block) {
    auto info = std::make_unique<BITMAPINFO>();
    std::memset(info.get(), 0, sizeof(BITMAPINFO));
    std::memcpy(&info->bmiHeader, block, sizeof(BITMAPINFOHEADER));
    return info;
}

const uint8_t* PixelData(const uint8_t* block) {
    BITMAPINFOHEADER h;
    std::memcpy(&h, block, sizeof h);
    return block + h.biSize + 4 * size_t{h.biClrUsed};
}

// A block too small for its own header cannot be drawn from.
bool HeaderFits(const DibLock& dib) {
    if (dib.Size() < sizeof(BITMAPINFOHEADER)) return false;
    BITMAPINFOHEADER h;
    std::memcpy(&h, dib.Bytes(), sizeof h);
    return h.biSize >= sizeof h && uint64_t{h.biSize} + 4 * uint64_t{h.biClrUsed} <= dib.Size();
}

// Takes the control's DIB; on failure says why and returns false.
bool TakeDib(TPixImage* image, std::unique_ptr<DibLock>* out) {
    *out = std::make_unique<DibLock>(image->GetDIB(0));
    if (!(*out)->HasBlock()) {
        ShowUserMessage("handle error");
        return false;
    }
    if (!(*out)->Bytes() || !HeaderFits(**out)) {
        ShowUserMessage("bits not allocated");
        return false;
    }
    return true;
}

// Draws a DIB's pixels 1:1 into the right view's bitmap and shows the view.
void DrawIntoView(TPixImage* view, const uint8_t* pixels, const BITMAPINFO* header, int32_t w,
                  int32_t h) {
    HDC dc = view->GetBitmapDC();
    if (StretchDIBits(dc, 0, 0, w, h, 0, 0, w, h, pixels, header, DIB_RGB_COLORS, SRCCOPY) ==
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

    std::unique_ptr<DibLock> work;
    if (!TakeDib(Pixbackgnd, &work)) return;
    const auto header = CopyHeader(work->Bytes());
    const int32_t w = PixImage1->BitmapWidth();
    const int32_t h = PixImage1->BitmapHeight();
    sketch::SketchPass(work->Bytes(), work->Size(), w, h);
    DrawIntoView(PixImage2, PixelData(work->Bytes()), header.get(), w, h);
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

    std::unique_ptr<DibLock> work, view;
    if (!TakeDib(Pixbackgnd, &work) || !TakeDib(PixImage2, &view)) return;
    const auto header = CopyHeader(view->Bytes());
    const int32_t w = PixImage1->BitmapWidth();
    const int32_t h = PixImage1->BitmapHeight();
    sketch::BlendPass(work->Bytes(), work->Size(), view->Bytes(), view->Size(), w, h, mode);
    DrawIntoView(PixImage2, PixelData(view->Bytes()), header.get(), w, h);
}
