#include "sketch/sketch_pipeline.h"

#include <cstring>
#include <utility>

#include "imaging/engine/color_ops.h"
#include "imaging/engine/dib_export.h"
#include "imaging/engine/pix_dc.h"
#include "imaging/engine/status_codes.h"
#include "platform/device_context.h"
#include "platform/dib.h"
#include "platform/global_memory.h"
#include "sketch/locked_dib.h"
#include "sketch/sketch_pass.h"

namespace sketch {
namespace {

PipelineResult Failed(std::string message, int32_t status) {
    return PipelineResult{status, std::move(message)};
}

// The DIB of an engine bitmap, or why it cannot be used.
PipelineResult Check(const LockedDib& dib) {
    if (!dib.HasBlock()) return Failed("handle error", pix::kNoMemory);
    if (!dib.Usable()) return Failed("bits not allocated", pix::kNoMemory);
    return {};
}

PipelineResult To24Bits(PixBitmap* bitmap) {
    const int32_t status = P_ColorResBitmap(bitmap, 24);
    return status == pix::kSuccess ? PipelineResult{} : Failed("P_ColorResBitmap", status);
}

// Draws the DIB's width x height from its origin into the bitmap, as the
// window's commands do through the bitmap's device context.
PipelineResult DrawInto(PixBitmap* bitmap, const LockedDib& dib, int32_t width, int32_t height) {
    HDC dc = P_CreatePixDC(bitmap);
    if (!dc) return Failed("P_CreatePixDC", pix::kInvalidBitmap);
    const BITMAPINFO header = dib.HeaderCopy();
    const int drawn = StretchDIBits(dc, 0, 0, width, height, 0, 0, width, height, dib.Pixels(),
                                    &header, DIB_RGB_COLORS, SRCCOPY);
    P_DeletePixDC(dc);
    return drawn == GDI_ERROR ? Failed("error", pix::kFailure) : PipelineResult{};
}

PipelineResult Desaturate(PixBitmap* bitmap) {
    const int32_t status = P_ChangeBitmapSaturation(bitmap, -1000);
    return status == pix::kSuccess ? PipelineResult{} : Failed("P_ChangeBitmapSaturation", status);
}

}  // namespace

PipelineResult RenderEdges(PixBitmap* work, PixBitmap* rightView, int32_t width, int32_t height) {
    if (auto r = To24Bits(work); !r.ok()) return r;
    if (auto r = To24Bits(rightView); !r.ok()) return r;
    if (auto r = Desaturate(work); !r.ok()) return r;
    {
        LockedDib dib(P_ConvertToDIB(work, 0));
        if (auto r = Check(dib); !r.ok()) return r;
        if (!SketchPass(dib.bytes(), dib.size(), width, height))
            return Failed("SketchPass", pix::kInvalidBitmap);
        if (auto r = DrawInto(rightView, dib, width, height); !r.ok()) return r;
    }
    const int32_t status = P_InvertBitmap(rightView);
    return status == pix::kSuccess ? PipelineResult{} : Failed("P_InvertBitmap", status);
}

PipelineResult BlendPhoto(PixBitmap* work, PixBitmap* rightView, int32_t width, int32_t height,
                          BlendMode mode) {
    if (auto r = To24Bits(work); !r.ok()) return r;
    if (auto r = To24Bits(rightView); !r.ok()) return r;
    if (mode == BlendMode::kPencil)
        if (auto r = Desaturate(work); !r.ok()) return r;
    LockedDib workDib(P_ConvertToDIB(work, 0));
    if (auto r = Check(workDib); !r.ok()) return r;
    LockedDib viewDib(P_ConvertToDIB(rightView, 0));
    if (auto r = Check(viewDib); !r.ok()) return r;
    if (!BlendPass(workDib.bytes(), workDib.size(), viewDib.bytes(), viewDib.size(), width, height,
                   mode))
        return Failed("BlendPass", pix::kInvalidBitmap);
    return DrawInto(rightView, viewDib, width, height);
}

PipelineResult DrawSketch(const PixBitmap& photo, BlendMode mode, PixBitmap* rightView) {
    if (!(photo.Flags & kBitmapAllocated)) return Failed("Imges empty", pix::kInvalidBitmap);
    const int32_t width = photo.Width, height = photo.Height;
    PixBitmap work{};
    P_InitBitmap(&work, sizeof work, 0, 0, 0);
    P_FreeBitmap(rightView);
    P_InitBitmap(rightView, sizeof *rightView, 0, 0, 0);

    PipelineResult result;
    // Loads the photo into a bitmap; a bitmap of the same geometry keeps its
    // memory, which spares the allocation of a fresh picture-sized block.
    auto load = [&](PixBitmap* into) {
        if ((into->Flags & kBitmapAllocated) && into->BitsPerPixel == photo.BitsPerPixel &&
            into->Width == photo.Width && into->Height == photo.Height &&
            into->BytesPerLine == photo.BytesPerLine && into->Size == photo.Size &&
            photo.BitsPerPixel == 24) {
            std::memcpy(into->Data, photo.Data, photo.Size);
            return true;
        }
        const int32_t status = P_CopyBitmap(into, &photo, sizeof *into);
        if (status != pix::kSuccess) result = Failed("P_CopyBitmap", status);
        return status == pix::kSuccess;
    };
    if (load(&work) && load(rightView)) {
        result = RenderEdges(&work, rightView, width, height);
        if (result.ok() && load(&work)) result = BlendPhoto(&work, rightView, width, height, mode);
    }
    P_FreeBitmap(&work);
    return result;
}

}  // namespace sketch
