// The console as a whole: a failed device open, input that is not a terminal,
// and a terminal in its normal mode, which the console must hand back unchanged.
#include <gtest/gtest.h>

#include <signal.h>
#include <stdlib.h>
#include <unistd.h>

#include <algorithm>
#include <fstream>
#include <regex>

#include "console_driver.h"
#include "console_text.h"

using namespace keys;

namespace {

std::string withoutCarriageReturns(std::string text) {
    text.erase(std::remove(text.begin(), text.end(), '\r'), text.end());
    return text;
}

TerminalOptions cookedTerminal() {
    TerminalOptions cooked;
    cooked.cooked = true;
    return cooked;
}

// The simulator's request trace of a run, one line a request.
class RequestTrace {
public:
    RequestTrace() : path_(testing::TempDir() + "/trace_" + std::to_string(getpid())) {}
    ~RequestTrace() { remove(path_.c_str()); }
    std::string env() const { return "TKVSIM_TRACE=" + path_; }
    std::string text() const {
        std::ifstream in(path_);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }

private:
    std::string path_;
};

}  // namespace

TEST(ConsoleSession, FailedOpenEndsWithStatusOneAndNoPrompt) {
    TerminalRun run = runConsole("rrl 0" + kEnter, {{"TKVSIM_FAIL_OPEN=2"}});
    EXPECT_EQ(run.output, "Open device tekvaro error\n");
    EXPECT_EQ(run.errors, "Opening device 0 failed with -1\n");
    EXPECT_EQ(run.exitCode, 1);
}

TEST(ConsoleSession, PipedInputRunsAsIfTyped) {
    const std::string keys = "rrl 10028\nq\n";
    ProcessOptions piped;
    piped.input = keys;
    ProcessRun run = runProgram({}, piped);
    EXPECT_EQ(run.out, ">rrl 10028\r\n00010028: 00000000\n>q\r\n");
    EXPECT_EQ(run.err, "");
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(runConsole(keys).output, run.out);
}

TEST(ConsoleSession, EndOfInputFinishesThePendingLineThenEnds) {
    ProcessOptions piped;
    piped.input = "rwl 28 abc\nrrl 28";
    ProcessRun run = runProgram({}, piped);
    EXPECT_EQ(run.out, ">rwl 28 abc\r\n>rrl 28\r\n00000028: 00000abc\n>");
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_FALSE(run.timedOut);

    ProcessRun empty = runProgram({});  // stdin is /dev/null
    EXPECT_EQ(empty.out, ">");
    EXPECT_EQ(empty.err, "");
    EXPECT_EQ(empty.exitCode, 0);
    EXPECT_FALSE(empty.timedOut);
}

TEST(ConsoleSession, PipedInputIgnoresNulAndTakesCrLfAsOneLineEnd) {
    ProcessOptions piped;
    piped.input = "rwl 100 5\r\nrwl 100 7\r\n" + std::string(1, '\0') + "rrl 100\r\nrr" +
                  std::string(1, '\0') + "b 100\n\r";
    ProcessRun run = runProgram({}, piped);
    EXPECT_EQ(run.out,
              ">rwl 100 5\r\n>rwl 100 7\r\n>rrl 100\r\n00000100: 00000007\n"
              ">rrb 100\r\n00000100: 07\n"
              ">\r\n00000101: 00\n>");  // LF CR: two line ends
}

TEST(ConsoleSession, PipedLineEchoComesBeforeItsComplaints) {
    ProcessOptions merged;
    merged.input = "rrbs fffffe 4\r\n";
    merged.errorsIntoOutput = true;
    EXPECT_EQ(runProgram({}, merged).out,
              ">rrbs fffffe 4\r\n" + kOutOfRange + kOutOfRange + "00fffffe: 00 00 00 00\n>");
}

TEST(ConsoleSession, ClosedStandardDescriptorsAreNeverTheDevice) {
    RequestTrace trace;
    ProcessOptions closed;
    closed.closedDescriptors = {0, 1, 2};
    if (underCheckingTool()) closed.closedDescriptors.pop_back();  // valgrind needs its stderr
    closed.env = {trace.env()};
    EXPECT_EQ(runProgram({"reg"}, closed).exitCode, 0);
    std::smatch open;
    const std::string text = trace.text();
    ASSERT_TRUE(std::regex_search(text, open, std::regex("^open fd=([0-9]+) "))) << text;
    EXPECT_GE(std::stoi(open[1]), 3);
}

TEST(ConsoleSession, OutputThatCannotBeWrittenFailsTheRun) {
    ProcessOptions full;
    full.outputTo = "/dev/full";
    ProcessRun version = runProgram({"ver"}, full);
    EXPECT_EQ(version.err, "tkvcon: write error: No space left on device\n");
    EXPECT_EQ(version.exitCode, 1);

    // With SIGPIPE ignored, a reader that has gone ends a dump at once.
    RequestTrace trace;
    ProcessOptions head;
    head.ignoredSignals = {SIGPIPE};
    head.readOutputBytes = 1;
    head.env = {trace.env()};
    const int items = 0x40000;  // 768 KiB of output
    ProcessRun dump = runProgram({"vram", "-n", "40000"}, head);
    EXPECT_EQ(dump.err, "tkvcon: write error: Broken pipe\n");
    EXPECT_EQ(dump.exitCode, 1);
    const std::string requests = trace.text();
    EXPECT_LT(std::count(requests.begin(), requests.end(), '\n'), items / 2);
}

TEST(ConsoleSession, TerminalHangUpDropsTheHalfTypedLine) {
    DeviceStateFile state;
    TerminalOptions options = cookedTerminal();
    options.env = {state.env()};
    options.ignoredSignals = {SIGHUP};  // as under nohup: only the read fails
    options.waitingFor = ">rwb 100 ab";
    options.hangUpWhenWaiting = true;
    TerminalRun run = runConsole("rwb 100 ab", options);
    EXPECT_EQ(run.exitCode, 0);
    ProcessOptions sameDevice;
    sameDevice.env = {state.env()};
    EXPECT_EQ(runProgram({"reg", "-a", "100"}, sameDevice).out, "00000100: 00\n");
}

TEST(ConsoleSession, NormalTerminalNeverEchoesKeysItselfAndGetsItsModeBack) {
    TerminalOptions cooked = cookedTerminal();
    std::string typed =
        "rwl 28 12345678" + kEnter + "rrl 2" + kLeft + kRight + "8" + kEnter + kUp + kEnter + kCtrlC;
    TerminalRun run = runConsole(typed, cooked);
    // Newlines that the console prints gain a carriage return in this mode.
    EXPECT_EQ(withoutCarriageReturns(run.output),
              withoutCarriageReturns(">rwl 28 12345678\r\n"
                                     ">rrl 2\b28\r\n00000028: 12345678\n"
                                     ">\r \r>rrl 28\r\n00000028: 12345678\n>"));
    EXPECT_EQ(run.output.find("^["), std::string::npos);
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(run.signal, 0);  // Ctrl-C came as a key, not as an interrupt
    EXPECT_TRUE(run.attributesRestored);
}

TEST(ConsoleSession, QuitHandsBackTheNormalTerminal) {
    TerminalRun run = runConsole("rrl 28" + kEnter + "quit" + kEnter, cookedTerminal());
    EXPECT_EQ(withoutCarriageReturns(run.output), ">rrl 28\n00000028: 00000000\n>quit\n");
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_TRUE(run.attributesRestored);
}

TEST(ConsoleSession, EndedBySignalWhileRawTheTerminalIsRestored) {
    CaseSampler sampler;  // one handler takes them all
    for (int signal : {SIGTERM, SIGHUP, SIGQUIT, SIGINT, SIGPIPE, SIGUSR1, SIGUSR2, SIGALRM, SIGVTALRM,
                       SIGPROF, SIGXCPU, SIGXFSZ, SIGPWR}) {
        if (!sampler.runs("terminating signal")) continue;
        TerminalOptions cooked = cookedTerminal();
        cooked.signalsWhenWaiting = {signal};
        TerminalRun run = runConsole("rrl 28" + kEnter, cooked);
        EXPECT_EQ(withoutCarriageReturns(run.output), ">rrl 28\n00000028: 00000000\n>");
        EXPECT_EQ(run.signal, signal);
        EXPECT_TRUE(run.attributesRestored) << "signal " << signal;
    }
}

TEST(ConsoleSession, SignalIgnoredAtStartStaysIgnored) {
    TerminalOptions options = cookedTerminal();
    options.ignoredSignals = {SIGINT};               // trap '' INT
    options.signalsWhenWaiting = {SIGINT, SIGTERM};  // both pending: the lower is delivered first
    TerminalRun run = runConsole("rrl 28" + kEnter, options);
    EXPECT_EQ(run.signal, SIGTERM);
    EXPECT_TRUE(run.attributesRestored);
}

TEST(ConsoleSession, ContinuedWhileAKeyIsAwaitedGoesRawAgainAndRedrawsTheLine) {
    TerminalOptions options = cookedTerminal();
    options.waitingFor = ">rrb 1\b";
    options.signalsWhenWaiting = {SIGSTOP, SIGCONT};
    options.keysAfterSignals = "0" + kEnter + kCtrlC;
    TerminalRun run = runConsole("rwb 1 5a" + kEnter + "rrb 1" + kLeft, options);
    // The prompt and the line again, the cursor back before the 1; the 0 is
    // inserted there and echoed once.
    EXPECT_EQ(withoutCarriageReturns(run.output), ">rwb 1 5a\n>rrb 1\b>rrb 1\b01\b\n00000001: 5a\n>");
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_TRUE(run.attributesRestored);
}

TEST(ConsoleSession, StopThatCannotStopLeavesTheKeyAwaitedRaw) {
    TerminalOptions options = cookedTerminal();
    options.signalsWhenWaiting = {SIGTSTP};  // no job control here: the stop is discarded
    options.keysAfterSignals = "rrb 1" + kEnter + kCtrlC;
    TerminalRun run = runConsole("", options);
    EXPECT_EQ(withoutCarriageReturns(run.output), ">rrb 1\n00000001: 00\n>");
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_TRUE(run.attributesRestored);
}
