// SPDX-License-Identifier: GPL-3.0-or-later
#include "imaging/engine/codecs/format_table.h"

#include <array>

#include "imaging/engine/codecs/save_options.h"

namespace pix {
namespace {

constexpr std::string_view kBmpExt[] = {".bmp", ".dib"};
constexpr std::string_view kJpegExt[] = {".jpg", ".jpeg", ".jpe", ".jfif"};
constexpr std::string_view kTiffExt[] = {".tif", ".tiff"};
constexpr std::string_view kPngExt[] = {".png"};
constexpr std::string_view kSgiExt[] = {".sgi", ".rgb", ".bw"};
constexpr std::string_view kCineonExt[] = {".cin"};
constexpr std::string_view kJp2Ext[] = {".jp2"};
constexpr std::string_view kJ2kExt[] = {".j2k", ".j2c"};

constexpr uint32_t kPaletteDepths = DepthBit(1) | DepthBit(4) | DepthBit(8) | DepthBit(24);
constexpr uint32_t kGreyAndColour = DepthBit(8) | DepthBit(24);

constexpr SaveCompression kBmpCompressions[] = {
    {kCompressionNone, "None", kPaletteDepths},
    {kCompressionRle, "RLE", DepthBit(8)},
};
constexpr SaveCompression kJpegCompressions[] = {
    {kCompressionJpeg, "Baseline", kGreyAndColour},
    {kCompressionProgressiveJpeg, "Progressive", kGreyAndColour},
};
constexpr SaveCompression kPngCompressions[] = {
    {kCompressionDeflate, "Deflate", kPaletteDepths},
};
constexpr SaveCompression kTiffCompressions[] = {
    {kCompressionLzw, "LZW", kPaletteDepths},
    {kCompressionNone, "None", kPaletteDepths},
    {kCompressionDeflate, "Deflate", kPaletteDepths},
    {kCompressionJpeg, "JPEG", kGreyAndColour},
};
// Lossless at the best quality factor, lossy above it.
constexpr SaveCompression kJpeg2000Compressions[] = {
    {kCompressionWavelet, "Wavelet", kGreyAndColour},
};
constexpr SaveCompression kSgiCompressions[] = {
    {kCompressionRle, "RLE", kGreyAndColour},
    {kCompressionNone, "Verbatim", kGreyAndColour},
};

constexpr std::array kFormats{
    FileFormatEntry{kFormatBmp, "BMP", kBmpExt, kPaletteDepths, kBmpCompressions},
    FileFormatEntry{kFormatJpeg, "JPEG", kJpegExt, kGreyAndColour, kJpegCompressions},
    FileFormatEntry{kFormatPng, "PNG", kPngExt, kPaletteDepths, kPngCompressions},
    FileFormatEntry{kFormatTiff, "TIFF", kTiffExt, kPaletteDepths, kTiffCompressions},
    FileFormatEntry{kFormatSgi, "SGI", kSgiExt, kGreyAndColour, kSgiCompressions},
    FileFormatEntry{kFormatJp2, "JPEG 2000", kJp2Ext, kGreyAndColour, kJpeg2000Compressions},
    FileFormatEntry{kFormatJ2k, "JPEG 2000 codestream", kJ2kExt, kGreyAndColour,
                    kJpeg2000Compressions},
    FileFormatEntry{kFormatCineon, "Cineon", kCineonExt, 0, {}},
};

char Lower(char c) {
    return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c;
}

bool SameIgnoringCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (Lower(a[i]) != Lower(b[i])) return false;
    return true;
}

}  // namespace

std::span<const FileFormatEntry> FileFormats() {
    return kFormats;
}

const FileFormatEntry* FindFileFormat(int32_t code) {
    for (const FileFormatEntry& f : kFormats)
        if (f.code == code) return &f;
    return nullptr;
}

const FileFormatEntry* FindFileFormatByExtension(std::string_view extension) {
    for (const FileFormatEntry& f : kFormats)
        for (std::string_view e : f.extensions)
            if (SameIgnoringCase(e, extension)) return &f;
    return nullptr;
}

bool CanSaveDepth(int32_t code, int32_t bits) {
    const FileFormatEntry* f = FindFileFormat(code);
    return f && (f->saveDepths & DepthBit(bits)) != 0;
}

std::vector<int32_t> SaveDepths(int32_t code) {
    std::vector<int32_t> depths;
    if (const FileFormatEntry* f = FindFileFormat(code))
        for (int32_t bits = 1; bits < 32; ++bits)
            if (f->saveDepths & DepthBit(bits)) depths.push_back(bits);
    return depths;
}

std::vector<SaveChoice> SaveChoices(int32_t code) {
    std::vector<SaveChoice> choices;
    const FileFormatEntry* f = FindFileFormat(code);
    if (!f) return choices;
    for (int32_t bits : SaveDepths(code))
        for (const SaveCompression& c : f->compressions)
            if (c.depths & DepthBit(bits)) choices.push_back({bits, c.code});
    return choices;
}

int32_t ResolveCompression(int32_t code, int32_t compression) {
    const FileFormatEntry* f = FindFileFormat(code);
    if (compression != kCompressionDefault || !f || f->compressions.empty()) return compression;
    return f->compressions.front().code;
}

bool CanSaveCompression(int32_t code, int32_t compression, int32_t bits) {
    const FileFormatEntry* f = FindFileFormat(code);
    if (!f || !(f->saveDepths & DepthBit(bits))) return false;
    for (const SaveCompression& c : f->compressions)
        if (c.code == compression) return (c.depths & DepthBit(bits)) != 0;
    return false;
}

}  // namespace pix
