// SPDX-License-Identifier: GPL-3.0-or-later
// The engine's dialog calls as the dialog components reach them, behind an
// interface so that tests can put a recording or failing engine in its place.
#pragma once

#include <QFont>
#include <cstdint>

#include "imaging/engine/format_options.h"
#include "imaging/engine/ui/dialog_library.h"

class QWidget;

class DlgEngine {
public:
    virtual ~DlgEngine() = default;
    virtual int32_t Init(int32_t flags) { return P_DlgInit(flags); }
    virtual int32_t SetFont(const QFont& font) { return P_DlgSetFont(font); }
    virtual int32_t Brightness(QWidget* parent, PixDlgAdjustParams* params) {
        return P_DlgBrightness(parent, params);
    }
    virtual int32_t Sharpen(QWidget* parent, PixDlgAdjustParams* params) {
        return P_DlgSharpen(parent, params);
    }
    virtual int32_t Save(QWidget* parent, OPENFILENAMEA* ofn, PixDlgSaveParams* params) {
        return P_DlgSave(parent, ofn, params);
    }
    virtual int32_t GetJ2KOptions(PixJ2KOptions* o) { return P_GetJ2KOptions(o, sizeof *o); }
    virtual int32_t SetJ2KOptions(const PixJ2KOptions* o) { return P_SetJ2KOptions(o, sizeof *o); }
    virtual int32_t GetJBIG2Options(PixJBIG2Options* o) { return P_GetJBIG2Options(o, sizeof *o); }
    virtual int32_t SetJBIG2Options(const PixJBIG2Options* o) {
        return P_SetJBIG2Options(o, sizeof *o);
    }
};

// The engine in use: the real one unless a test installed another.
DlgEngine& CurrentDlgEngine();
// Installs `engine` (not owned); null puts the real engine back.
void SetDlgEngine(DlgEngine* engine);
