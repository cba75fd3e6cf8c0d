// SPDX-License-Identifier: GPL-3.0-or-later
// A one-line progress bar on a terminal, shared by the worker threads, and the
// failure messages printed above it. The bar fits the terminal's width, asked
// again at every redraw so that it follows a resize.
#pragma once

#include <cstddef>
#include <cstdio>
#include <functional>
#include <mutex>
#include <string>

namespace cli {

class ProgressBar {
public:
    // The terminal's width in columns, 0 when unknown.
    using ColumnsFunction = std::function<size_t()>;

    // Draws only when `show` is set and `stream` is a terminal, as wide as
    // that terminal.
    ProgressBar(std::FILE* stream, size_t total, bool show = true);
    // Draws on `stream` whatever it is, `columns` wide (a seam for tests).
    ProgressBar(std::FILE* stream, size_t total, ColumnsFunction columns);
    // Counts one photo as done and redraws.
    void advance();
    // Prints a line of its own, keeping the bar below it.
    void message(const std::string& line);
    // Removes the bar.
    void finish();

private:
    void drawLocked();
    void clearLocked();

    std::FILE* stream_;
    bool terminal_;
    size_t total_;
    ColumnsFunction columns_;
    size_t done_ = 0;
    size_t drawn_ = 0;  // length of the line on screen
    std::mutex mutex_;
};

}  // namespace cli
