// SPDX-License-Identifier: GPL-3.0-or-later
// Undo and redo of the right view (Ctrl+Z, Ctrl+Shift+Z), and the question
// before a changed, unsaved drawing is closed or replaced. Every command that may change
// the right view is followed by a look at it: a view unlike the last one
// becomes an undo step, so a cancelled dialog or a refused command adds none.
#include <QCoreApplication>
#include <QEvent>
#include <cstring>
#include <stdexcept>

#include "app/handler_guard.h"
#include "app/main_window.h"
#include "app/save_prompt.h"

namespace {

ViewPicture PictureOf(TPixImage& view) {
    ViewPicture picture;
    picture.visible = !view.isHidden();
    const PixBitmap* b = view.HasBitmap();
    if (!b || !b->Data) return picture;
    picture.hasBitmap = true;
    picture.width = b->Width;
    picture.height = b->Height;
    picture.bitsPerPixel = b->BitsPerPixel;
    picture.bytesPerLine = b->BytesPerLine;
    picture.colors = b->Colors;
    picture.pixels.assign(b->Data, b->Data + b->Size);
    if (b->BitsPerPixel == 8 && b->Palette) {
        const auto* palette = reinterpret_cast<const uint8_t*>(b->Palette);
        picture.palette.assign(palette, palette + 256 * sizeof(RGBQUAD));
    }
    return picture;
}

// Puts a stored state back into the view. Since the last Load the view keeps
// its size; only its depth may change (an 8-bit photo, a 24-bit drawing), and
// then the view takes over a new bitmap of the stored geometry.
void Show(TPixImage& view, const ViewPicture& picture) {
    PixBitmap* b = view.HasBitmap();
    if (picture.hasBitmap && b && b->Width == picture.width && b->Height == picture.height) {
        const bool samePlace = b->BitsPerPixel == picture.bitsPerPixel &&
                               b->BytesPerLine == picture.bytesPerLine &&
                               b->Size == picture.pixels.size();
        if (samePlace) {
            std::memcpy(b->Data, picture.pixels.data(), picture.pixels.size());
            if (!picture.palette.empty() && b->Palette)
                std::memcpy(b->Palette, picture.palette.data(), picture.palette.size());
        } else {
            // Made whole first, so that a failure leaves the view as it was.
            PixBitmap source = *b;
            source.BitsPerPixel = picture.bitsPerPixel;
            source.BytesPerLine = picture.bytesPerLine;
            source.Size = picture.pixels.size();
            source.Data = const_cast<uint8_t*>(picture.pixels.data());
            source.Palette =
                picture.palette.empty()
                    ? nullptr
                    : reinterpret_cast<RGBQUAD*>(const_cast<uint8_t*>(picture.palette.data()));
            PixBitmap restored{};
            if (P_CopyBitmap(&restored, &source, sizeof restored) != 1 ||
                restored.BytesPerLine != picture.bytesPerLine ||
                restored.Size != picture.pixels.size()) {
                P_FreeBitmap(&restored);
                throw std::runtime_error("Not enough memory to undo");
            }
            // The view's list takes over the new memory on the update below.
            P_FreeBitmap(b);
            *b = restored;
        }
        b->Colors = picture.colors;
        QEvent changed(BitmapUpdateMessage);
        QCoreApplication::sendEvent(&view, &changed);
    }
    view.setVisible(picture.visible);
}

}  // namespace

void TForm1::WireDrawingHistory() {
    Undo1 = new QAction(this);
    Undo1->setObjectName("Undo1");
    Undo1->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Z));
    Redo1 = new QAction(this);
    Redo1->setObjectName("Redo1");
    Redo1->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z));
    addAction(Undo1);
    addAction(Redo1);
    connect(Undo1, &QAction::triggered, this, [this] { RunHandler([this] { Undo1Click(); }); });
    connect(Redo1, &QAction::triggered, this, [this] { RunHandler([this] { Redo1Click(); }); });

    // Connected after the commands' own handlers, so these run once each
    // command has ended.
    auto observe = [this] { RunHandler([this] { undoHistory_.Observe(PictureOf(*PixImage2)); }); };
    connect(Drawsketch1, &QAction::triggered, this, observe);
    connect(Equalize1, &QAction::triggered, this, observe);
    connect(Button5, &QPushButton::clicked, this, observe);
    connect(Sharpen, &QPushButton::clicked, this, observe);
    undoHistory_.Reset(PictureOf(*PixImage2));
}

void TForm1::ResetDrawingHistory() {
    undoHistory_.Reset(PictureOf(*PixImage2));
}

// A state that cannot be shown is no step taken: the history goes back to
// where the view still is.
void TForm1::Undo1Click() {
    const auto picture = undoHistory_.Undo();
    if (!picture) return;
    try {
        Show(*PixImage2, *picture);
    } catch (...) {
        undoHistory_.Redo();
        throw;
    }
}

void TForm1::Redo1Click() {
    const auto picture = undoHistory_.Redo();
    if (!picture) return;
    try {
        Show(*PixImage2, *picture);
    } catch (...) {
        undoHistory_.Undo();
        throw;
    }
}

void TForm1::MarkDrawingSaved() {
    undoHistory_.MarkSaved();
}

bool TForm1::DrawingChangedSinceSaved() const {
    return undoHistory_.ChangedSinceSaved();
}

bool TForm1::MayDiscardDrawing(const char* question) {
    if (!DrawingChangedSinceSaved()) return true;
    switch (AskToSaveDrawing(this, question)) {
        case SaveAnswer::Cancel:
            return false;
        case SaveAnswer::Discard:
            return true;
        case SaveAnswer::Save:
            // Goes on only when the save went through: a cancelled or failed
            // Save As leaves the drawing unsaved and where it is.
            RunHandler([this] { Save1Click(); });
            return !DrawingChangedSinceSaved();
    }
    return false;
}
