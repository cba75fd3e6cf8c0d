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
                           const PixDlgAdjustParams& params)
    : QDialog(parent), m_kind(kind), m_help(params.HelpCallback), m_userData(params.UserData) {
    setWindowTitle(kind.title);
    setFont(P_DlgFont());
    // The modal bracket of the caller may have disabled the parent window; a
    // dialog is a window of its own and stays usable.
    setEnabled(true);
    m_preview = std::make_unique<AdjustPreview>(*params.Bitmap, kPreviewBox, kind.operation);

    m_image = new QLabel(this);
    m_image->setObjectName("preview");
    m_image->setAlignment(Qt::AlignCenter);
    m_image->setFrameShape(QFrame::StyledPanel);
    // Sized to the scaled picture, so that the frame holds it without bands.
    m_image->setMinimumSize(m_preview->Before().size() + QSize(4, 4));

    m_slider = new QSlider(Qt::Horizontal, this);
    m_slider->setObjectName("slider");
    m_slider->setRange(kind.minimum, kind.maximum);
    m_slider->setPageStep((kind.maximum - kind.minimum) / 20);
    m_value = new QSpinBox(this);
    m_value->setObjectName("value");
    m_value->setRange(kind.minimum, kind.maximum);
    m_value->setAccelerated(true);
    auto* label = new QLabel(kind.valueLabel, this);
    label->setBuddy(m_value);

    auto* before = new QPushButton("&Before", this);
    before->setObjectName("before");
    before->setAutoDefault(false);
    before->setToolTip("Hold to see the picture unchanged");
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    if (m_help) buttons->addButton(QDialogButtonBox::Help);

    auto* valueRow = new QHBoxLayout;
    valueRow->addWidget(label);
    valueRow->addWidget(m_slider, 1);
    valueRow->addWidget(m_value);
    auto* buttonRow = new QHBoxLayout;
    buttonRow->addWidget(before);
    buttonRow->addStretch(1);
    buttonRow->addWidget(buttons);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_image, 1);
    layout->addLayout(valueRow);
    layout->addLayout(buttonRow);

    const int32_t start = std::clamp(params.Value, kind.minimum, kind.maximum);
    m_slider->setValue(start);
    m_value->setValue(start);
    // The preview follows the slider while it moves and every step of the spin
    // box.
    connect(m_slider, &QSlider::valueChanged, m_value, &QSpinBox::setValue);
    connect(m_value, &QSpinBox::valueChanged, m_slider, &QSlider::setValue);
    connect(m_value, &QSpinBox::valueChanged, this, [this] { ShowAfter(); });
    connect(before, &QPushButton::pressed, this, [this] { ShowBefore(); });
    connect(before, &QPushButton::released, this, [this] { ShowAfter(); });
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(buttons, &QDialogButtonBox::helpRequested, this, [this] {
        // The callback is the caller's code; nothing it throws may reach Qt's
        // event loop.
        try {
            m_help(m_kind.dialogId, 0, m_userData);
        } catch (...) {
        }
    });
    buttons->button(QDialogButtonBox::Ok)->setDefault(true);
    m_value->setFocus();
    ShowAfter();
}

AdjustDialog::~AdjustDialog() = default;

int32_t AdjustDialog::Value() const {
    return m_value->value();
}

void AdjustDialog::ShowAfter() {
    try {
        m_image->setPixmap(QPixmap::fromImage(m_preview->After(m_value->value())));
    } catch (const std::exception&) {
        // Short of memory: the preview keeps its last picture.
    }
}

void AdjustDialog::ShowBefore() {
    m_image->setPixmap(QPixmap::fromImage(m_preview->Before()));
}
