// SPDX-License-Identifier: GPL-3.0-or-later
#include "imaging/engine/ui/dialog_library.h"

#include <QApplication>
#include <QFile>
#include <QFileInfo>
#include <QTimer>
#include <algorithm>
#include <cstring>
#include <new>
#include <optional>

#include "imaging/engine/retouch_ops.h"
#include "imaging/engine/status_codes.h"
#include "imaging/engine/ui/adjust_dialog.h"
#include "imaging/engine/ui/save_dialog.h"

namespace {

std::optional<QFont> g_font;
bool g_initialised = false;
PixDlgShownHook g_shownHook;

const AdjustKind kBrightness{"Brightness",        "&Change:",       pix::kBrightnessMin,
                             pix::kBrightnessMax, kDlgIdBrightness, P_ChangeBitmapBrightness};
const AdjustKind kSharpen{"Sharpen",        "&Amount:",    pix::kSharpenMin,
                          pix::kSharpenMax, kDlgIdSharpen, P_SharpenBitmap};

bool HasPixels(const PixBitmap* b) {
    return b && (b->Flags & kBitmapAllocated) && b->Data && b->Width > 0 && b->Height > 0;
}

// Hands the dialog to the test hook once exec() has shown it and entered its loop.
void CallShownHook(QDialog* dialog) {
    if (!g_shownHook) return;
    QTimer::singleShot(0, dialog, [dialog] {
        if (g_shownHook) g_shownHook(dialog);
    });
}

// Copies `text` into a caller's buffer of `size` bytes, cut to fit, with its zero.
void CopyOut(const QByteArray& text, char* buffer, uint32_t size) {
    if (!buffer || size == 0) return;
    const size_t n = std::min<size_t>(size_t(text.size()), size - 1);
    std::memcpy(buffer, text.constData(), n);
    buffer[n] = '\0';
}

void WriteChoices(const SaveDialog& dialog, OPENFILENAMEA* ofn, PixDlgSaveParams* params) {
    const QByteArray path = QFile::encodeName(dialog.ChosenPath());
    const QByteArray name = QFile::encodeName(QFileInfo(dialog.ChosenPath()).fileName());
    std::memset(params->FileName, 0, sizeof params->FileName);
    CopyOut(path, params->FileName, sizeof params->FileName);
    CopyOut(path, ofn->lpstrFile, ofn->nMaxFile);
    CopyOut(name, ofn->lpstrFileTitle, ofn->nMaxFileTitle);
    const qsizetype nameStart = path.size() - name.size();
    const qsizetype dot = name.lastIndexOf('.');
    ofn->nFileOffset = uint16_t(std::min<qsizetype>(nameStart, UINT16_MAX));
    ofn->nFileExtension =
        dot > 0 ? uint16_t(std::min<qsizetype>(nameStart + dot + 1, UINT16_MAX)) : 0;
    ofn->nFilterIndex = uint32_t(dialog.FormatIndex() + 1);

    params->FileFormat = dialog.Format().code;
    params->BitsPerPixel = dialog.BitsPerPixel();
    params->QFactor = dialog.QFactor();
    params->PageModePlusOne = dialog.PageMode() + 1;
    params->WithStamp = dialog.WithStamp() ? -1 : 0;
    params->StampWidth = dialog.StampWidth();
    params->StampHeight = dialog.StampHeight();
    params->StampBits = dialog.StampBits();
    params->AuxValue1 = DlgSaveAuxValue1(dialog.Compression());
}

int32_t RunSaveDialog(QWidget* parent, OPENFILENAMEA* ofn, PixDlgSaveParams* params) {
    if (!g_initialised) return kDlgNotInitialised;
    if (!ofn || !params) return pix::kInvalidParameter;
    if (ofn->lStructSize != sizeof(OPENFILENAMEA) || params->StructSize != sizeof(PixDlgSaveParams))
        return pix::kInvalidStructSize;
    try {
        std::vector<SaveDialogFormat> formats = SaveDialogFormats(*params);
        if (formats.empty()) return pix::kNotSupported;
        SaveDialog dialog(parent, *ofn, *params, std::move(formats), P_DlgFont());
        CallShownHook(&dialog);
        // A dialog is a window of its own and shows the normal pointer, also
        // when its caller shows a busy one.
        QApplication::setOverrideCursor(Qt::ArrowCursor);
        const int answer = dialog.exec();
        QApplication::restoreOverrideCursor();
        if (answer != QDialog::Accepted) return kDlgCancel;
        WriteChoices(dialog, ofn, params);
        return kDlgOk;
    } catch (const std::bad_alloc&) {
        return pix::kNoMemory;
    } catch (...) {
        return pix::kInternal;
    }
}

int32_t RunDialog(QWidget* parent, PixDlgAdjustParams* params, const AdjustKind& kind) {
    if (!g_initialised) return kDlgNotInitialised;
    if (!params) return pix::kInvalidParameter;
    if (params->StructSize != sizeof(PixDlgAdjustParams)) return pix::kInvalidStructSize;
    if (!HasPixels(params->Bitmap)) return pix::kInvalidBitmap;
    if (!pix::IsRetouchable(params->Bitmap)) return pix::kInvalidBitsPerPixel;
    try {
        AdjustDialog dialog(parent, kind, *params, P_DlgFont());
        CallShownHook(&dialog);
        if (dialog.exec() != QDialog::Accepted) return kDlgCancel;
        const int32_t value = dialog.Value();
        if (params->Flags & kDlgApplyToBitmap) {
            const int32_t status = kind.operation(params->Bitmap, value);
            if (status != pix::kSuccess) return status;
        }
        params->Value = value;
        return kDlgOk;
    } catch (const std::bad_alloc&) {
        return pix::kNoMemory;
    } catch (...) {
        return pix::kInternal;
    }
}

}  // namespace

int32_t P_DlgInit(int32_t /*flags*/) {
    g_initialised = true;
    return pix::kSuccess;
}

int32_t P_DlgSetFont(const QFont& font) {
    g_font = font;
    return pix::kSuccess;
}

QFont P_DlgFont() {
    return g_font ? *g_font : QApplication::font();
}

int32_t P_DlgBrightness(QWidget* parent, PixDlgAdjustParams* params) {
    return RunDialog(parent, params, kBrightness);
}

int32_t P_DlgSharpen(QWidget* parent, PixDlgAdjustParams* params) {
    return RunDialog(parent, params, kSharpen);
}

int32_t P_DlgSave(QWidget* parent, OPENFILENAMEA* ofn, PixDlgSaveParams* params) {
    return RunSaveDialog(parent, ofn, params);
}

void P_DlgSetShownHook(PixDlgShownHook hook) {
    g_shownHook = std::move(hook);
}
