// SPDX-License-Identifier: GPL-3.0-or-later
#include "skin/qt/skin_style.h"

#include <QAbstractScrollArea>
#include <QApplication>
#include <QCheckBox>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPainter>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QStyleFactory>
#include <QStyleOption>

#include "skin/qt/skin_paint.h"

namespace {

// A fresh instance of the application's style for the proxy to own.
QStyle* BaseStyle() {
    QStyle* app = QApplication::style();
    if (QStyle* made = QStyleFactory::create(app->name())) return made;
    return QStyleFactory::create("Fusion");
}

// The state of a control in the usual strip order: normal, hover, pressed,
// disabled.
int StateFrame(QStyle::State state) {
    if (!(state & QStyle::State_Enabled)) return 3;
    if (state & (QStyle::State_Sunken | QStyle::State_On)) return 2;
    if (state & QStyle::State_MouseOver) return 1;
    return 0;
}

QColor ColourOr(const SkinLook& look, SkinColour c, const QColor& fallback) {
    return look.Colour(c).value_or(fallback);
}

// The largest font, from `font` down, in which `text` fits `width`: first a
// condensed face, then smaller sizes, never below 6 pixels.
QFont FittingFont(const QFont& font, const QString& text, int width) {
    QFont f = font;
    if (QFontMetrics(f).horizontalAdvance(text) <= width) return f;
    f.setStretch(QFont::SemiCondensed);
    if (QFontMetrics(f).horizontalAdvance(text) <= width) return f;
    f.setStretch(QFont::Condensed);
    QFontInfo info(f);
    for (int px = info.pixelSize(); px > 6; --px) {
        f.setPixelSize(px);
        if (QFontMetrics(f).horizontalAdvance(text) <= width) return f;
    }
    return f;
}

}  // namespace

TSkinStyle::TSkinStyle(std::shared_ptr<const SkinLook> look, bool noFocusRect)
    : QProxyStyle(BaseStyle()), look_(std::move(look)), noFocusRect_(noFocusRect) {}

int TSkinStyle::PushButtonFrame(QStyle::State state, bool isDefault) {
    const int frame = StateFrame(state);
    if (frame == 0 && isDefault) return 4;
    return frame;
}

void TSkinStyle::polish(QWidget* widget) {
    QProxyStyle::polish(widget);
    if (qobject_cast<QPushButton*>(widget) || qobject_cast<QCheckBox*>(widget) ||
        qobject_cast<QRadioButton*>(widget) || qobject_cast<QScrollBar*>(widget) ||
        qobject_cast<QLineEdit*>(widget) || qobject_cast<QAbstractScrollArea*>(widget))
        widget->setAttribute(Qt::WA_Hover, true);
}

void TSkinStyle::drawPrimitive(PrimitiveElement element, const QStyleOption* option,
                               QPainter* painter, const QWidget* widget) const {
    const SkinLook& look = *look_;
    switch (element) {
        case PE_FrameFocusRect:
            if (noFocusRect_) return;
            break;
        case PE_IndicatorCheckBox:
            if (look.check.Present()) {
                const bool checked = option->state & (State_On | State_NoChange);
                int frame = StateFrame(option->state & ~State_On);
                frame += checked ? 4 : 0;
                const QSize s = look.check.FrameSize();
                const QRect r(QPoint(option->rect.left(),
                                     option->rect.top() + (option->rect.height() - s.height()) / 2),
                              s);
                DrawPiece(*painter, look.check, frame, r);
                return;
            }
            break;
        case PE_IndicatorRadioButton:
            if (look.radio.Present()) {
                const bool checked = option->state & State_On;
                const int frame = StateFrame(option->state & ~State_On) + (checked ? 4 : 0);
                const QSize s = look.radio.FrameSize();
                DrawPiece(
                    *painter, look.radio, frame,
                    QRect(QPoint(option->rect.left(), option->rect.center().y() - s.height() / 2),
                          s));
                return;
            }
            break;
        case PE_FrameGroupBox:
            if (look.groupBox.Present()) {
                DrawPiece(*painter, look.groupBox, 0, option->rect, false);
                return;
            }
            break;
        case PE_PanelLineEdit:
        case PE_FrameLineEdit:
            if (look.sunkEdge.Present()) {
                if (element == PE_PanelLineEdit)
                    painter->fillRect(option->rect.adjusted(1, 1, -1, -1), option->palette.base());
                int frame = StateFrame(option->state & ~(State_Sunken | State_On));
                if (frame == 0 && (option->state & State_HasFocus)) frame = 2;
                DrawPiece(*painter, look.sunkEdge, frame, option->rect, false);
                return;
            }
            break;
        case PE_PanelMenu:
        case PE_FrameMenu:
            if (look.menuBackground.Present()) {
                DrawPiece(*painter, look.menuBackground, 0, option->rect, element == PE_PanelMenu);
                return;
            }
            break;
        case PE_PanelMenuBar:
            if (look.menuBar.Present()) {
                const bool active = !widget || widget->window()->isActiveWindow();
                DrawPiece(*painter, look.menuBar, active ? 0 : 1, option->rect);
                return;
            }
            break;
        default:
            break;
    }
    QProxyStyle::drawPrimitive(element, option, painter, widget);
}

void TSkinStyle::DrawPushButtonLabel(const QStyleOptionButton& option, QPainter* painter,
                                     const QWidget* widget) const {
    // The skin's buttons carry their caption alone; a button without one
    // keeps its icon.
    if (option.text.isEmpty()) {
        QProxyStyle::drawControl(CE_PushButtonLabel, &option, painter, widget);
        return;
    }
    QRect r = option.rect.adjusted(2, 0, -2, 0);
    if (option.state & (State_Sunken | State_On)) r.translate(0, 1);
    painter->save();
    painter->setFont(FittingFont(painter->font(), QString(option.text).remove('&'), r.width()));
    const QPalette::ColorGroup group =
        (option.state & State_Enabled) ? QPalette::Active : QPalette::Disabled;
    painter->setPen(option.palette.color(group, QPalette::ButtonText));
    painter->drawText(r, Qt::AlignCenter | Qt::TextShowMnemonic, option.text);
    painter->restore();
}

void TSkinStyle::DrawMenuItem(const QStyleOptionMenuItem& option, QPainter* painter,
                              const QWidget* widget) const {
    const SkinLook& look = *look_;
    const QColor menu = ColourOr(look, SkinColour::Menu, option.palette.window().color());
    painter->fillRect(option.rect, menu);
    if (option.menuItemType == QStyleOptionMenuItem::Separator) {
        const int y = option.rect.center().y();
        painter->fillRect(QRect(option.rect.left() + 6, y, option.rect.width() - 12, 1),
                          ColourOr(look, SkinColour::Buttonlight, option.palette.mid().color()));
        return;
    }
    const bool enabled = option.state & State_Enabled;
    const bool selected = option.state & State_Selected;
    if (selected)
        DrawPiece(*painter, look.menuItem, enabled ? 1 : 4, option.rect.adjusted(2, 0, -2, 0));
    const QColor text =
        !enabled ? option.palette.color(QPalette::Disabled, QPalette::WindowText)
        : selected
            ? ColourOr(look, SkinColour::HilightText, option.palette.highlightedText().color())
            : ColourOr(look, SkinColour::MenuText, option.palette.windowText().color());
    const int checkColumn = 22;
    if (option.checkType != QStyleOptionMenuItem::NotCheckable && option.checked &&
        look.check.Present()) {
        const QSize s = look.check.FrameSize();
        DrawPiece(*painter, look.check, enabled ? 4 : 7,
                  QRect(QPoint(option.rect.left() + (checkColumn - s.width()) / 2 + 2,
                               option.rect.center().y() - s.height() / 2),
                        s));
    }
    QString label = option.text;
    QString shortcut;
    if (const qsizetype tab = label.indexOf('\t'); tab >= 0) {
        shortcut = label.mid(tab + 1);
        label.truncate(tab);
    }
    const QRect textRect = option.rect.adjusted(checkColumn + 4, 0, -18, 0);
    painter->save();
    painter->setPen(text);
    painter->setFont(option.font);
    painter->drawText(textRect, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextShowMnemonic, label);
    if (!shortcut.isEmpty())
        painter->drawText(textRect, Qt::AlignRight | Qt::AlignVCenter, shortcut);
    painter->restore();
    if (option.menuItemType == QStyleOptionMenuItem::SubMenu) {
        QStyleOption arrow = option;
        arrow.rect = QRect(option.rect.right() - 14, option.rect.center().y() - 4, 8, 8);
        arrow.palette.setColor(QPalette::ButtonText, text);
        arrow.palette.setColor(QPalette::WindowText, text);
        QProxyStyle::drawPrimitive(PE_IndicatorArrowRight, &arrow, painter, widget);
    }
}

void TSkinStyle::DrawScrollBar(const QStyleOptionSlider& option, QPainter* painter,
                               const QWidget* widget) const {
    const SkinLook& look = *look_;
    const bool horizontal = option.orientation == Qt::Horizontal;
    const SkinPiece& track = horizontal ? look.horzScroll : look.vertScroll;
    const SkinPiece& thumb = horizontal ? look.horzThumb : look.vertThumb;
    painter->fillRect(option.rect,
                      ColourOr(look, SkinColour::Scrollbar, option.palette.window().color()));
    const bool enabled = option.state & State_Enabled;
    const bool onSlider = option.activeSubControls & SC_ScrollBarSlider;
    int trackFrame = !enabled ? 3 : (option.state & State_MouseOver) ? 1 : 0;
    if (enabled && onSlider && (option.state & State_Sunken)) trackFrame = 2;
    DrawPiece(*painter, track, trackFrame, option.rect);
    if (enabled && option.maximum > option.minimum) {
        const QRect slider = subControlRect(CC_ScrollBar, &option, SC_ScrollBarSlider, widget);
        const int thumbFrame = onSlider && (option.state & State_Sunken)      ? 2
                               : onSlider && (option.state & State_MouseOver) ? 1
                                                                              : 0;
        DrawPiece(*painter, thumb, thumbFrame, slider);
    }
    const QColor arrowColour =
        enabled ? ColourOr(look, SkinColour::ButtonText, option.palette.buttonText().color())
                : option.palette.color(QPalette::Disabled, QPalette::ButtonText);
    for (auto [sub, element] :
         {std::pair{SC_ScrollBarSubLine, horizontal ? PE_IndicatorArrowLeft : PE_IndicatorArrowUp},
          std::pair{SC_ScrollBarAddLine,
                    horizontal ? PE_IndicatorArrowRight : PE_IndicatorArrowDown}}) {
        QStyleOption arrow = option;
        arrow.rect = subControlRect(CC_ScrollBar, &option, sub, widget).adjusted(3, 3, -3, -3);
        arrow.state &= ~(State_Sunken | State_MouseOver);
        arrow.palette.setColor(QPalette::ButtonText, arrowColour);
        arrow.palette.setColor(QPalette::WindowText, arrowColour);
        QProxyStyle::drawPrimitive(element, &arrow, painter, widget);
    }
}

void TSkinStyle::drawControl(ControlElement element, const QStyleOption* option, QPainter* painter,
                             const QWidget* widget) const {
    const SkinLook& look = *look_;
    switch (element) {
        case CE_PushButtonBevel:
            if (const auto* b = qstyleoption_cast<const QStyleOptionButton*>(option);
                b && look.button.Present()) {
                const bool isDefault = (b->features & QStyleOptionButton::DefaultButton) ||
                                       (noFocusRect_ && (b->state & State_HasFocus));
                DrawPiece(*painter, look.button, PushButtonFrame(b->state, isDefault), b->rect);
                return;
            }
            break;
        case CE_PushButtonLabel:
            if (const auto* b = qstyleoption_cast<const QStyleOptionButton*>(option);
                b && look.button.Present()) {
                DrawPushButtonLabel(*b, painter, widget);
                return;
            }
            break;
        case CE_MenuBarEmptyArea:
            if (look.menuBar.Present()) {
                const bool active = !widget || widget->window()->isActiveWindow();
                DrawPiece(*painter, look.menuBar, active ? 0 : 1,
                          widget ? widget->rect() : option->rect);
                return;
            }
            break;
        case CE_MenuBarItem:
            if (const auto* m = qstyleoption_cast<const QStyleOptionMenuItem*>(option);
                m && look.menuBar.Present()) {
                const bool active = !widget || widget->window()->isActiveWindow();
                painter->save();
                painter->setClipRect(m->rect);
                DrawPiece(*painter, look.menuBar, active ? 0 : 1,
                          widget ? widget->rect() : m->rect);
                painter->restore();
                const bool open = m->state & State_Sunken;
                const bool hot = (m->state & State_Selected) && (m->state & State_Enabled);
                if (open || hot)
                    DrawPiece(*painter, look.menuItem, open ? 2 : 1,
                              m->rect.adjusted(1, 2, -1, -2));
                painter->save();
                painter->setPen(!(m->state & State_Enabled)
                                    ? m->palette.color(QPalette::Disabled, QPalette::WindowText)
                                : open || hot ? ColourOr(look, SkinColour::HilightText,
                                                         m->palette.highlightedText().color())
                                              : ColourOr(look, SkinColour::MenuBarText,
                                                         m->palette.windowText().color()));
                painter->drawText(m->rect, Qt::AlignCenter | Qt::TextShowMnemonic, m->text);
                painter->restore();
                return;
            }
            break;
        case CE_MenuItem:
            if (const auto* m = qstyleoption_cast<const QStyleOptionMenuItem*>(option);
                m && look.menuItem.Present()) {
                DrawMenuItem(*m, painter, widget);
                return;
            }
            break;
        case CE_MenuEmptyArea:
            if (look.menuItem.Present()) {
                painter->fillRect(option->rect, ColourOr(look, SkinColour::Menu,
                                                         option->palette.window().color()));
                return;
            }
            break;
        case CE_ShapedFrame:
            if (const auto* f = qstyleoption_cast<const QStyleOptionFrame*>(option);
                f && look.sunkEdge.Present() &&
                (f->frameShape == QFrame::StyledPanel || f->frameShape == QFrame::Panel ||
                 f->frameShape == QFrame::WinPanel || f->frameShape == QFrame::Box)) {
                int frame = StateFrame(f->state & ~(State_Sunken | State_On | State_Raised));
                if (frame == 0 && widget && widget->hasFocus()) frame = 2;
                DrawPiece(*painter, look.sunkEdge, frame, f->rect, false);
                return;
            }
            break;
        default:
            break;
    }
    QProxyStyle::drawControl(element, option, painter, widget);
}

void TSkinStyle::drawComplexControl(ComplexControl control, const QStyleOptionComplex* option,
                                    QPainter* painter, const QWidget* widget) const {
    const SkinLook& look = *look_;
    if (control == CC_GroupBox && look.groupBox.Present()) {
        if (const auto* g = qstyleoption_cast<const QStyleOptionGroupBox*>(option)) {
            if (g->subControls & SC_GroupBoxFrame) {
                QStyleOptionFrame frame;
                frame.QStyleOption::operator=(*g);
                frame.rect = subControlRect(CC_GroupBox, g, SC_GroupBoxFrame, widget);
                drawPrimitive(PE_FrameGroupBox, &frame, painter, widget);
            }
            if ((g->subControls & SC_GroupBoxLabel) && !g->text.isEmpty()) {
                const QRect label = subControlRect(CC_GroupBox, g, SC_GroupBoxLabel, widget);
                painter->fillRect(label.adjusted(-3, 0, 3, 0), g->palette.window());
                painter->save();
                painter->setPen(g->palette.color(
                    (g->state & State_Enabled) ? QPalette::Active : QPalette::Disabled,
                    QPalette::WindowText));
                painter->drawText(label, Qt::AlignCenter | Qt::TextShowMnemonic, g->text);
                painter->restore();
            }
            if (g->subControls & SC_GroupBoxCheckBox) {
                QStyleOptionButton box;
                box.QStyleOption::operator=(*g);
                box.rect = subControlRect(CC_GroupBox, g, SC_GroupBoxCheckBox, widget);
                drawPrimitive(PE_IndicatorCheckBox, &box, painter, widget);
            }
            return;
        }
    }
    if (control == CC_ScrollBar && look.horzScroll.Present() && look.vertScroll.Present() &&
        look.horzThumb.Present() && look.vertThumb.Present()) {
        if (const auto* s = qstyleoption_cast<const QStyleOptionSlider*>(option)) {
            DrawScrollBar(*s, painter, widget);
            return;
        }
    }
    QProxyStyle::drawComplexControl(control, option, painter, widget);
}

int TSkinStyle::pixelMetric(PixelMetric metric, const QStyleOption* option,
                            const QWidget* widget) const {
    const SkinLook& look = *look_;
    switch (metric) {
        case PM_IndicatorWidth:
            if (look.check.Present()) return look.check.FrameSize().width();
            break;
        case PM_IndicatorHeight:
            if (look.check.Present()) return look.check.FrameSize().height();
            break;
        case PM_ExclusiveIndicatorWidth:
            if (look.radio.Present()) return look.radio.FrameSize().width();
            break;
        case PM_ExclusiveIndicatorHeight:
            if (look.radio.Present()) return look.radio.FrameSize().height();
            break;
        case PM_MenuBarPanelWidth:
            if (look.menuBar.Present()) return 0;
            break;
        case PM_MenuPanelWidth:
            if (look.menuBackground.Present())
                return std::max(1, look.menuBackground.margins.left());
            break;
        default:
            break;
    }
    return QProxyStyle::pixelMetric(metric, option, widget);
}

QRect TSkinStyle::subControlRect(ComplexControl control, const QStyleOptionComplex* option,
                                 SubControl sub, const QWidget* widget) const {
    QRect r = QProxyStyle::subControlRect(control, option, sub, widget);
    const auto* g = qstyleoption_cast<const QStyleOptionGroupBox*>(option);
    if (control != CC_GroupBox || !g || !look_->groupBox.Present()) return r;
    // The caption sits in the top line, a little in from the rounded corner.
    const QRect label = QProxyStyle::subControlRect(control, option, SC_GroupBoxLabel, widget);
    const int indent = std::max(6, look_->groupBox.margins.left() + 3);
    switch (sub) {
        case SC_GroupBoxLabel:
        case SC_GroupBoxCheckBox:
            if (label.right() + indent < g->rect.right()) r.translate(indent, 0);
            break;
        case SC_GroupBoxFrame:
            if (!g->text.isEmpty() || (g->subControls & SC_GroupBoxCheckBox))
                r.setTop(std::max(r.top(), label.center().y()));
            break;
        default:
            break;
    }
    return r;
}

QSize TSkinStyle::sizeFromContents(ContentsType type, const QStyleOption* option, const QSize& size,
                                   const QWidget* widget) const {
    QSize s = QProxyStyle::sizeFromContents(type, option, size, widget);
    if (type == CT_MenuItem && look_->menuItem.Present()) {
        if (const auto* m = qstyleoption_cast<const QStyleOptionMenuItem*>(option);
            m && m->menuItemType != QStyleOptionMenuItem::Separator)
            s = QSize(s.width() + 12, std::max(s.height(), 22));
    }
    return s;
}

int TSkinStyle::styleHint(StyleHint hint, const QStyleOption* option, const QWidget* widget,
                          QStyleHintReturn* ret) const {
    // The skin's buttons carry their caption only.
    if (hint == SH_DialogButtonBox_ButtonsHaveIcons && look_->button.Present()) return 0;
    return QProxyStyle::styleHint(hint, option, widget, ret);
}
