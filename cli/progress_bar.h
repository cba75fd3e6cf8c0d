// A one-line progress bar on a terminal, shared by the worker threads, and the
// failure messages printed above it.
#pragma once

#include <cstddef>
#include <cstdio>
#include <mutex>
#include <string>

namespace cli {

class ProgressBar {
public:
    // Draws only when `show` is set and `stream` is a terminal.
    ProgressBar(std::FILE* stream, size_t total, bool show = true);
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
    size_t done_ = 0;
    std::mutex mutex_;
};

}  // namespace cli
