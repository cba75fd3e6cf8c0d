// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/progress_bar.h"

#include <sys/ioctl.h>
#include <unistd.h>

#include <algorithm>

namespace cli {
namespace {

constexpr size_t kBarWidth = 30;
// The width assumed when the terminal does not tell its own.
constexpr size_t kDefaultColumns = 80;

size_t TerminalColumns(std::FILE* stream) {
    winsize size{};
    if (::ioctl(fileno(stream), TIOCGWINSZ, &size) != 0) return 0;
    return size.ws_col;
}

}  // namespace

ProgressBar::ProgressBar(std::FILE* stream, size_t total, bool show)
    : stream_(stream),
      terminal_(show && isatty(fileno(stream)) == 1),
      total_(total),
      columns_([stream] { return TerminalColumns(stream); }) {
    std::lock_guard lock(mutex_);
    drawLocked();
}

ProgressBar::ProgressBar(std::FILE* stream, size_t total, ColumnsFunction columns)
    : stream_(stream), terminal_(true), total_(total), columns_(std::move(columns)) {
    std::lock_guard lock(mutex_);
    drawLocked();
}

void ProgressBar::advance() {
    std::lock_guard lock(mutex_);
    ++done_;
    drawLocked();
}

void ProgressBar::message(const std::string& line) {
    std::lock_guard lock(mutex_);
    clearLocked();
    std::fprintf(stream_, "%s\n", line.c_str());
    drawLocked();
}

void ProgressBar::finish() {
    std::lock_guard lock(mutex_);
    clearLocked();
    terminal_ = false;
}

void ProgressBar::drawLocked() {
    if (!terminal_ || total_ == 0) return;
    size_t columns = columns_();
    if (columns == 0) columns = kDefaultColumns;
    // The last column stays free: writing there makes some terminals wrap.
    const size_t room = columns - 1;
    const std::string count = std::to_string(done_) + "/" + std::to_string(total_);
    std::string line;
    // "[" bar "] " count, with a bar of at least one cell, or the count alone.
    if (room >= count.size() + 4) {
        const size_t width = std::min(kBarWidth, room - count.size() - 3);
        std::string bar(done_ * width / total_, '#');
        bar.resize(width, '-');
        line = "[" + bar + "] " + count;
    } else {
        line = count.substr(0, room);
    }
    // A shorter line than the one before (the terminal narrowed) clears the
    // old one first, which would otherwise leave its end behind.
    std::fprintf(stream_, line.size() < drawn_ ? "\r\033[K%s" : "\r%s", line.c_str());
    drawn_ = line.size();
    std::fflush(stream_);
}

void ProgressBar::clearLocked() {
    if (!terminal_) return;
    std::fprintf(stream_, "\r\033[K");
    drawn_ = 0;
}

}  // namespace cli
