#include "imaging/engine/ui/dialog_library.h"

#include <QApplication>
#include <QTimer>
#include <new>
#include <optional>

#include "imaging/engine/retouch_ops.h"
#include "imaging/engine/status_codes.h"
#include "imaging/engine/ui/adjust_dialog.h"

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

int32_t RunDialog(QWidget* parent, PixDlgAdjustParams* params, const AdjustKind& kind) {
    if (!g_initialised) return kDlgNotInitialised;
    if (!params) return pix::kInvalidParameter;
    if (params->StructSize != sizeof(PixDlgAdjustParams)) return pix::kInvalidStructSize;
    if (!HasPixels(params->Bitmap)) return pix::kInvalidBitmap;
    if (!pix::IsRetouchable(params->Bitmap)) return pix::kInvalidBitsPerPixel;
    try {
        AdjustDialog dialog(parent, kind, *params, P_DlgFont());
        if (g_shownHook) {
            // Runs once exec() has shown the dialog and entered its loop.
            QTimer::singleShot(0, &dialog, [&dialog] {
                if (g_shownHook) g_shownHook(&dialog);
            });
        }
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

void P_DlgSetShownHook(PixDlgShownHook hook) {
    g_shownHook = std::move(hook);
}
