// SPDX-License-Identifier: GPL-3.0-or-later
// TSkinStyle, the control painters: a proxy over the application's style that
// draws push buttons, check boxes, group boxes, panels, edits, scroll bars,
// the menu bar and menus from the skin objects and leaves every other element
// to the application's style.
#pragma once

#include <QProxyStyle>
#include <QStyleOption>
#include <memory>

#include "skin/qt/skin_look.h"

class TSkinStyle : public QProxyStyle {
    Q_OBJECT

public:
    // `noFocusRect`: no focus rectangle is drawn; a focused push button shows
    // its default frame instead.
    TSkinStyle(std::shared_ptr<const SkinLook> look, bool noFocusRect);

    const SkinLook& Look() const { return *look_; }
    void SetLook(std::shared_ptr<const SkinLook> look) { look_ = std::move(look); }

    // Which frame of the push button strip a button in `state` shows.
    static int PushButtonFrame(QStyle::State state, bool isDefault);

    void polish(QWidget* widget) override;
    void drawPrimitive(PrimitiveElement element, const QStyleOption* option, QPainter* painter,
                       const QWidget* widget = nullptr) const override;
    void drawControl(ControlElement element, const QStyleOption* option, QPainter* painter,
                     const QWidget* widget = nullptr) const override;
    void drawComplexControl(ComplexControl control, const QStyleOptionComplex* option,
                            QPainter* painter, const QWidget* widget = nullptr) const override;
    int pixelMetric(PixelMetric metric, const QStyleOption* option = nullptr,
                    const QWidget* widget = nullptr) const override;
    QRect subControlRect(ComplexControl control, const QStyleOptionComplex* option, SubControl sub,
                         const QWidget* widget = nullptr) const override;
    QSize sizeFromContents(ContentsType type, const QStyleOption* option, const QSize& size,
                           const QWidget* widget = nullptr) const override;
    int styleHint(StyleHint hint, const QStyleOption* option = nullptr,
                  const QWidget* widget = nullptr, QStyleHintReturn* ret = nullptr) const override;

private:
    void DrawPushButtonLabel(const QStyleOptionButton& option, QPainter* painter,
                             const QWidget* widget) const;
    void DrawMenuItem(const QStyleOptionMenuItem& option, QPainter* painter,
                      const QWidget* widget) const;
    void DrawScrollBar(const QStyleOptionSlider& option, QPainter* painter,
                       const QWidget* widget) const;

    std::shared_ptr<const SkinLook> look_;
    bool noFocusRect_;
};
