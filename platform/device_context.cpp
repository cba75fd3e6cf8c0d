#include "platform/device_context.h"

#include <algorithm>
#include <cstring>
#include <cstdlib>
#include <mutex>
#include <set>

struct DeviceContext {
    DrawSurface surface;
};

namespace {

std::mutex& LiveMutex() {
    static std::mutex m;
    return m;
}

std::set<DeviceContext*>& Live() {
    static auto* s = new std::set<DeviceContext*>();
    return *s;
}

bool IsLive(HDC dc) {
    std::lock_guard lock(LiveMutex());
    return dc && Live().count(dc) != 0;
}

bool SurfaceUsable(const DrawSurface& s) {
    if (!s.bits || s.width <= 0 || s.height <= 0) return false;
    if (s.bitsPerPixel == 24) return s.stride >= int64_t{s.width} * 3;
    if (s.bitsPerPixel == 8) return s.stride >= s.width && s.palette && s.paletteSize > 0;
    return false;
}

// Index of the palette entry closest to the colour, by squared distance.
uint8_t NearestIndex(const RGBQUAD* pal, uint32_t count, uint8_t b, uint8_t g, uint8_t r) {
    uint32_t best = 0;
    int bestDist = INT32_MAX;
    for (uint32_t i = 0; i < count && i < 256; ++i) {
        const int db = pal[i].rgbBlue - b, dg = pal[i].rgbGreen - g, dr = pal[i].rgbRed - r;
        const int dist = db * db + dg * dg + dr * dr;
        if (dist < bestDist) {
            bestDist = dist;
            best = i;
            if (dist == 0) break;
        }
    }
    return static_cast<uint8_t>(best);
}

// Maps a destination offset (0..destExtent-1) onto a source offset by the pixel
// centre rule; exact for equal extents. d < destExtent <= 2^31 and
// srcExtent <= 2^31, so the product stays below 2^63.
int64_t MapOffset(int64_t d, int64_t destExtent, int64_t srcExtent) {
    return ((2 * d + 1) * srcExtent) / (2 * destExtent);
}

// Header sizes whose first 40 bytes are a BITMAPINFOHEADER; the colour table
// follows the whole header.
bool KnownHeaderSize(uint32_t size) {
    return size == 40 || size == 108 || size == 124;
}

}  // namespace

HDC CreateSurfaceDC(const DrawSurface& surface) {
    if (!SurfaceUsable(surface)) return nullptr;
    auto* dc = new DeviceContext{surface};
    std::lock_guard lock(LiveMutex());
    Live().insert(dc);
    return dc;
}

bool DeleteSurfaceDC(HDC dc) {
    {
        std::lock_guard lock(LiveMutex());
        if (!dc || Live().erase(dc) == 0) return false;
    }
    delete dc;
    return true;
}

int StretchDIBits(HDC dc, int xDest, int yDest, int destWidth, int destHeight, int xSrc, int ySrc,
                  int srcWidth, int srcHeight, const void* bits, const BITMAPINFO* info,
                  uint32_t usage, uint32_t rop) {
    if (!IsLive(dc) || !bits || !info) return GDI_ERROR;
    if (usage != DIB_RGB_COLORS || rop != SRCCOPY) return GDI_ERROR;
    const BITMAPINFOHEADER& h = info->bmiHeader;
    if (!KnownHeaderSize(h.biSize) || h.biPlanes != 1 || h.biCompression != BI_RGB)
        return GDI_ERROR;
    if (h.biBitCount != 24 && h.biBitCount != 8) return GDI_ERROR;
    if (h.biWidth <= 0 || h.biHeight == 0 || h.biHeight == INT32_MIN) return GDI_ERROR;
    const uint32_t colors = DibColorCount(h);
    if (h.biBitCount == 8 && (colors == 0 || colors > 256)) return GDI_ERROR;
    const int64_t srcW = h.biWidth;
    const int64_t srcH = h.biHeight < 0 ? -int64_t{h.biHeight} : int64_t{h.biHeight};
    const bool srcTopDown = h.biHeight < 0;
    const int64_t srcStride = DibRowStride(h.biWidth, h.biBitCount);
    if (srcStride == 0) return GDI_ERROR;
    if (destWidth == 0 || destHeight == 0 || srcWidth == 0 || srcHeight == 0) return 0;

    // Normalise negative extents into mirroring.
    int64_t dx = xDest, dy = yDest, dw = destWidth, dh = destHeight;
    int64_t sx = xSrc, sy = ySrc, sw = srcWidth, sh = srcHeight;
    bool mirrorX = false, mirrorY = false;
    if (dw < 0) {
        dx += dw;
        dw = -dw;
        mirrorX = !mirrorX;
    }
    if (dh < 0) {
        dy += dh;
        dh = -dh;
        mirrorY = !mirrorY;
    }
    if (sw < 0) {
        sx += sw;
        sw = -sw;
        mirrorX = !mirrorX;
    }
    if (sh < 0) {
        sy += sh;
        sh = -sh;
        mirrorY = !mirrorY;
    }

    const DrawSurface& s = dc->surface;
    const auto* src = static_cast<const uint8_t*>(bits);
    const auto* table =
        reinterpret_cast<const RGBQUAD*>(reinterpret_cast<const uint8_t*>(info) + h.biSize);
    const int64_t x0 = std::max<int64_t>(dx, 0), x1 = std::min<int64_t>(dx + dw, s.width);
    const int64_t y0 = std::max<int64_t>(dy, 0), y1 = std::min<int64_t>(dy + dh, s.height);
    // The source rectangle's top row counted from the picture's top: ySrc is
    // the rectangle's top in a top-down DIB and its bottom in a bottom-up one.
    const int64_t srcTop = srcTopDown ? sy : srcH - sy - sh;
    const bool unscaledCopy =
        dw == sw && !mirrorX && h.biBitCount == 24 && s.bitsPerPixel == 24;
    int rows = 0;
    for (int64_t y = y0; y < y1; ++y) {
        int64_t oy = MapOffset(y - dy, dh, sh);
        if (mirrorY) oy = sh - 1 - oy;
        const int64_t pictureRow = srcTop + oy;
        if (pictureRow < 0 || pictureRow >= srcH) continue;
        const int64_t memRow = srcTopDown ? pictureRow : srcH - 1 - pictureRow;
        const uint8_t* srcRow = src + memRow * srcStride;
        uint8_t* dstRow = s.bits + y * int64_t{s.stride};
        if (unscaledCopy) {
            // Columns map one to one: copy the part inside both bitmaps at once.
            const int64_t from = std::max(x0, dx - sx);
            const int64_t to = std::min(x1, dx - sx + srcW);
            if (from < to) {
                std::memcpy(dstRow + from * 3, srcRow + (sx + from - dx) * 3,
                            static_cast<size_t>(to - from) * 3);
                ++rows;
            }
            continue;
        }
        bool wrote = false;
        for (int64_t x = x0; x < x1; ++x) {
            int64_t ox = MapOffset(x - dx, dw, sw);
            if (mirrorX) ox = sw - 1 - ox;
            const int64_t col = sx + ox;
            if (col < 0 || col >= srcW) continue;
            uint8_t b, g, r;
            if (h.biBitCount == 24) {
                b = srcRow[col * 3];
                g = srcRow[col * 3 + 1];
                r = srcRow[col * 3 + 2];
            } else {
                const uint8_t index = srcRow[col];
                const RGBQUAD q = index < colors ? table[index] : RGBQUAD{0, 0, 0, 0};
                b = q.rgbBlue;
                g = q.rgbGreen;
                r = q.rgbRed;
            }
            if (s.bitsPerPixel == 24) {
                dstRow[x * 3] = b;
                dstRow[x * 3 + 1] = g;
                dstRow[x * 3 + 2] = r;
            } else {
                dstRow[x] = NearestIndex(s.palette, s.paletteSize, b, g, r);
            }
            wrote = true;
        }
        rows += wrote ? 1 : 0;
    }
    return rows;
}
