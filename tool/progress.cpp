#include "progress.h"

#include <stdio.h>
#include <string.h>
#include <unistd.h>

namespace {

constexpr long kDelayTenths = 10;  // a transfer shorter than a second shows nothing
constexpr int kBarWidth = 40;

// The bar on the screen, if any: a complaint wipes it first.
Progress *shownBar;

long tenthsSince(const timespec &start) {
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return (now.tv_sec - start.tv_sec) * 10 + (now.tv_nsec - start.tv_nsec) / 100000000;
}

void draw(const char *text, int length) {
    if (length <= 0) return;
    ssize_t written = write(STDERR_FILENO, text, static_cast<size_t>(length));
    (void)written;  // a progress bar that cannot be shown is no failure
}

}  // namespace

Progress::Progress(uint64_t total, bool wanted)
    : total_(total), enabled_(wanted && isatty(STDERR_FILENO) == 1) {
    if (enabled_) clock_gettime(CLOCK_MONOTONIC, &start_);
}

void Progress::update(uint64_t done) {
    if (!enabled_) return;
    if (total_ != 0 && done > total_) done = total_;  // the bar never runs past full
    const long tenths = tenthsSince(start_);
    if (tenths < kDelayTenths || tenths == lastTenth_) return;
    lastTenth_ = tenths;
    shown_ = true;
    shownBar = this;
    char line[128];
    int n;
    if (total_ == 0) {
        n = snprintf(line, sizeof line, "\r0x%llx bytes", static_cast<unsigned long long>(done));
    } else {
        const int filled = static_cast<int>(done * kBarWidth / total_);
        char bar[kBarWidth + 1];
        memset(bar, '#', static_cast<size_t>(filled));
        memset(bar + filled, '-', static_cast<size_t>(kBarWidth - filled));
        bar[kBarWidth] = '\0';
        n = snprintf(line, sizeof line, "\r[%s] %3u%%", bar, static_cast<unsigned>(done * 100 / total_));
    }
    draw(line, n);
}

void Progress::wipe() {
    if (!shown_) return;
    shown_ = false;
    shownBar = nullptr;
    char blank[kBarWidth + 16];
    memset(blank, ' ', sizeof blank);
    blank[0] = '\r';
    blank[sizeof blank - 1] = '\r';
    draw(blank, sizeof blank);
}

Progress::~Progress() { wipe(); }

void wipeProgress() {
    if (shownBar) shownBar->wipe();
}
