// The engine's dialog library: initialisation, the font its dialogs use, and
// the brightness and sharpen dialogs with their parameter record.
#pragma once

#include <QFont>
#include <cstddef>
#include <cstdint>
#include <functional>

#include "imaging/engine/pix_bitmap.h"

class QDialog;
class QWidget;

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

// Status results of the dialogs.
constexpr int32_t kDlgOk = 100;
constexpr int32_t kDlgCancel = 101;
constexpr int32_t kDlgNotInitialised = -152;  // "You did not initialize the dialogs."

// Prepares the dialog library; 1 on success. Safe to call more than once.
int32_t P_DlgInit(int32_t flags);
// Sets the font of every engine dialog; 1 on success.
int32_t P_DlgSetFont(const QFont& font);
// The font set by P_DlgSetFont, or the application font.
QFont P_DlgFont();

// The modal brightness (change -1000 to 1000) and sharpen (amount 0 to 1000)
// dialogs on the record's bitmap, parented to `parent`. They open at the
// record's value (clamped to the range) with a live preview that never touches
// the bitmap. OK returns 100 with the chosen value in the record and, with
// kDlgApplyToBitmap, the bitmap changed by P_ChangeBitmapBrightness or
// P_SharpenBitmap; Cancel, Escape and closing the window return 101 and change
// nothing. Before any dialog opens: -152 before P_DlgInit, -789 for a wrong
// StructSize, -13 without a record, -2 for a bitmap without pixels, -27 for a
// palette bitmap.
int32_t P_DlgBrightness(QWidget* parent, PixDlgAdjustParams* params);
int32_t P_DlgSharpen(QWidget* parent, PixDlgAdjustParams* params);

// Called with each brightness or sharpen dialog once it is shown and its event
// loop runs, so that a test can drive it; empty removes the hook.
using PixDlgShownHook = std::function<void(QDialog* dialog)>;
void P_DlgSetShownHook(PixDlgShownHook hook);
