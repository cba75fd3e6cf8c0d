// SPDX-License-Identifier: GPL-3.0-or-later
#include "imaging/engine/ui/adjust_dialog.h"

#include <QApplication>
#include <QDialogButtonBox>
#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QPixmap>
#include <QPushButton>
#include <QSlider>
#include <QSpinBox>
#include <QVBoxLayout>
#include <algorithm>
#include <exception>

namespace {

// The preview box; a 1024 x 768 drawing is shown at 3/8 of its size.
constexpr QSize kPreviewBox(384, 288);

}  // namespace

AdjustDialog::AdjustDialog(QWidget* parent, const AdjustKind& kind,
                           const PixDlgAdjustParams& params, const QFont& font)
    : QDialog(parent), kind_(kind), help_(params.HelpCallback), userData_(params.UserData) {
    setWindowTitle(kind.title);
    setFont(font);
    // The modal bracket of the caller may have disabled the parent window; a
    // dialog is a window of its own and stays usable.
    setEnabled(true);
    preview_ = std::make_unique<AdjustPreview>(*params.Bitmap, kPreviewBox, kind.operation);

    image_ = new QLabel(this);
    image_->setObjectName("preview");
    image_->setAlignment(Qt::AlignCenter);
    image_->setFrameShape(QFrame::StyledPanel);
    // Sized to the scaled picture, so that the frame holds it without bands.
    image_->setMinimumSize(preview_->Before().size() + QSize(4, 4));

    slider_ = new QSlider(Qt::Horizontal, this);
    slider_->setObjectName("slider");
    slider_->setRange(kind.minimum, kind.maximum);
    slider_->setPageStep((kind.maximum - kind.minimum) / 20);
    value_ = new QSpinBox(this);
    value_->setObjectName("value");
    value_->setRange(kind.minimum, kind.maximum);
    value_->setAccelerated(true);
    auto* label = new QLabel(kind.valueLabel, this);
    label->setBuddy(value_);

    auto* before = new QPushButton("&Before", this);
    before->setObjectName("before");
    before->setAutoDefault(false);
    before->setToolTip("Hold to see the picture unchanged");
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    if (help_) buttons->addButton(QDialogButtonBox::Help);

    auto* valueRow = new QHBoxLayout;
    valueRow->addWidget(label);
    valueRow->addWidget(slider_, 1);
    valueRow->addWidget(value_);
    auto* buttonRow = new QHBoxLayout;
    buttonRow->addWidget(before);
    buttonRow->addStretch(1);
    buttonRow->addWidget(buttons);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(image_, 1);
    layout->addLayout(valueRow);
    layout->addLayout(buttonRow);

    const int32_t start = std::clamp(params.Value, kind.minimum, kind.maximum);
    slider_->setValue(start);
    value_->setValue(start);
    // The preview follows the slider while it moves and every step of the spin
    // box.
    connect(slider_, &QSlider::valueChanged, value_, &QSpinBox::setValue);
    connect(value_, &QSpinBox::valueChanged, slider_, &QSlider::setValue);
    connect(value_, &QSpinBox::valueChanged, this, [this] { ShowAfter(); });
    connect(before, &QPushButton::pressed, this, [this] { ShowBefore(); });
    connect(before, &QPushButton::released, this, [this] { ShowAfter(); });
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(buttons, &QDialogButtonBox::helpRequested, this, [this] {
        // The callback is the caller's code; nothing it throws may reach Qt's
        // event loop.
        try {
            help_(kind_.dialogId, 0, userData_);
        } catch (...) {
        }
    });
    buttons->button(QDialogButtonBox::Ok)->setDefault(true);
    value_->setFocus();
    ShowAfter();
}

AdjustDialog::~AdjustDialog() = default;

int32_t AdjustDialog::Value() const {
    return value_->value();
}

void AdjustDialog::ShowAfter() {
    try {
        image_->setPixmap(QPixmap::fromImage(preview_->After(value_->value())));
    } catch (const std::exception&) {
        // Short of memory: the preview keeps its last picture.
    }
}

void AdjustDialog::ShowBefore() {
    image_->setPixmap(QPixmap::fromImage(preview_->Before()));
}
