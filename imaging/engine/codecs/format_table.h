// SPDX-License-Identifier: GPL-3.0-or-later
// The one table of the engine's file formats: code, name, file extensions, the
// depths each can be saved at and its compressions (sub-formats) with the
// depths each holds. The loader, the savers, the dialogs and the command line
// all take a format's names and abilities from here.
#pragma once

#include <cstdint>
#include <span>
#include <string_view>
#include <vector>

#include "imaging/engine/codecs/file_format.h"

namespace pix {

// Bits of FileFormatEntry::saveDepths: bit n set when n bits per pixel can be saved.
constexpr uint32_t DepthBit(int32_t bits) {
    return bits > 0 && bits < 32 ? 1u << bits : 0u;
}

// One compression a format can be saved with (codecs/save_options.h codes).
struct SaveCompression {
    int32_t code;           // kCompression*
    std::string_view name;  // shown to users, e.g. "LZW"
    uint32_t depths;        // DepthBit() of each depth it holds
};

struct FileFormatEntry {
    int32_t code;
    std::string_view name;  // shown to users, e.g. "JPEG"
    std::span<const std::string_view>
        extensions;       // lower case with the dot; the first is the usual one
    uint32_t saveDepths;  // DepthBit() of each savable depth; 0 when the engine only reads it
    std::span<const SaveCompression> compressions;  // the first is the usual one
};

// One way a format can be saved: a depth and a compression at that depth.
struct SaveChoice {
    int32_t bitsPerPixel;
    int32_t compression;  // kCompression*
    bool operator==(const SaveChoice&) const = default;
};

// Every format the engine reads or writes, in the order dialogs list them.
std::span<const FileFormatEntry> FileFormats();
// The entry of a format code, or null.
const FileFormatEntry* FindFileFormat(int32_t code);
// The entry whose extensions hold `extension` (with the dot, any letter case), or null.
const FileFormatEntry* FindFileFormatByExtension(std::string_view extension);
// Whether the format can be saved at `bits` per pixel.
bool CanSaveDepth(int32_t code, int32_t bits);
// The savable depths of a format, from the lowest (empty when it is only read).
std::vector<int32_t> SaveDepths(int32_t code);
// Every depth and compression a format can be saved with, depth by depth
// from the lowest, each depth's compressions in table order (empty when the
// format is only read): what the save dialog offers.
std::vector<SaveChoice> SaveChoices(int32_t code);
// The compression a save asking for kCompressionDefault gets (the format's
// usual one), or the one asked for; kCompressionDefault for a format only read.
int32_t ResolveCompression(int32_t code, int32_t compression);
// Whether the format has `compression` (after ResolveCompression) at `bits`.
bool CanSaveCompression(int32_t code, int32_t compression, int32_t bits);

}  // namespace pix
