// SPDX-License-Identifier: GPL-3.0-or-later
// The records that travel with a file load or save: load options (44 bytes),
// file information (1144 bytes) and save options (1650 bytes), byte for byte,
// and the engine's default load and save options with their get/set pairs.
#pragma once

#include <cstddef>
#include <cstdint>

#include "platform/dib.h"

// Flag bits of PixLoadOptions::Flags. Three bits follow one Boolean load
// setting of the image control each; the control keeps all three settings off,
// so every load clears them, and our codecs read none of them.
constexpr uint32_t kLoadControlSettingBits = 0x10 | 0x80 | 0x800000;
// Resolution holds a load resolution (dots per inch) for scalable formats.
constexpr uint32_t kLoadUseResolution = 0x400;

struct PixLoadOptions {
    uint32_t StructSize;   // 0: 44
    int32_t Reserved0;     // 4
    int32_t Reserved1;     // 8
    uint32_t Flags;        // 12
    int32_t Passes;        // 16: rows painted per pass while loading (0 = all at once)
    int32_t PageNumber;    // 20: 0 = first page
    int32_t Reserved2;     // 24
    int32_t Resolution;    // 28: with kLoadUseResolution
    int32_t Reserved3[3];  // 32
};
static_assert(sizeof(PixLoadOptions) == 44);
static_assert(offsetof(PixLoadOptions, Flags) == 12);
static_assert(offsetof(PixLoadOptions, Passes) == 16);
static_assert(offsetof(PixLoadOptions, PageNumber) == 20);
static_assert(offsetof(PixLoadOptions, Resolution) == 28);

// Flag bits of PixFileInfo::Flags (set by the caller before P_LoadFile).
constexpr uint32_t kInfoUsePage = 4096;         // PageNumber names the page
constexpr uint32_t kInfoUseResolution = 0x400;  // LoadResolution is set
// PixFileInfo::SingleImage: 1 for a file that is not an animation.
constexpr int32_t kInfoNotAnimated = 1;

struct PixFileInfo {
    uint32_t StructSize;       // 0: 1144
    int32_t PageNumber;        // 4
    int32_t Format;            // 8: file format code (codecs/file_format.h)
    uint32_t FileSize;         // 12: bytes, saturated at 0xFFFFFFFF
    int32_t Compression;       // 16: the format's own compression code
    int32_t TotalPages;        // 20
    int32_t Width;             // 24: as the picture stands upright
    int32_t Height;            // 28
    int32_t BitsPerPixel;      // 32: depth a load at the file's own depth gives (8 or 24)
    int32_t FileBitsPerPixel;  // 36: depth stored in the file
    int32_t Channels;          // 40
    int32_t XResolution;       // 44: dots per inch (96 when the file says nothing)
    int32_t YResolution;       // 48
    int32_t ViewPerspective;   // 52: 1 = top-left
    int32_t Orientation;       // 56: orientation tag applied while loading (1 = none)
    int32_t Colors;            // 60: palette entries in use (8-bit)
    int32_t Grey;              // 64: -1 for an 8-bit grey file, else 0
    int32_t Interlaced;        // 68: -1 for interlaced or progressive files, else 0
    int32_t Reserved0;         // 72
    int32_t SingleImage;       // 76: kInfoNotAnimated
    int32_t Reserved1[2];      // 80
    uint32_t Flags;            // 88
    int32_t Reserved2[3];      // 92
    RGBQUAD Palette[256];      // 104
    int32_t Reserved3;         // 1128
    int32_t LoadResolution;    // 1132: with kInfoUseResolution
    int32_t Reserved4[2];      // 1136
};
static_assert(sizeof(PixFileInfo) == 1144);
static_assert(offsetof(PixFileInfo, PageNumber) == 4);
static_assert(offsetof(PixFileInfo, Width) == 24);
static_assert(offsetof(PixFileInfo, Height) == 28);
static_assert(offsetof(PixFileInfo, BitsPerPixel) == 32);
static_assert(offsetof(PixFileInfo, SingleImage) == 76);
static_assert(offsetof(PixFileInfo, Flags) == 88);
static_assert(offsetof(PixFileInfo, Palette) == 104);
static_assert(offsetof(PixFileInfo, LoadResolution) == 1132);

// The engine's default load options: size 44, first page, no flags, unless
// P_SetDefaultLoadFileOption changed them on the calling thread (each thread
// keeps its own, as with the format options). -789 for another size.
int32_t P_GetDefaultLoadFileOption(PixLoadOptions* options, uint32_t structSize);
int32_t P_SetDefaultLoadFileOption(const PixLoadOptions* options, uint32_t structSize);

// Flag bits of PixSaveFileOptions::Flags.
// Set in the defaults; callers keep it set. Our codecs read nothing from it.
constexpr uint32_t kSaveDefaultBit = 0x10;
// Background (0x4), Palette (0x8) and Loop (0x20) hold a picture list's screen
// values; formats with a screen of their own would read them, ours have none.
constexpr uint32_t kSaveUseBackground = 0x4;
constexpr uint32_t kSaveUsePalette = 0x8;
constexpr uint32_t kSaveUseLoop = 0x20;
// Embed a stamp (thumbnail) of StampWidth x StampHeight at StampBits.
constexpr uint32_t kSaveWithStamp = 0x80;
// Multi-page formats: put the picture before page PageNumber (0 = first) of
// the existing file (0x400), or in place of that page (0x800).
constexpr uint32_t kSaveInsertPage = 0x400;
constexpr uint32_t kSaveReplacePage = 0x800;

// PixSaveFileOptions::PageNumber without the insert and replace bits: 1 (or
// less) writes a new file; 2 or more adds the picture as the last page of
// the existing file (a new file when there is none).
constexpr int32_t kSaveNewFile = 1;
constexpr int32_t kSaveAppendPage = 2;

#pragma pack(push, 1)
struct PixSaveFileOptions {
    uint32_t StructSize;     // 0: 1650
    int32_t Reserved0;       // 4
    int32_t Reserved1;       // 8
    uint32_t Flags;          // 12: kSave* bits
    int32_t Passes;          // 16: passes of an interlaced file; our codecs write none
    int32_t PageNumber;      // 20: kSaveNewFile, kSaveAppendPage, or the page of 0x400/0x800
    int32_t Width;           // 24: screen width of a picture list
    int32_t Height;          // 28: screen height
    int32_t Loop;            // 32: with kSaveUseLoop, repeat count (0 = for ever)
    uint32_t Background;     // 36: with kSaveUseBackground, 0x00BBGGRR
    RGBQUAD Palette[256];    // 40: with kSaveUsePalette
    int32_t StampWidth;      // 1064: with kSaveWithStamp, the box the stamp fits in
    int32_t StampHeight;     // 1068
    int32_t StampBits;       // 1072: 8 (grey) or 24; 0 = the picture's depth
    int32_t Compression;     // 1076: a kCompression* code of codecs/save_options.h (-1 = usual)
    int32_t Progressive;     // 1080: Boolean (-1/0), JPEG only
    uint8_t Reserved2[566];  // 1084
};
#pragma pack(pop)
static_assert(sizeof(PixSaveFileOptions) == 1650);
static_assert(offsetof(PixSaveFileOptions, Flags) == 12);
static_assert(offsetof(PixSaveFileOptions, Passes) == 16);
static_assert(offsetof(PixSaveFileOptions, PageNumber) == 20);
static_assert(offsetof(PixSaveFileOptions, Width) == 24);
static_assert(offsetof(PixSaveFileOptions, Height) == 28);
static_assert(offsetof(PixSaveFileOptions, Loop) == 32);
static_assert(offsetof(PixSaveFileOptions, Background) == 36);
static_assert(offsetof(PixSaveFileOptions, Palette) == 40);
static_assert(offsetof(PixSaveFileOptions, StampWidth) == 1064);
static_assert(offsetof(PixSaveFileOptions, StampHeight) == 1068);
static_assert(offsetof(PixSaveFileOptions, StampBits) == 1072);
static_assert(offsetof(PixSaveFileOptions, Compression) == 1076);

// The engine's default save options: size 1650, flags kSaveDefaultBit, page
// kSaveNewFile, the format's usual compression (-1), everything else 0, unless
// P_SetDefaultSaveFileOption changed them on the calling thread. -789 for
// another size, -13 for null.
int32_t P_GetDefaultSaveFileOption(PixSaveFileOptions* options, uint32_t structSize);
int32_t P_SetDefaultSaveFileOption(const PixSaveFileOptions* options, uint32_t structSize);
