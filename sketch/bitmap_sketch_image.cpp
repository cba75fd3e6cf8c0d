// SPDX-License-Identifier: GPL-3.0-or-later
#include "sketch/bitmap_sketch_image.h"

#include <cstring>

#include "imaging/engine/color_ops.h"
#include "imaging/engine/pix_dc.h"
#include "imaging/engine/status_codes.h"
#include "platform/device_context.h"

namespace sketch {
namespace {

PipelineResult Checked(const char* call, int32_t status) {
    return status == pix::kSuccess ? PipelineResult{} : Failed(call, status);
}

}  // namespace

bool BitmapSketchImage::HasPicture() const {
    return (bitmap_->Flags & kBitmapAllocated) != 0;
}

PipelineResult BitmapSketchImage::ToTrueColor() {
    return Checked("P_ColorResBitmap", P_ColorResBitmap(bitmap_, 24));
}

PipelineResult BitmapSketchImage::Desaturate() {
    return Checked("P_ChangeBitmapSaturation", P_ChangeBitmapSaturation(bitmap_, -1000));
}

PipelineResult BitmapSketchImage::Invert() {
    return Checked("P_InvertBitmap", P_InvertBitmap(bitmap_));
}

PipelineResult BitmapSketchImage::TakeRows(PassRows* out) {
    const PixBitmap& b = *bitmap_;
    if (!HasPicture() || !b.Data) return Failed("handle error", pix::kNoMemory);
    // The engine's rows run from the top: as a DIB they are a top-down one, and
    // the passes' bottom-up rows start at the last of them.
    const uint64_t rowBytes = uint64_t(b.Width) * 3;
    if (b.BitsPerPixel != 24 || b.Width <= 0 || b.Height <= 0 || b.BytesPerLine < 0 ||
        uint64_t(b.BytesPerLine) < rowBytes ||
        uint64_t(b.BytesPerLine) * uint64_t(b.Height - 1) + rowBytes > b.Size)
        return Failed("bits not allocated", pix::kNoMemory);
    out->rows = DibRows{PixRow(b, b.Height - 1), -static_cast<ptrdiff_t>(b.BytesPerLine), b.Width,
                        b.Height};
    out->header = BITMAPINFO{};
    BITMAPINFOHEADER& h = out->header.bmiHeader;
    h.biSize = sizeof h;
    h.biWidth = b.Width;
    h.biHeight = -b.Height;
    h.biPlanes = 1;
    h.biBitCount = 24;
    h.biCompression = BI_RGB;
    out->bits = b.Data;
    out->block.reset();
    return {};
}

PipelineResult BitmapSketchImage::DrawBack(const PassRows& rows, int32_t width, int32_t height) {
    // Rows handed out by this bitmap are its own pixels: drawn 1:1 onto
    // themselves they stay as they are.
    if (rows.bits == bitmap_->Data) return {};
    HDC dc = P_CreatePixDC(bitmap_);
    if (!dc) return Failed("P_CreatePixDC", pix::kInvalidBitmap);
    const int drawn = StretchDIBits(dc, 0, 0, width, height, 0, 0, width, height, rows.bits,
                                    &rows.header, DIB_RGB_COLORS, SRCCOPY);
    P_DeletePixDC(dc);
    return drawn == GDI_ERROR ? Failed("error", pix::kFailure) : PipelineResult{};
}

PipelineResult BitmapSketchImage::Reload() {
    if (!photo_) return {};
    const PixBitmap& photo = *photo_;
    // A palette photo comes back at 24 bits straight away, as the drawing
    // converts it before any other step: converting a copy afterwards would
    // hold the copy and its conversion at once.
    const bool palette =
        photo.BitsPerPixel == 8 && photo.Palette && (photo.Flags & kBitmapAllocated);
    // A bitmap of the photo's geometry keeps its memory, which spares the
    // allocation of a fresh picture-sized block.
    const bool fits = HasPicture() && bitmap_->BitsPerPixel == 24 &&
                      bitmap_->Width == photo.Width && bitmap_->Height == photo.Height;
    if (fits && photo.BitsPerPixel == 24 && bitmap_->BytesPerLine == photo.BytesPerLine &&
        bitmap_->Size == photo.Size) {
        std::memcpy(bitmap_->Data, photo.Data, photo.Size);
        return {};
    }
    if (!palette) return Checked("P_CopyBitmap", P_CopyBitmap(bitmap_, photo_, sizeof *bitmap_));
    // The photo's description at 24 bits, as P_ColorResBitmap makes it.
    PixBitmap shape = photo;
    shape.Flags &= ~kBitmapAllocated;
    shape.Data = nullptr;
    shape.Palette = nullptr;
    shape.Size = 0;
    shape.BitsPerPixel = 24;
    shape.BytesPerLine = static_cast<int32_t>(DibRowStride(photo.Width, 24));
    shape.Colors = 0;
    if (fits && bitmap_->BytesPerLine == shape.BytesPerLine) {
        shape.Data = bitmap_->Data;
        shape.Size = bitmap_->Size;
        shape.Flags |= kBitmapAllocated;
        *bitmap_ = shape;
    } else {
        P_FreeBitmap(bitmap_);
        *bitmap_ = shape;
        if (const int32_t s = P_AllocateBitmap(bitmap_, sizeof *bitmap_); s != pix::kSuccess) {
            P_InitBitmap(bitmap_, sizeof *bitmap_, 0, 0, 0);
            return Failed("P_CopyBitmap", s);
        }
    }
    // All 256 entries, as in the copy of the photo that used to be converted
    // (a new 8-bit bitmap has a full palette).
    pix::PaletteRowsToBgr(photo, 256, bitmap_, 0, photo.Height);
    return {};
}

}  // namespace sketch
