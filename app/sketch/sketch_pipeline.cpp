#include "app/sketch/sketch_pipeline.h"

#include <cstring>
#include <utility>

#include "app/sketch/sketch_pass.h"
#include "imaging/engine/color_ops.h"
#include "imaging/engine/dib_export.h"
#include "imaging/engine/pix_dc.h"
#include "imaging/engine/status_codes.h"
#include "platform/device_context.h"
#include "platform/dib.h"
#include "platform/global_memory.h"

namespace sketch {
namespace {

PipelineResult Failed(std::string message, int32_t status) {
    return PipelineResult{status, std::move(message)};
}

// A DIB of an engine bitmap, locked for as long as it lives and freed after.
class LockedDib {
public:
    explicit LockedDib(const PixBitmap* bitmap) : handle_(P_ConvertToDIB(bitmap, 0)) {
        if (handle_) bytes_ = static_cast<uint8_t*>(GlobalLock(handle_));
    }
    ~LockedDib() {
        if (!handle_) return;
        if (bytes_) GlobalUnlock(handle_);
        GlobalFree(handle_);
    }
    LockedDib(const LockedDib&) = delete;
    LockedDib& operator=(const LockedDib&) = delete;

    // "handle error" or "bits not allocated" when the DIB cannot be used.
    PipelineResult check() const {
        if (!handle_) return Failed("handle error", pix::kNoMemory);
        if (!bytes_) return Failed("bits not allocated", pix::kNoMemory);
        return {};
    }
    uint8_t* bytes() const { return bytes_; }
    size_t size() const { return GlobalSize(handle_); }
    // The header copy that describes the pixels when they are drawn, and where
    // the pixels start (biSize + 4 x biClrUsed).
    BITMAPINFO headerCopy() const {
        BITMAPINFO info{};
        std::memcpy(&info.bmiHeader, bytes_, sizeof info.bmiHeader);
        return info;
    }
    const uint8_t* pixels() const {
        const BITMAPINFOHEADER h = headerCopy().bmiHeader;
        return bytes_ + h.biSize + 4 * size_t{h.biClrUsed};
    }

private:
    HGLOBAL handle_ = nullptr;
    uint8_t* bytes_ = nullptr;
};

PipelineResult To24Bits(PixBitmap* bitmap) {
    const int32_t status = P_ColorResBitmap(bitmap, 24);
    return status == pix::kSuccess ? PipelineResult{} : Failed("P_ColorResBitmap", status);
}

// Draws the DIB's width x height from its origin into the bitmap, as the
// window's commands do through the bitmap's device context.
PipelineResult DrawInto(PixBitmap* bitmap, const LockedDib& dib, int32_t width, int32_t height) {
    HDC dc = P_CreatePixDC(bitmap);
    if (!dc) return Failed("P_CreatePixDC", pix::kInvalidBitmap);
    const BITMAPINFO header = dib.headerCopy();
    const int drawn = StretchDIBits(dc, 0, 0, width, height, 0, 0, width, height, dib.pixels(),
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
        LockedDib dib(work);
        if (auto r = dib.check(); !r.ok()) return r;
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
    LockedDib workDib(work);
    if (auto r = workDib.check(); !r.ok()) return r;
    LockedDib viewDib(rightView);
    if (auto r = viewDib.check(); !r.ok()) return r;
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
