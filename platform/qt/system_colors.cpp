// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/qt/system_colors.h"

#include <QApplication>
#include <QPalette>

QColor SystemColorValue(SystemColor color) {
    const QPalette p = QApplication::palette();
    switch (color) {
        case SystemColor::BtnFace:
            return p.color(QPalette::Active, QPalette::Button);
        case SystemColor::WindowText:
            return p.color(QPalette::Active, QPalette::WindowText);
        case SystemColor::GrayText:
            return p.color(QPalette::Disabled, QPalette::Text);
        case SystemColor::BtnHighlight:
            return p.color(QPalette::Active, QPalette::Light);
        case SystemColor::Window:
            return p.color(QPalette::Active, QPalette::Base);
    }
    return {};
}
