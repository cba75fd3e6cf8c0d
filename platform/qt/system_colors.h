// SPDX-License-Identifier: GPL-3.0-or-later
// The one mapping of the system colours that the window's design names onto
// the desktop palette.
#pragma once

#include <QColor>

enum class SystemColor { BtnFace, WindowText, GrayText, BtnHighlight, Window };

QColor SystemColorValue(SystemColor color);
