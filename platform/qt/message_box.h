// SPDX-License-Identifier: GPL-3.0-or-later
// The application's two modal boxes: the plain user message (no icon, one OK)
// and the standard error box (error icon, OK, full stop appended where due),
// both captioned with the application title. Tests install a recorder so that
// no box is left waiting.
#pragma once

#include <functional>
#include <string>

enum class BoxKind { UserMessage, Error };

// The title derived from the executable name: up to its first dot, every
// character after the first in lower case ("STRAKEL.EXE" -> "Strakel").
std::string ApplicationTitleFromExecutable(const std::string& fileName);
// The title of this process.
std::string ApplicationTitle();

// The error box's text: a full stop is appended when the last character sorts
// after '.' (a letter or a digit, not a space or a line break).
std::string ErrorBoxText(const std::string& message);

void ShowUserMessage(const std::string& text);
// The user message box with a caption of the caller's instead of the title.
void ShowUserMessage(const std::string& text, const std::string& caption);
void ShowErrorBox(const std::string& message);

// While a recorder is installed, boxes are handed to it instead of shown.
using BoxRecorder =
    std::function<void(BoxKind kind, const std::string& caption, const std::string& text)>;
void SetBoxRecorder(BoxRecorder recorder);
