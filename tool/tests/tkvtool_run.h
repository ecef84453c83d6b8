// Running tkvtool-sim, and the peer tools it is compared with.
#ifndef TKVTOOL_TESTS_RUN_H
#define TKVTOOL_TESTS_RUN_H

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "console_driver.h"

// tkvtool-sim with the arguments on the test's device.
class Tool {
public:
    // `program`: another program than tkvtool-sim, such as a shell that runs it.
    ProcessRun run(const std::vector<std::string> &args, std::vector<std::string> env = {},
                   const std::string &input = "", const std::string &program = TKVCON_PATH) const;
    // Standard output of a run that must succeed quietly.
    std::string out(const std::vector<std::string> &args) const;
    // Loads the bytes into video memory at 0.
    void loadVram(const std::string &bytes) const;
    const DeviceStateFile &state() const { return state_; }

private:
    DeviceStateFile state_;
};

// A peer program found on the PATH: its full name, or "" (the test is then skipped).
std::string peer(const std::string &name);
ProcessRun runPeer(const std::string &program, const std::vector<std::string> &args,
                   const std::string &input = "");

// A temporary file with the given bytes, removed at the end.
class TempFile {
public:
    explicit TempFile(const std::string &bytes = "");
    ~TempFile();
    TempFile(const TempFile &) = delete;
    TempFile &operator=(const TempFile &) = delete;
    const std::string &path() const { return path_; }
    std::string contents() const;

private:
    std::string path_;
};

std::string randomBytes(size_t length, unsigned seed);

// tkvtool-sim under a pseudo-terminal, raw: standard error on it, and
// standard output too; or, with stalledOutputMs set, into a pipe that is left
// full that long before it is drained, so that a transfer lasts at least that
// long however fast the build is.
struct TerminalOutput {
    std::string text;       // what came on the terminal
    size_t pipedBytes = 0;  // what came through the pipe
    int exitCode = -1;
};
TerminalOutput runOnTerminal(const std::vector<std::string> &args, const DeviceStateFile &state,
                             int stalledOutputMs = -1);

// Declares `variable` as the peer's path, or skips the test without it.
#define SKIP_WITHOUT(variable, name)         \
    const std::string variable = peer(name); \
    if (variable.empty()) GTEST_SKIP() << name " is not installed here"

#endif
