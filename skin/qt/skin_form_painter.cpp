// SPDX-License-Identifier: GPL-3.0-or-later
#include "skin/qt/skin_form_painter.h"

#include <QAbstractButton>
#include <QAbstractSpinBox>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFontDatabase>
#include <QGroupBox>
#include <QLabel>
#include <QLayout>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMouseEvent>
#include <QPainter>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QSlider>
#include <QStatusBar>
#include <QTabBar>
#include <QTabWidget>
#include <QTextEdit>
#include <QToolBar>
#include <QToolButton>
#include <QWindow>

#include "platform/qt/system_colors.h"
#include "skin/qt/skin_paint.h"
#include "skin/qt/skin_style.h"
#include "skin/qt/skin_tag.h"

namespace {

// Widgets of the skin itself carry this property and are never skinned.
constexpr char kSkinPart[] = "skinPart";

// Changes a window's flags without recreating it, so that a window already on
// screen only loses (or gets back) its decoration.
void SetFlagsInPlace(QWidget* window, Qt::WindowFlags flags) {
    if (QWindow* handle = window->windowHandle()) {
        window->overrideWindowFlags(flags);
        handle->setFlags(flags);
    } else {
        window->setWindowFlags(flags);
    }
}

// The skin's colour for a colour that the program took from the system
// palette, by the kind of role it fills; empty for a colour of its own.
std::optional<QColor> TranslateSystemColour(const QColor& c, QPalette::ColorRole role,
                                            const SkinLook& look) {
    switch (role) {
        case QPalette::WindowText:
        case QPalette::ButtonText:
        case QPalette::Text:
            if (c == SystemColorValue(SystemColor::WindowText))
                return look.Colour(SkinColour::WindowText);
            return std::nullopt;
        default:
            if (c == SystemColorValue(SystemColor::BtnFace))
                return look.Colour(SkinColour::ButtonFace);
            if (c == SystemColorValue(SystemColor::BtnHighlight))
                return look.Colour(SkinColour::ButtonHilight);
            return std::nullopt;
    }
}

bool ActionAllowed(int action, Qt::WindowFlags flags, const QWidget* form) {
    const bool resizable = form->minimumSize() != form->maximumSize();
    switch (static_cast<TitleAction>(action)) {
        case TitleAction::Close:
            return flags & Qt::WindowCloseButtonHint;
        case TitleAction::Maximize:
            return (flags & Qt::WindowMaximizeButtonHint) && resizable;
        case TitleAction::Minimize:
            return flags & Qt::WindowMinimizeButtonHint;
        default:
            return action < 0;  // a picture in the title bar, not a button
    }
}

const char* ActionName(int action) {
    switch (static_cast<TitleAction>(action)) {
        case TitleAction::Close:
            return "skinClose";
        case TitleAction::Maximize:
            return "skinMaximize";
        case TitleAction::Minimize:
            return "skinMinimize";
        default:
            return "skinTitlePicture";
    }
}

// A title-bar button drawn from its BUTTON object: frames normal, hover,
// pressed, and with six frames the same for an inactive window.
class TitleButton : public QAbstractButton {
public:
    TitleButton(const SkinTitleButton& button, QWidget* parent)
        : QAbstractButton(parent), button_(button) {
        setProperty(kSkinPart, true);
        setObjectName(ActionName(button.action));
        setFocusPolicy(Qt::NoFocus);
        setAttribute(Qt::WA_Hover);
        resize(button.piece.FrameSize());
        if (button.action < 0) setAttribute(Qt::WA_TransparentForMouseEvents);
    }
    const SkinTitleButton& Button() const { return button_; }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        int frame = isDown() ? 2 : underMouse() ? 1 : 0;
        if (button_.piece.frames >= 6 && !window()->isActiveWindow()) frame += 3;
        DrawPiece(painter, button_.piece, frame, rect());
    }

private:
    SkinTitleButton button_;
};

}  // namespace

// The frame of a skinned window: a child covering the whole window, below all
// other children, that draws the borders and the title bar and turns presses
// on them into the window manager's move and resize.
class SkinFrame : public QWidget {
public:
    SkinFrame(QWidget* form, std::shared_ptr<const SkinLook> look, Qt::WindowFlags flags)
        : QWidget(form), form_(form), look_(std::move(look)), flags_(flags) {
        setProperty(kSkinPart, true);
        setObjectName("skinFrame");
        setFocusPolicy(Qt::NoFocus);
        setMouseTracking(true);
        Rebuild();
    }

    void SetLook(std::shared_ptr<const SkinLook> look) {
        look_ = std::move(look);
        Rebuild();
        update();
    }

protected:
    void resizeEvent(QResizeEvent*) override { PlaceButtons(); }

    void paintEvent(QPaintEvent*) override {
        const SkinLook& look = *look_;
        QPainter painter(this);
        const int frame = form_->isActiveWindow() ? 0 : 1;
        const QMargins m = look.FrameMargins();
        const int w = width();
        const int h = height();
        DrawBorder(painter, look.top, frame, QRect(0, 0, w, m.top()), Qt::Horizontal);
        DrawBorder(painter, look.left, frame, QRect(0, m.top(), m.left(), h - m.top() - m.bottom()),
                   Qt::Vertical);
        DrawBorder(painter, look.right, frame,
                   QRect(w - m.right(), m.top(), m.right(), h - m.top() - m.bottom()),
                   Qt::Vertical);
        DrawBorder(painter, look.bottom, frame, QRect(0, h - m.bottom(), w, m.bottom()),
                   Qt::Horizontal);
        DrawTitle(painter, frame == 0);
    }

    void mousePressEvent(QMouseEvent* e) override {
        QWindow* handle = form_->windowHandle();
        if (e->button() != Qt::LeftButton || !handle) return e->ignore();
        if (const Qt::Edges edges = EdgesAt(e->position().toPoint())) {
            handle->startSystemResize(edges);
        } else if (e->position().y() < look_->FrameMargins().top()) {
            handle->startSystemMove();
        } else {
            return e->ignore();
        }
        e->accept();
    }

    void mouseDoubleClickEvent(QMouseEvent* e) override {
        if (e->button() == Qt::LeftButton && e->position().y() < look_->FrameMargins().top() &&
            ActionAllowed(int(TitleAction::Maximize), flags_, form_)) {
            form_->isMaximized() ? form_->showNormal() : form_->showMaximized();
            return e->accept();
        }
        e->ignore();
    }

    void mouseMoveEvent(QMouseEvent* e) override {
        const Qt::Edges edges = EdgesAt(e->position().toPoint());
        if (edges == (Qt::LeftEdge | Qt::TopEdge) || edges == (Qt::RightEdge | Qt::BottomEdge))
            setCursor(Qt::SizeFDiagCursor);
        else if (edges == (Qt::RightEdge | Qt::TopEdge) || edges == (Qt::LeftEdge | Qt::BottomEdge))
            setCursor(Qt::SizeBDiagCursor);
        else if (edges & (Qt::LeftEdge | Qt::RightEdge))
            setCursor(Qt::SizeHorCursor);
        else if (edges)
            setCursor(Qt::SizeVerCursor);
        else
            unsetCursor();
        e->ignore();
    }

private:
    // The window edges under `p` when the window can be resized there.
    Qt::Edges EdgesAt(const QPoint& p) const {
        if (form_->minimumSize() == form_->maximumSize() || form_->isMaximized()) return {};
        const QMargins m = look_->FrameMargins();
        // A grip of at least 4 pixels, even where a border is thinner.
        const int grip = 4;
        Qt::Edges edges;
        if (p.x() < std::max(grip, m.left())) edges |= Qt::LeftEdge;
        if (p.x() >= width() - std::max(grip, m.right())) edges |= Qt::RightEdge;
        if (p.y() < grip) edges |= Qt::TopEdge;
        if (p.y() >= height() - std::max(grip, m.bottom())) edges |= Qt::BottomEdge;
        return edges;
    }

    void Rebuild() {
        for (TitleButton* b : buttons_) delete b;
        buttons_.clear();
        for (const SkinTitleButton& b : look_->titleButtons) {
            if (!ActionAllowed(b.action, flags_, form_)) continue;
            auto* button = new TitleButton(b, this);
            const int action = b.action;
            QObject::connect(button, &QAbstractButton::clicked, form_, [form = form_, action] {
                switch (static_cast<TitleAction>(action)) {
                    case TitleAction::Close:
                        form->close();
                        break;
                    case TitleAction::Maximize:
                        form->isMaximized() ? form->showNormal() : form->showMaximized();
                        break;
                    case TitleAction::Minimize:
                        form->showMinimized();
                        break;
                    default:
                        break;
                }
            });
            button->show();
            buttons_.push_back(button);
        }
        PlaceButtons();
    }

    void PlaceButtons() {
        for (TitleButton* b : buttons_) {
            const SkinTitleButton& t = b->Button();
            b->move(t.align == 0 ? t.x : width() - t.x, t.y);
        }
    }

    void DrawTitle(QPainter& painter, bool active) {
        const SkinLook& look = *look_;
        const QMargins m = look.FrameMargins();
        int left = look.textShift;
        int right = width() - m.right();
        for (TitleButton* b : buttons_)
            if (b->x() > width() / 2) right = std::min(right, b->x());
        right -= look.textRightClip;
        const QIcon icon = form_->windowIcon();
        if (!icon.isNull()) {
            const int size = 16;
            icon.paint(&painter, QRect(left, (m.top() - size) / 2, size, size));
            left += size + 6;
        }
        const QRect textRect(left, look.textShiftVert, std::max(0, right - left), m.top());
        if (look.textBack.Present()) DrawPiece(painter, look.textBack, active ? 0 : 1, textRect);
        QFont font = QFontDatabase::systemFont(QFontDatabase::TitleFont);
        font.setPixelSize(std::max(6, look.fontHeight));
        painter.setFont(font);
        const std::optional<QColor> colour =
            active ? (look.activeText ? look.activeText : look.Colour(SkinColour::TitleTextActive))
                   : (look.inactiveText ? look.inactiveText
                                        : look.Colour(SkinColour::TitleTextNoActive));
        painter.setPen(colour.value_or(palette().color(QPalette::WindowText)));
        const Qt::Alignment align = look.textAlignment == 1   ? Qt::AlignRight
                                    : look.textAlignment == 2 ? Qt::AlignHCenter
                                                              : Qt::AlignLeft;
        const QString text =
            QFontMetrics(font).elidedText(form_->windowTitle(), Qt::ElideRight, textRect.width());
        painter.drawText(textRect, align | Qt::AlignVCenter, text);
    }

    QWidget* form_;
    std::shared_ptr<const SkinLook> look_;
    Qt::WindowFlags flags_;
    std::vector<TitleButton*> buttons_;
};

TSkinFormPainter::TSkinFormPainter(QWidget* form, std::shared_ptr<const SkinLook> look,
                                   const SkinPainterSettings& settings, QObject* styleOwner)
    : form_(form),
      look_(std::move(look)),
      settings_(settings),
      flags_(form->windowFlags()),
      margins_(form->contentsMargins()),
      hadPalette_(form->testAttribute(Qt::WA_SetPalette)),
      palette_(form->palette()) {
    style_ = new TSkinStyle(look_, settings_.options & Bit(xoNoFocusRect));
    style_->setParent(styleOwner);
    // The controls' palettes are taken before the window's palette changes.
    for (QObject* child : form->children())
        if (auto* w = qobject_cast<QWidget*>(child)) Attach(w, false);
    form->setPalette(SkinPaletteFor(form, palette_));
    for (Attached& a : attached_)
        if (a.widget && a.styled) a.widget->setPalette(SkinPaletteFor(a.widget, a.palette));
    paletteApplied_ = true;
    ApplyFrame();
    form->installEventFilter(this);
}

TSkinFormPainter::~TSkinFormPainter() {
    if (abandoned_ || !form_) return;
    form_->removeEventFilter(this);
    RemoveFrame();
    for (Attached& a : attached_) {
        if (!a.widget) continue;
        if (a.styled) a.widget->setStyle(nullptr);
        a.widget->setPalette(a.hadPalette ? a.palette : QPalette());
    }
    form_->setPalette(hadPalette_ ? palette_ : QPalette());
    if (style_) style_->deleteLater();
}

void TSkinFormPainter::SetLook(std::shared_ptr<const SkinLook> look) {
    if (!form_) return;
    const bool hadFrame = look_->HasFrame();
    look_ = std::move(look);
    if (style_) style_->SetLook(look_);
    form_->setPalette(SkinPaletteFor(form_, palette_));
    for (Attached& a : attached_)
        if (a.widget && a.styled) a.widget->setPalette(SkinPaletteFor(a.widget, a.palette));
    if (hadFrame && look_->HasFrame() && frame_) {
        form_->setContentsMargins(margins_ + look_->FrameMargins());
        frame_->SetLook(look_);
    } else {
        RemoveFrame();
        ApplyFrame();
    }
    form_->update();
    for (QWidget* w : form_->findChildren<QWidget*>()) w->update();
}

int TSkinFormPainter::ControlKind(const QWidget* w) {
    // A button box answers whether its buttons carry icons.
    if (qobject_cast<const QPushButton*>(w) || qobject_cast<const QDialogButtonBox*>(w))
        return xcButton;
    if (qobject_cast<const QToolButton*>(w)) return xcSpeedButton;
    if (qobject_cast<const QCheckBox*>(w)) return xcCheckBox;
    if (qobject_cast<const QRadioButton*>(w)) return xcRadioButton;
    // Group boxes count as panels.
    if (qobject_cast<const QGroupBox*>(w)) return xcPanel;
    if (qobject_cast<const QLineEdit*>(w) || qobject_cast<const QPlainTextEdit*>(w) ||
        qobject_cast<const QTextEdit*>(w))
        return xcEdit;
    if (qobject_cast<const QAbstractSpinBox*>(w)) return xcSpin;
    if (qobject_cast<const QComboBox*>(w)) return xcCombo;
    if (qobject_cast<const QScrollBar*>(w)) return xcScrollbar;
    if (qobject_cast<const QProgressBar*>(w)) return xcProgress;
    if (qobject_cast<const QSlider*>(w)) return xcTrackBar;
    if (qobject_cast<const QStatusBar*>(w)) return xcStatusBar;
    if (qobject_cast<const QTabBar*>(w) || qobject_cast<const QTabWidget*>(w)) return xcTab;
    if (qobject_cast<const QToolBar*>(w)) return xcToolbar;
    if (qobject_cast<const QMenuBar*>(w)) return xcMainMenu;
    if (qobject_cast<const QMenu*>(w)) {
        for (const QObject* p = w->parent(); p; p = p->parent())
            if (qobject_cast<const QMenuBar*>(p)) return xcMainMenu;
        return xcPopupMenu;
    }
    // The image views derive from the panel kind.
    if (w->inherits("TPixImage")) return xcPanel;
    if (const auto* f = qobject_cast<const QFrame*>(w);
        f && !qobject_cast<const QLabel*>(w) && f->frameShape() != QFrame::NoFrame)
        return xcPanel;
    return -1;
}

void TSkinFormPainter::AttachControls(QWidget* control) {
    if (!form_ || abandoned_) return;
    // A control under a group so marked keeps the mark.
    bool byGroup = false;
    for (QWidget* p = control->parentWidget(); p && p != form_; p = p->parentWidget())
        if (qobject_cast<QGroupBox*>(p) && WidgetTag(p) == settings_.disableTag) byGroup = true;
    Attach(control, byGroup);
}

void TSkinFormPainter::Attach(QWidget* control, bool disabledByGroup) {
    if (control->property(kSkinPart).toBool()) return;
    if (control->isWindow() && !qobject_cast<QMenu*>(control)) return;
    for (const Attached& a : attached_)
        if (a.widget == control) return;
    const int kind = ControlKind(control);
    const bool marked = WidgetTag(control) == settings_.disableTag ||
                        (disabledByGroup && (qobject_cast<QRadioButton*>(control) ||
                                             qobject_cast<QCheckBox*>(control)));
    Attached a;
    a.widget = control;
    a.hadPalette = control->testAttribute(Qt::WA_SetPalette);
    // What it looks like without the skin: its own palette, or the window's.
    a.palette = a.hadPalette ? control->palette() : palette_;
    if (marked) {
        // Left alone: it keeps every colour it has now rather than inherit
        // the skin's from its window.
        QPalette pinned = a.palette;
        pinned.setResolveMask(~QPalette::ResolveMask(0));
        control->setPalette(pinned);
        attached_.push_back(a);
    } else if (kind >= 0 && (settings_.controls & Bit(kind)) && !control->inherits("TPixImage")) {
        // The image views are flat: they have no frame to draw, and their
        // picture is never touched.
        control->setStyle(style_);
        a.styled = true;
        if (paletteApplied_) control->setPalette(SkinPaletteFor(control, a.palette));
        attached_.push_back(a);
    }
    const bool passMark = marked && qobject_cast<QGroupBox*>(control);
    for (QObject* child : control->children())
        if (auto* w = qobject_cast<QWidget*>(child)) Attach(w, passMark);
}

QPalette TSkinFormPainter::SkinPaletteFor(const QWidget* control, const QPalette& before) const {
    QPalette p = look_->Palette(QApplication::palette(control));
    // Colours the program set itself stay, but those it took from the system
    // palette become the skin's. A colour equal to the system's own for its
    // role was not chosen by the program: the skin's applies there.
    const QPalette system = QApplication::palette(control);
    for (int g = 0; g < QPalette::NColorGroups; ++g) {
        for (int r = 0; r < QPalette::NColorRoles; ++r) {
            const auto group = static_cast<QPalette::ColorGroup>(g);
            const auto role = static_cast<QPalette::ColorRole>(r);
            if (!before.isBrushSet(group, role)) continue;
            const QColor c = before.color(group, role);
            if (c == system.color(group, role)) continue;
            p.setColor(group, role, TranslateSystemColour(c, role, *look_).value_or(c));
        }
    }
    // A caption colour of the window's design is kept.
    const QColor design = control->property("designTextColor").value<QColor>();
    if (design.isValid()) {
        for (auto group : {QPalette::Active, QPalette::Inactive}) {
            p.setColor(group, QPalette::WindowText, design);
            p.setColor(group, QPalette::ButtonText, design);
        }
    }
    return p;
}

void TSkinFormPainter::ApplyFrame() {
    if (!form_ || !look_->HasFrame()) return;
    SetFlagsInPlace(form_, flags_ | Qt::FramelessWindowHint);
    form_->setContentsMargins(margins_ + look_->FrameMargins());
    // The window takes its new size now, before it first shows.
    if (QLayout* layout = form_->layout()) layout->activate();
    frame_ = new SkinFrame(form_, look_, flags_);
    frame_->setGeometry(form_->rect());
    frame_->lower();
    frame_->show();
    if (form_->isVisible() && !form_->windowHandle()->isVisible()) form_->show();
}

void TSkinFormPainter::RemoveFrame() {
    if (!frame_ || !form_) return;
    delete frame_;
    form_->setContentsMargins(margins_);
    SetFlagsInPlace(form_, flags_);
}

bool TSkinFormPainter::eventFilter(QObject* watched, QEvent* event) {
    if (watched == form_ && frame_) {
        switch (event->type()) {
            case QEvent::Resize:
                frame_->setGeometry(form_->rect());
                break;
            case QEvent::ActivationChange:
                frame_->update();
                for (QMenuBar* bar : form_->findChildren<QMenuBar*>()) bar->update();
                break;
            case QEvent::WindowTitleChange:
            case QEvent::WindowIconChange:
                frame_->update();
                break;
            default:
                break;
        }
    }
    return QObject::eventFilter(watched, event);
}
