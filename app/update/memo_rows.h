// SPDX-License-Identifier: GPL-3.0-or-later
// The update check's line splitter: puts an answer into the hidden text box as
// the box holds it, within the box's capacity, and reads row 0 as the box
// lays its text out.
#pragma once

#include <cstddef>
#include <stdexcept>
#include <string>

class QPlainTextEdit;

// The most characters the box holds, line breaks counted as one each. It keeps
// both the text and its layout small enough for a start-up that does not wait.
inline constexpr std::size_t kMemoCapacity = 65535;

// The box was asked to hold more than kMemoCapacity characters.
class EMemoCapacity : public std::runtime_error {
public:
    EMemoCapacity() : std::runtime_error("Text exceeds memo capacity") {}
};

// Makes `memo` the main window's line splitter: its place and size, lines
// wrapped at the box's own width without scroll bars, so that its first row is
// what the update check reads, and the text "Memo1".
void SetUpLineSplitter(QPlainTextEdit& memo);

// Replaces the box's text with the answer up to its first zero byte, every
// CR LF pair, lone CR and lone LF made one line break; leaves the box alone
// when it already holds that text. Throws EMemoCapacity, leaving the box
// unchanged, when the text is longer than kMemoCapacity.
void SetMemoAnswer(QPlainTextEdit& memo, const std::string& answer);

// Row 0 of the box: its text up to the first line break, or the part of that
// line that word wrap leaves on the first row at the box's width and font.
std::string MemoRowZero(QPlainTextEdit& memo);
