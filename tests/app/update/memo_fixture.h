// SPDX-License-Identifier: GPL-3.0-or-later
// The hidden line splitter as the main window makes it, in a fixed small font
// so that the rows the tests expect do not depend on the machine's fonts.
#pragma once

#include <QFont>
#include <QFrame>
#include <QPlainTextEdit>
#include <memory>

#include "app/update/memo_rows.h"

inline std::unique_ptr<QPlainTextEdit> MakeMemo1(QWidget* parent) {
    auto memo = std::make_unique<QPlainTextEdit>(parent);
    SetUpLineSplitter(*memo);
    memo->setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
    QFont font;
    font.setStyleHint(QFont::SansSerif);
    font.setPointSize(8);
    memo->setFont(font);
    memo->hide();
    return memo;
}
