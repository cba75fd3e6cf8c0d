// SPDX-License-Identifier: GPL-3.0-or-later
// The engine's dialog library: initialisation, the font its dialogs use, and
// the brightness and sharpen dialogs with their parameter record.
#pragma once

#include <QFont>
#include <cstddef>
#include <cstdint>
#include <functional>

#include "imaging/engine/pix_bitmap.h"
#include "imaging/engine/ui/dialog_records.h"
#include "imaging/engine/ui/save_dialog_records.h"

class QDialog;
class QWidget;

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

// The modal save dialog, parented to `parent`: the user picks a folder, a name,
// a format from the record's list (or every format the engine saves) and the
// format's options; the name's extension follows the format, and replacing an
// existing file is asked first. It opens with the record's choices and
// `ofn`'s folder, name and title. OK returns 100 with the path in the record's
// FileName and in ofn's buffers and the choices in the record; a compression
// chosen becomes the engine's default for the saves that follow. Cancel,
// Escape and closing the window return 101 and change nothing. Before it
// opens: -152 before P_DlgInit, -13 without a record, -789 for a wrong
// StructSize or lStructSize, -16 when no format of the list can be saved.
int32_t P_DlgSave(QWidget* parent, OPENFILENAMEA* ofn, PixDlgSaveParams* params);

// Called with each engine dialog once it is shown and its event loop runs, so
// that a test can drive it; empty removes the hook.
using PixDlgShownHook = std::function<void(QDialog* dialog)>;
void P_DlgSetShownHook(PixDlgShownHook hook);
