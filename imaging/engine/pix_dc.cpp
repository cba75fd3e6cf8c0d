// SPDX-License-Identifier: GPL-3.0-or-later
#include "imaging/engine/pix_dc.h"

#include "imaging/engine/status_codes.h"

HDC P_CreatePixDC(const PixBitmap* b) {
    if (!b || !(b->Flags & kBitmapAllocated) || !b->Data) return nullptr;
    DrawSurface s;
    s.bits = b->Data;
    s.width = b->Width;
    s.height = b->Height;
    s.bitsPerPixel = b->BitsPerPixel;
    s.stride = b->BytesPerLine;
    s.palette = b->Palette;
    s.paletteSize = b->BitsPerPixel == 8 ? static_cast<uint32_t>(b->Colors) : 0;
    return CreateSurfaceDC(s);
}

int32_t P_DeletePixDC(HDC dc) {
    return DeleteSurfaceDC(dc) ? pix::kSuccess : pix::kFailure;
}
