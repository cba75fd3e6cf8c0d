// SPDX-License-Identifier: GPL-3.0-or-later
// The dialog behind P_DlgBrightness and P_DlgSharpen: a preview, a slider with
// a spin box for the value, a "Before" button, OK, Cancel and an optional Help.
#pragma once

#include <QDialog>
#include <QFont>
#include <QImage>
#include <cstdint>
#include <memory>

#include "imaging/engine/ui/adjust_preview.h"
#include "imaging/engine/ui/dialog_records.h"

class QLabel;
class QSlider;
class QSpinBox;

// What tells the two dialogs apart.
struct AdjustKind {
    const char* title;
    const char* valueLabel;
    int32_t minimum;
    int32_t maximum;
    uint32_t dialogId;
    AdjustPreview::Operation operation;
};

class AdjustDialog : public QDialog {
    Q_OBJECT

public:
    // Object names the tests find: "preview", "slider", "value", "before".
    AdjustDialog(QWidget* parent, const AdjustKind& kind, const PixDlgAdjustParams& params,
                 const QFont& font);
    ~AdjustDialog() override;

    int32_t Value() const;

private:
    void ShowAfter();
    void ShowBefore();

    const AdjustKind& kind_;
    PixDlgHelpCallback help_;
    void* userData_;
    std::unique_ptr<AdjustPreview> preview_;
    QLabel* image_ = nullptr;
    QSlider* slider_ = nullptr;
    QSpinBox* value_ = nullptr;
};
