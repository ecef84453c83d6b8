// The console as a whole: a failed device open, input that is not a terminal,
// and a terminal in its normal mode, which the console must hand back unchanged.
#include <gtest/gtest.h>

#include <signal.h>

#include <algorithm>

#include "console_driver.h"
#include "console_text.h"

using namespace keys;

namespace {

std::string withoutCarriageReturns(std::string text) {
    text.erase(std::remove(text.begin(), text.end(), '\r'), text.end());
    return text;
}

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
    ProcessRun run = runOneShot({}, piped);
    EXPECT_EQ(run.out, ">rrl 10028\r\n00010028: 00000000\n>q\r\n");
    EXPECT_EQ(run.err, "");
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(runConsole(keys).output, run.out);
}

TEST(ConsoleSession, EndOfInputFinishesThePendingLineThenEnds) {
    ProcessOptions piped;
    piped.input = "rwl 28 abc\nrrl 28";
    ProcessRun run = runOneShot({}, piped);
    EXPECT_EQ(run.out, ">rwl 28 abc\r\n>rrl 28\r\n00000028: 00000abc\n>");
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_FALSE(run.timedOut);

    ProcessRun empty = runOneShot({});  // stdin is /dev/null
    EXPECT_EQ(empty.out, ">");
    EXPECT_EQ(empty.err, "");
    EXPECT_EQ(empty.exitCode, 0);
    EXPECT_FALSE(empty.timedOut);
}

TEST(ConsoleSession, NormalTerminalNeverEchoesKeysItselfAndGetsItsModeBack) {
    TerminalOptions cooked;
    cooked.cooked = true;
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
    TerminalOptions cooked;
    cooked.cooked = true;
    TerminalRun run = runConsole("rrl 28" + kEnter + "quit" + kEnter, cooked);
    EXPECT_EQ(withoutCarriageReturns(run.output), ">rrl 28\n00000028: 00000000\n>quit\n");
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_TRUE(run.attributesRestored);
}

TEST(ConsoleSession, EndedBySignalWhileRawTheTerminalIsRestored) {
    for (int signal : {SIGTERM, SIGHUP, SIGQUIT}) {
        TerminalOptions cooked;
        cooked.cooked = true;
        cooked.signalWhenWaiting = signal;
        TerminalRun run = runConsole("rrl 28" + kEnter, cooked);
        EXPECT_EQ(withoutCarriageReturns(run.output), ">rrl 28\n00000028: 00000000\n>");
        EXPECT_EQ(run.signal, signal);
        EXPECT_TRUE(run.attributesRestored) << "signal " << signal;
    }
}
