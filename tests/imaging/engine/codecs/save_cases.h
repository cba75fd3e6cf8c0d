// SPDX-License-Identifier: GPL-3.0-or-later
// The table of save cases (format, depth, compression, source picture) that
// the round-trip test reads back with our loader and the interop writer
// hands to an independent reader, with the pixels each file must hold.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "imaging/engine/pix_bitmap.h"

namespace fixtures {

enum class Source { kColour24, kGrey24, kFewColours24, kPalette8, kGrey8, kDrawing24 };

struct SaveCase {
    const char* name;
    int32_t format;
    Source source;
    int32_t bits;
    int32_t compression;  // kCompression*
    int tolerance;        // largest sample difference; 0 for lossless saves
    int32_t qualityFactor = 2;
};

const std::vector<SaveCase>& SaveCases();

// A freshly allocated source picture (free with P_FreeBitmap).
PixBitmap MakeSource(Source source);
// The 24-bit pixels (blue-green-red, rows top-down, no padding) that the file
// of `c` holds when read back: the source reduced as the engine reduces it.
std::vector<uint8_t> ExpectedPixels(const SaveCase& c);
// The usual file extension of a format, with the dot.
std::string ExtensionOf(int32_t format);
// 24-bit pixels of an 8- or 24-bit bitmap, as ExpectedPixels gives them.
std::vector<uint8_t> Pixels24(const PixBitmap& b);

}  // namespace fixtures
