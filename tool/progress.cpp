#include "progress.h"

#include <stdio.h>
#include <string.h>
#include <unistd.h>

namespace {

constexpr long kDelayTenths = 10;  // a transfer shorter than a second shows nothing
constexpr int kBarWidth = 30;      // leaves room for the figures in 80 columns

// The bar on the screen, if any: a complaint wipes it first.
Progress *shownBar;

long tenthsSince(const timespec &start) {
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return (now.tv_sec - start.tv_sec) * 10 + (now.tv_nsec - start.tv_nsec) / 100000000;
}

// "123.4 MiB": bytes in the largest binary unit that keeps the number below 1024.
void formatBytes(char *text, size_t size, double bytes) {
    static const char *const kUnits[] = {"B", "KiB", "MiB", "GiB"};
    unsigned unit = 0;
    while (bytes >= 1024 && unit + 1 < sizeof kUnits / sizeof kUnits[0]) {
        bytes /= 1024;
        ++unit;
    }
    snprintf(text, size, unit ? "%.1f %s" : "%.0f %s", bytes, kUnits[unit]);
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
    // As pv shows it: the bar, bytes done, the rate, and the time left.
    const double seconds = static_cast<double>(tenths) / 10, rate = static_cast<double>(done) / seconds;
    char doneText[16], rateText[16], line[128];
    formatBytes(doneText, sizeof doneText, static_cast<double>(done));
    formatBytes(rateText, sizeof rateText, rate);
    int n;
    if (total_ == 0) {
        n = snprintf(line, sizeof line, "\r%s  %s/s", doneText, rateText);
    } else {
        const int filled = static_cast<int>(done * kBarWidth / total_);
        char bar[kBarWidth + 1];
        memset(bar, '#', static_cast<size_t>(filled));
        memset(bar + filled, '-', static_cast<size_t>(kBarWidth - filled));
        bar[kBarWidth] = '\0';
        const auto left =
            static_cast<unsigned long>(rate > 0 ? static_cast<double>(total_ - done) / rate : 0);
        n = snprintf(line, sizeof line, "\r[%s] %3u%%  %s  %s/s  ETA %lu:%02lu:%02lu", bar,
                     static_cast<unsigned>(done * 100 / total_), doneText, rateText, left / 3600,
                     left / 60 % 60, left % 60);
    }
    if (n > 0 && n < lastLength_) {  // a shorter line covers what the last one left
        n += snprintf(line + n, sizeof line - static_cast<size_t>(n), "%*s", lastLength_ - n, "");
    }
    if (n > static_cast<int>(sizeof line) - 1) n = static_cast<int>(sizeof line) - 1;
    lastLength_ = n;
    draw(line, n);
}

void Progress::wipe() {
    if (!shown_) return;
    shown_ = false;
    shownBar = nullptr;
    char blank[128];
    const int length =
        lastLength_ + 1 < static_cast<int>(sizeof blank) ? lastLength_ + 1 : static_cast<int>(sizeof blank);
    memset(blank, ' ', sizeof blank);
    blank[0] = '\r';
    blank[length - 1] = '\r';
    lastLength_ = 0;
    draw(blank, length);
}

Progress::~Progress() { wipe(); }

void wipeProgress() {
    if (shownBar) shownBar->wipe();
}
