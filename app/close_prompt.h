// The question asked when the window closes with a drawing changed since it
// was last saved: Save, Discard or Cancel. Tests install a driver that
// answers the box, so that none is left waiting.
#pragma once

#include <QMessageBox>
#include <functional>

enum class CloseAnswer { Save, Discard, Cancel };

inline constexpr char kSaveBeforeClosingText[] = "Save the drawing before closing?";

// Shows the question, captioned with the application title; closing the box
// without a choice is Cancel.
CloseAnswer AskSaveBeforeClosing(QWidget* parent);

// While a driver is installed it sees each box before it runs and must make it
// end, e.g. by a queued click on one of its buttons.
using ClosePromptDriver = std::function<void(QMessageBox& box)>;
void SetClosePromptDriver(ClosePromptDriver driver);
