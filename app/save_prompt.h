// SPDX-License-Identifier: GPL-3.0-or-later
// The question asked before a drawing changed since it was last saved is
// thrown away (closing the window, loading another photo): Save, Discard or
// Cancel. Tests install a driver that answers the box, so that none is left
// waiting.
#pragma once

#include <QMessageBox>
#include <functional>

enum class SaveAnswer { Save, Discard, Cancel };

inline constexpr char kSaveBeforeClosingText[] = "Save the drawing before closing?";
inline constexpr char kSaveBeforeLoadingText[] = "Save the drawing before loading another photo?";

// Shows `question`, captioned with the application title; closing the box
// without a choice is Cancel.
SaveAnswer AskToSaveDrawing(QWidget* parent, const char* question);

// While a driver is installed it sees each box before it runs and must make it
// end, e.g. by a queued click on one of its buttons.
using SavePromptDriver = std::function<void(QMessageBox& box)>;
void SetSavePromptDriver(SavePromptDriver driver);
