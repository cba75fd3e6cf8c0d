#include "cli/progress_bar.h"

#include <unistd.h>

namespace cli {
namespace {
constexpr size_t kBarWidth = 30;
}

ProgressBar::ProgressBar(std::FILE* stream, size_t total, bool show)
    : stream_(stream), terminal_(show && isatty(fileno(stream)) == 1), total_(total) {
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
    const size_t filled = done_ * kBarWidth / total_;
    std::string bar(filled, '#');
    bar.resize(kBarWidth, '-');
    std::fprintf(stream_, "\r[%s] %zu/%zu", bar.c_str(), done_, total_);
    std::fflush(stream_);
}

void ProgressBar::clearLocked() {
    if (!terminal_) return;
    std::fprintf(stream_, "\r\033[K");
}

}  // namespace cli
