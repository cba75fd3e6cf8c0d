#include "imaging/engine/codecs/format_table.h"

#include <array>

namespace pix {
namespace {

constexpr std::string_view kBmpExt[] = {".bmp", ".dib"};
constexpr std::string_view kJpegExt[] = {".jpg", ".jpeg", ".jpe", ".jfif"};
constexpr std::string_view kTiffExt[] = {".tif", ".tiff"};
constexpr std::string_view kPngExt[] = {".png"};
constexpr std::string_view kSgiExt[] = {".sgi", ".rgb", ".bw"};
constexpr std::string_view kCineonExt[] = {".cin"};

constexpr std::array kFormats{
    FileFormatEntry{kFormatBmp, "BMP", kBmpExt, DepthBit(8) | DepthBit(24)},
    FileFormatEntry{kFormatJpeg, "JPEG", kJpegExt, DepthBit(8) | DepthBit(24)},
    FileFormatEntry{kFormatPng, "PNG", kPngExt, DepthBit(8) | DepthBit(24)},
    FileFormatEntry{kFormatTiff, "TIFF", kTiffExt, DepthBit(8) | DepthBit(24)},
    FileFormatEntry{kFormatSgi, "SGI", kSgiExt, DepthBit(8) | DepthBit(24)},
    FileFormatEntry{kFormatCineon, "Cineon", kCineonExt, 0},
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

}  // namespace pix
