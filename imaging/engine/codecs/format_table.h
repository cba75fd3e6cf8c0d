// The one table of the engine's file formats: code, name, file extensions and
// the depths each can be saved at. The loader, the savers, the dialogs and the
// command line all take a format's names and abilities from here.
#pragma once

#include <cstdint>
#include <span>
#include <string_view>

#include "imaging/engine/codecs/file_format.h"

namespace pix {

// Bits of FileFormatEntry::saveDepths: bit n set when n bits per pixel can be saved.
constexpr uint32_t DepthBit(int32_t bits) {
    return bits > 0 && bits < 32 ? 1u << bits : 0u;
}

struct FileFormatEntry {
    int32_t code;
    std::string_view name;  // shown to users, e.g. "JPEG"
    std::span<const std::string_view>
        extensions;       // lower case with the dot; the first is the usual one
    uint32_t saveDepths;  // DepthBit() of each savable depth; 0 when the engine only reads it
};

// Every format the engine reads or writes, in the order dialogs list them.
std::span<const FileFormatEntry> FileFormats();
// The entry of a format code, or null.
const FileFormatEntry* FindFileFormat(int32_t code);
// The entry whose extensions hold `extension` (with the dot, any letter case), or null.
const FileFormatEntry* FindFileFormatByExtension(std::string_view extension);
// Whether the format can be saved at `bits` per pixel.
bool CanSaveDepth(int32_t code, int32_t bits);

}  // namespace pix
