// SPDX-License-Identifier: GPL-3.0-or-later
#include "imaging/engine/color_ops.h"

#include <algorithm>
#include <array>

#include "imaging/engine/status_callback.h"
#include "imaging/engine/status_codes.h"

namespace {

// Rows worked between two progress reports.
constexpr int32_t kRowsPerBand = 32;
constexpr int64_t kScale = 1000;

using ByteMap = std::array<uint8_t, 256>;

bool HasUsablePixels(const PixBitmap* b) {
    if (!b || !(b->Flags & kBitmapAllocated) || !b->Data) return false;
    if (b->Width <= 0 || b->Height <= 0) return false;
    if (b->BitsPerPixel == 24) return b->BytesPerLine >= int64_t{b->Width} * 3;
    if (b->BitsPerPixel == 8) return b->BytesPerLine >= b->Width && b->Palette;
    return false;
}

// n / 1000 rounded to nearest, halves away from zero.
int64_t RoundPerMille(int64_t n) {
    return n >= 0 ? (n + kScale / 2) / kScale : -((-n + kScale / 2) / kScale);
}

uint8_t Clamp(int64_t v) {
    return static_cast<uint8_t>(std::clamp<int64_t>(v, 0, 255));
}

uint8_t Grey(uint8_t blue, uint8_t green, uint8_t red) {
    const uint32_t weighted = 299u * red + 587u * green + 114u * blue + 500u;
    return static_cast<uint8_t>(weighted / 1000u);
}

// Calls `work(firstRow, endRow)` band by band and reports the share of rows
// done after each band; -29 as soon as the callback asks to stop.
template <typename Work>
int32_t ForEachBand(int32_t rows, Work work) {
    for (int32_t first = 0; first < rows; first += kRowsPerBand) {
        const int32_t end = std::min(rows, first + kRowsPerBand);
        work(first, end);
        if (!pix::ReportProgress(static_cast<int32_t>(int64_t{end} * 100 / rows)))
            return pix::kUserAbort;
    }
    return pix::kSuccess;
}

int32_t PaletteEntries(const PixBitmap* b) {
    return std::clamp(b->Colors, 0, 256);
}

// Applies a map of byte values to every channel of the bitmap (palette or pixels).
int32_t ApplyByteMap(PixBitmap* b, const ByteMap& map) {
    if (!HasUsablePixels(b)) return pix::kInvalidBitmap;
    if (b->BitsPerPixel == 8) {
        return ForEachBand(PaletteEntries(b), [&](int32_t first, int32_t end) {
            for (int32_t i = first; i < end; ++i) {
                RGBQUAD& q = b->Palette[i];
                q.rgbBlue = map[q.rgbBlue];
                q.rgbGreen = map[q.rgbGreen];
                q.rgbRed = map[q.rgbRed];
            }
        });
    }
    const size_t rowBytes = size_t(b->Width) * 3;
    return ForEachBand(b->Height, [&](int32_t first, int32_t end) {
        for (int32_t y = first; y < end; ++y) {
            uint8_t* row = PixRow(*b, y);
            for (size_t i = 0; i < rowBytes; ++i) row[i] = map[row[i]];
        }
    });
}

// One pixel's new channels for a saturation factor of (1000 + change) / 1000.
void Saturate(uint8_t& blue, uint8_t& green, uint8_t& red, int64_t factor) {
    const int64_t grey = Grey(blue, green, red);
    blue = Clamp(grey + RoundPerMille((blue - grey) * factor));
    green = Clamp(grey + RoundPerMille((green - grey) * factor));
    red = Clamp(grey + RoundPerMille((red - grey) * factor));
}

}  // namespace

int32_t P_ChangeBitmapSaturation(PixBitmap* b, int32_t change) {
    if (!HasUsablePixels(b)) return pix::kInvalidBitmap;
    const int64_t factor = kScale + change;
    if (b->BitsPerPixel == 8) {
        return ForEachBand(PaletteEntries(b), [&](int32_t first, int32_t end) {
            for (int32_t i = first; i < end; ++i) {
                RGBQUAD& q = b->Palette[i];
                Saturate(q.rgbBlue, q.rgbGreen, q.rgbRed, factor);
            }
        });
    }
    return ForEachBand(b->Height, [&](int32_t first, int32_t end) {
        for (int32_t y = first; y < end; ++y) {
            uint8_t* p = PixRow(*b, y);
            if (factor == 0) {
                // All colour removed: every channel becomes the grey.
                for (int32_t x = 0; x < b->Width; ++x, p += 3)
                    p[0] = p[1] = p[2] = Grey(p[0], p[1], p[2]);
            } else {
                for (int32_t x = 0; x < b->Width; ++x, p += 3) Saturate(p[0], p[1], p[2], factor);
            }
        }
    });
}

namespace pix {
std::array<uint8_t, 256> IntensityMap(int32_t change) {
    ByteMap map;
    const int64_t factor = kScale + change;
    for (int v = 0; v < 256; ++v) map[size_t(v)] = Clamp(RoundPerMille(v * factor));
    return map;
}
}  // namespace pix

int32_t P_ChangeBitmapIntensity(PixBitmap* b, int32_t change) {
    return ApplyByteMap(b, pix::IntensityMap(change));
}

int32_t P_InvertBitmap(PixBitmap* b) {
    ByteMap map;
    for (int v = 0; v < 256; ++v) map[size_t(v)] = static_cast<uint8_t>(255 - v);
    return ApplyByteMap(b, map);
}

void pix::PaletteRowsToBgr(const PixBitmap& from, int32_t entries, PixBitmap* to, int32_t first,
                           int32_t end) {
    std::array<RGBQUAD, 256> palette{};
    std::copy_n(from.Palette, std::clamp(entries, 0, 256), palette.begin());
    for (int32_t y = first; y < end; ++y) {
        const uint8_t* src = PixRow(from, y);
        uint8_t* dst = PixRow(*to, y);
        for (int32_t x = 0; x < from.Width; ++x, dst += 3) {
            const RGBQUAD q = palette[src[x]];
            dst[0] = q.rgbBlue;
            dst[1] = q.rgbGreen;
            dst[2] = q.rgbRed;
        }
    }
}

int32_t P_ColorResBitmap(PixBitmap* b, int32_t bitsPerPixel) {
    if (!HasUsablePixels(b)) return pix::kInvalidBitmap;
    if (bitsPerPixel == b->BitsPerPixel) return pix::kSuccess;
    if (b->BitsPerPixel != 8 || bitsPerPixel != 24) return pix::kNotSupported;

    PixBitmap converted = *b;
    converted.Flags &= ~kBitmapAllocated;
    converted.Data = nullptr;
    converted.Palette = nullptr;
    converted.Size = 0;
    converted.BitsPerPixel = 24;
    converted.BytesPerLine = static_cast<int32_t>(DibRowStride(b->Width, 24));
    converted.Colors = 0;
    if (converted.BytesPerLine == 0) return pix::kInvalidSize;
    const int32_t status = P_AllocateBitmap(&converted, sizeof converted);
    if (status != pix::kSuccess) return status;

    const int32_t done = ForEachBand(b->Height, [&](int32_t first, int32_t end) {
        // An index past the palette's entries in use reads as black.
        pix::PaletteRowsToBgr(*b, PaletteEntries(b), &converted, first, end);
    });
    if (done != pix::kSuccess) {
        P_FreeBitmap(&converted);
        return done;
    }
    P_FreeBitmap(b);
    *b = converted;
    return pix::kSuccess;
}
