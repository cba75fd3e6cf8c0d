// SPDX-License-Identifier: GPL-3.0-or-later
// The parameter record of the engine's brightness and sharpen dialogs, with
// its help callback, identifiers and flag bits.
#pragma once

#include <cstddef>
#include <cstdint>

#include "imaging/engine/pix_bitmap.h"

// Called by a dialog while it is open when the user asks for help: the
// dialog's identifier, a second value (0), and the record's user data.
using PixDlgHelpCallback = void (*)(uint32_t dialogId, uint32_t value, void* userData);

// Identifiers the dialogs hand to the help callback.
constexpr uint32_t kDlgIdBrightness = 1;
constexpr uint32_t kDlgIdSharpen = 2;
// Flag bit: on OK the dialog changes the record's bitmap itself. Other bits are
// accepted and passed through.
constexpr uint32_t kDlgApplyToBitmap = 1u << 0;

// The parameter record of the brightness and the sharpen dialog. StructSize
// must hold sizeof(PixDlgAdjustParams).
struct PixDlgAdjustParams {
    uint32_t StructSize;              // 0
    PixBitmap* Bitmap;                // 8: the bitmap worked on
    int32_t Switch;                   // 16: Boolean, -1 or 0; handed back unchanged
    int32_t Value;                    // 20: brightness change or sharpen amount
    uint32_t Flags;                   // 24
    PixDlgHelpCallback HelpCallback;  // 32: null shows no help button
    void* UserData;                   // 40: handed to the help callback
};
static_assert(offsetof(PixDlgAdjustParams, Bitmap) == 8);
static_assert(offsetof(PixDlgAdjustParams, Switch) == 16);
static_assert(offsetof(PixDlgAdjustParams, Value) == 20);
static_assert(offsetof(PixDlgAdjustParams, Flags) == 24);
static_assert(offsetof(PixDlgAdjustParams, HelpCallback) == 32);
static_assert(offsetof(PixDlgAdjustParams, UserData) == 40);
