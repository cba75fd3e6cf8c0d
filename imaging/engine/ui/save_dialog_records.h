// SPDX-License-Identifier: GPL-3.0-or-later
// The two records of the engine's save dialog: the file-dialog record (name
// buffers, folder, title, filter index) and the save-dialog record (format,
// depth, quality, pages, stamp, JPEG 2000 and JBIG2 settings, format list).
#pragma once

#include <cstddef>
#include <cstdint>

#include "imaging/engine/codecs/save_options.h"
#include "imaging/engine/format_options.h"
#include "imaging/engine/pix_bitmap.h"
#include "imaging/engine/ui/dialog_records.h"

class QWidget;

// The file-dialog record, field for field the classic common-dialog one; the
// pointers are native. lStructSize must hold sizeof(OPENFILENAMEA).
struct OPENFILENAMEA {
    uint32_t lStructSize;
    QWidget* hwndOwner;           // not used: the parent goes to P_DlgSave
    void* hInstance;              // not used
    const char* lpstrFilter;      // not used: the formats come from the save record
    char* lpstrCustomFilter;      // not used
    uint32_t nMaxCustFilter;      // not used
    uint32_t nFilterIndex;        // in and out: 1-based index of the format offered
    char* lpstrFile;              // in: initial name; out: the chosen path
    uint32_t nMaxFile;            // size of lpstrFile, terminating zero included
    char* lpstrFileTitle;         // out: the chosen name without its folder
    uint32_t nMaxFileTitle;       // size of lpstrFileTitle
    const char* lpstrInitialDir;  // initial folder; empty: the folder of the last save
    const char* lpstrTitle;       // caption; empty: "Save As"
    uint32_t Flags;               // passed through
    uint16_t nFileOffset;         // out: where the name starts in lpstrFile
    uint16_t nFileExtension;      // out: where its extension starts (after the dot), or 0
    const char* lpstrDefExt;      // not used: the extension follows the chosen format
    intptr_t lCustData;           // not used
    void* lpfnHook;               // not used
    const char* lpTemplateName;   // not used
};

// One bits-per-pixel and sub-format pair of a format offered by the caller.
struct PixSaveSubFormat {
    uint32_t StructSize;   // 0: 12
    int32_t BitsPerPixel;  // 4
    int32_t SubFormat;     // 8: the file format code saved for this pair
};
static_assert(sizeof(PixSaveSubFormat) == 12);

// One format offered by the caller, with its pairs (none: every depth the
// engine saves the format at).
struct PixSaveFormatItem {
    uint32_t StructSize;           // 0: sizeof(PixSaveFormatItem)
    int32_t FileFormat;            // 4
    uint32_t SubFormatCount;       // 8
    PixSaveSubFormat* SubFormats;  // 16: SubFormatCount items, or null
};
static_assert(offsetof(PixSaveFormatItem, SubFormats) == 16);

// Flag bits of PixDlgSaveParams::DialogFlags; other bits pass through.
constexpr uint32_t kDlgSaveOfferStamp = 1u << 2;  // the stamp option
constexpr uint32_t kDlgSaveOfferPages = 1u << 3;  // the multi-page mode
// Identifier the save dialog hands to the help callback.
constexpr uint32_t kDlgIdSave = 3;
// Longest path the record's name field holds, without its terminating zero.
constexpr size_t kDlgSaveMaxPath = 263;

// Multi-page modes, stored plus one in PageModePlusOne.
constexpr int32_t kPageModeReplaceFile = 0;
constexpr int32_t kPageModeAppend = 1;
constexpr int32_t kPageModeReplacePage = 2;
constexpr int32_t kPageModeInsertPage = 3;

// AuxValue1 of the save-dialog record carries the compression, in and out:
// a kCompression* code (codecs/save_options.h) plus one, so that 0 means the
// format's usual compression.
constexpr int32_t DlgSaveCompression(int32_t auxValue1) {
    return auxValue1 > 0 ? auxValue1 - 1 : pix::kCompressionDefault;
}
constexpr int32_t DlgSaveAuxValue1(int32_t compression) {
    return compression >= 0 ? compression + 1 : 0;
}

// The save-dialog record: the fields in their order, with native pointers.
// StructSize must hold sizeof(PixDlgSaveParams). Booleans are -1 or 0 going in
// and true whenever not 0 coming back.
struct PixDlgSaveParams {
    uint32_t StructSize;                 // 0
    char FileName[kDlgSaveMaxPath + 1];  // 4: out: the chosen path
    PixBitmap* Bitmap;                   // the picture to save, or null
    int32_t BitsPerPixel;                // 0: the bitmap's own depth
    int32_t FileFormat;                  // engine format code; 0: the dialog chooses
    int32_t QFactor;                     // 2 (best) to 255
    int32_t PageModePlusOne;             // multi-page mode + 1
    int32_t AuxSwitch;                   // Boolean, passed through
    int32_t AuxValue1;                   // compression + 1 (DlgSaveCompression)
    int32_t WithStamp;                   // Boolean: save with an embedded stamp
    int32_t StampBits;                   // 0: the picture's depth
    int32_t StampWidth;
    int32_t StampHeight;
    int32_t AuxValue2;  // passed through
    int32_t AuxValue3;
    int32_t AuxValue4;
    PixJ2KOptions J2KOptions;       // the JPEG 2000 settings
    PixSaveFormatItem* FormatList;  // formats offered; null: every savable one
    uint32_t FormatCount;
    uint32_t DialogFlags;
    PixDlgHelpCallback HelpCallback;  // null shows no help button
    void* UserData;                   // handed to the help callback
    PixJBIG2Options JBIG2Options;     // passed through
};
static_assert(offsetof(PixDlgSaveParams, FileName) == 4);
static_assert(offsetof(PixDlgSaveParams, Bitmap) == 272);
static_assert(offsetof(PixDlgSaveParams, BitsPerPixel) == 280);
static_assert(offsetof(PixDlgSaveParams, PageModePlusOne) == 292);
static_assert(offsetof(PixDlgSaveParams, WithStamp) == 304);
static_assert(offsetof(PixDlgSaveParams, AuxValue4) == 328);
static_assert(offsetof(PixDlgSaveParams, J2KOptions) == 332);
static_assert(offsetof(PixDlgSaveParams, FormatList) == 472);
static_assert(offsetof(PixDlgSaveParams, HelpCallback) == 488);
static_assert(offsetof(PixDlgSaveParams, JBIG2Options) == 504);
