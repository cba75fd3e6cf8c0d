// The engine's dialog calls as the dialog components reach them, behind an
// interface so that tests can put a recording or failing engine in its place.
#pragma once

#include <QFont>
#include <cstdint>

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
};

// The engine in use: the real one unless a test installed another.
DlgEngine& CurrentDlgEngine();
// Installs `engine` (not owned); null puts the real engine back.
void SetDlgEngine(DlgEngine* engine);
