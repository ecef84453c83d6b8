// A progress line on standard error for transfers that take a while, as pv
// shows one (bar, bytes done, rate, time left): shown only on a terminal,
// only once a second has passed, and wiped at the end.
#ifndef TKVTOOL_PROGRESS_H
#define TKVTOOL_PROGRESS_H

#include <stdint.h>
#include <time.h>

class Progress {
public:
    // `total`: the bytes to move, 0 when unknown.  `wanted`: not turned off by -q.
    Progress(uint64_t total, bool wanted);
    ~Progress();
    Progress(const Progress &) = delete;
    Progress &operator=(const Progress &) = delete;

    void update(uint64_t done);
    // Takes the bar off the screen; the next update draws it again.
    void wipe();

private:
    uint64_t total_;
    bool enabled_;
    bool shown_ = false;
    timespec start_{};
    long lastTenth_ = -1;  // tenths of a second at the last drawing
    int lastLength_ = 0;   // of the last line drawn, its \r included
};

// Takes the bar that is on the screen, if any, off it: for a line on
// standard error that must start at the left.
void wipeProgress();

#endif
