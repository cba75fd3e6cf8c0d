// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/device_context.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <optional>
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

namespace {

// The source DIB of a call, once its header has been accepted.
struct SourceDib {
    const uint8_t* bits;
    const RGBQUAD* table;
    DibShape shape;
};

// Validation: the context, the call's modes and the source header. Only 8- and
// 24-bit uncompressed DIBs with a known header size are drawn.
std::optional<SourceDib> ValidateSource(HDC dc, const void* bits, const BITMAPINFO* info,
                                        uint32_t usage, uint32_t rop) {
    if (!IsLive(dc) || !bits || !info) return std::nullopt;
    if (usage != DIB_RGB_COLORS || rop != SRCCOPY) return std::nullopt;
    const BITMAPINFOHEADER& h = info->bmiHeader;
    if (!KnownHeaderSize(h.biSize) || h.biPlanes != 1) return std::nullopt;
    const std::optional<DibShape> shape = ReadDibHeader(h);
    if (!shape || (shape->bitCount != 24 && shape->bitCount != 8)) return std::nullopt;
    if (shape->bitCount == 8 && (shape->colors == 0 || shape->colors > 256)) return std::nullopt;
    const auto* table =
        reinterpret_cast<const RGBQUAD*>(reinterpret_cast<const uint8_t*>(info) + h.biSize);
    return SourceDib{static_cast<const uint8_t*>(bits), table, *shape};
}

// A destination and a source rectangle with positive extents; negative
// extents of the call become mirroring.
struct Mapping {
    int64_t dx, dy, dw, dh;
    int64_t sx, sy, sw, sh;
    bool mirrorX = false, mirrorY = false;
};

void Normalise(int64_t* origin, int64_t* extent, bool* mirror) {
    if (*extent >= 0) return;
    *origin += *extent;
    *extent = -*extent;
    *mirror = !*mirror;
}

Mapping NormaliseRectangles(int xDest, int yDest, int destWidth, int destHeight, int xSrc, int ySrc,
                            int srcWidth, int srcHeight) {
    Mapping m{xDest, yDest, destWidth, destHeight, xSrc, ySrc, srcWidth, srcHeight};
    Normalise(&m.dx, &m.dw, &m.mirrorX);
    Normalise(&m.dy, &m.dh, &m.mirrorY);
    Normalise(&m.sx, &m.sw, &m.mirrorX);
    Normalise(&m.sy, &m.sh, &m.mirrorY);
    return m;
}

// The copy: every destination pixel inside the surface takes the source pixel
// that its centre maps onto, when that lies inside the source. Returns the
// number of destination rows written.
int CopyPixels(const DrawSurface& s, const SourceDib& src, const Mapping& m) {
    const DibShape& shape = src.shape;
    const int64_t srcW = shape.width, srcH = shape.rows;
    const int64_t srcStride = shape.stride;
    const int64_t x0 = std::max<int64_t>(m.dx, 0), x1 = std::min<int64_t>(m.dx + m.dw, s.width);
    const int64_t y0 = std::max<int64_t>(m.dy, 0), y1 = std::min<int64_t>(m.dy + m.dh, s.height);
    // The source rectangle's top row counted from the picture's top: ySrc is
    // the rectangle's top in a top-down DIB and its bottom in a bottom-up one.
    const int64_t srcTop = shape.topDown ? m.sy : srcH - m.sy - m.sh;
    const bool unscaledCopy =
        m.dw == m.sw && !m.mirrorX && shape.bitCount == 24 && s.bitsPerPixel == 24;
    int rows = 0;
    for (int64_t y = y0; y < y1; ++y) {
        int64_t oy = MapOffset(y - m.dy, m.dh, m.sh);
        if (m.mirrorY) oy = m.sh - 1 - oy;
        const int64_t pictureRow = srcTop + oy;
        if (pictureRow < 0 || pictureRow >= srcH) continue;
        const int64_t memRow = shape.topDown ? pictureRow : srcH - 1 - pictureRow;
        const uint8_t* srcRow = src.bits + memRow * srcStride;
        uint8_t* dstRow = s.bits + y * int64_t{s.stride};
        if (unscaledCopy) {
            // Columns map one to one: copy the part inside both bitmaps at once.
            // The source may be the surface's own memory, drawn onto itself.
            const int64_t from = std::max(x0, m.dx - m.sx);
            const int64_t to = std::min(x1, m.dx - m.sx + srcW);
            if (from < to) {
                std::memmove(dstRow + from * 3, srcRow + (m.sx + from - m.dx) * 3,
                             static_cast<size_t>(to - from) * 3);
                ++rows;
            }
            continue;
        }
        bool wrote = false;
        for (int64_t x = x0; x < x1; ++x) {
            int64_t ox = MapOffset(x - m.dx, m.dw, m.sw);
            if (m.mirrorX) ox = m.sw - 1 - ox;
            const int64_t col = m.sx + ox;
            if (col < 0 || col >= srcW) continue;
            uint8_t b, g, r;
            if (shape.bitCount == 24) {
                b = srcRow[col * 3];
                g = srcRow[col * 3 + 1];
                r = srcRow[col * 3 + 2];
            } else {
                const uint8_t index = srcRow[col];
                const RGBQUAD q = index < shape.colors ? src.table[index] : RGBQUAD{0, 0, 0, 0};
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

}  // namespace

int StretchDIBits(HDC dc, int xDest, int yDest, int destWidth, int destHeight, int xSrc, int ySrc,
                  int srcWidth, int srcHeight, const void* bits, const BITMAPINFO* info,
                  uint32_t usage, uint32_t rop) {
    const std::optional<SourceDib> src = ValidateSource(dc, bits, info, usage, rop);
    if (!src) return GDI_ERROR;
    if (destWidth == 0 || destHeight == 0 || srcWidth == 0 || srcHeight == 0) return 0;
    const Mapping m =
        NormaliseRectangles(xDest, yDest, destWidth, destHeight, xSrc, ySrc, srcWidth, srcHeight);
    return CopyPixels(dc->surface, *src, m);
}
