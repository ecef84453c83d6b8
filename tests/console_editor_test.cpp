// The line editor, seen from the terminal: keys in, exact bytes out.  The
// finished line is shown by what the interpreter makes of it.
#include <gtest/gtest.h>

#include "console_driver.h"
#include "console_text.h"

using namespace keys;

TEST(ConsoleLineEditor, TypesAndRunsALine) {
    EXPECT_EQ(transcriptOf("rrl 10028" + kEnter), ">rrl 10028\r\n00010028: 00000000\n>");
}

TEST(ConsoleLineEditor, InsertsInTheMiddleAndRedrawsTheRest) {
    EXPECT_EQ(transcriptOf("ab" + kLeft + "X" + kEnter), ">ab\bXb\b\r\n" + invalidCommand("AXB") + ">");
    EXPECT_EQ(transcriptOf("rwl 28 cafe0123" + kEnter + "rl 28" + repeat(kLeft, 4) + "r" + kEnter),
              ">rwl 28 cafe0123\r\n"
              ">rl 28\b\b\b\brl 28\b\b\b\b\r\n00000028: cafe0123\n>");
}

TEST(ConsoleLineEditor, BackspaceAtTheEndAndInTheMiddle) {
    EXPECT_EQ(transcriptOf("abc" + kBackspace + kEnter + "abcd" + kLeft + kLeft + "\x08" + kEnter),
              ">abc\b \b\r\n" + invalidCommand("AB") +  //
                  ">abcd\b\b\bcd \b\b\b\r\n" + invalidCommand("ACD") + ">");
}

TEST(ConsoleLineEditor, CursorStopsAtBothEndsOfTheLine) {
    // Backspace, Left and Right on an empty line, Right at the end, Left and
    // Backspace at the start: all silent.
    std::string typed =
        kBackspace + kLeft + kRight + "ab" + kRight + repeat(kLeft, 3) + kBackspace + "x" + kEnter;
    EXPECT_EQ(transcriptOf(typed), ">ab\b\bxab\b\b\r\n" + invalidCommand("XAB") + ">");
}

TEST(ConsoleLineEditor, UpShowsTheLastLineAndDownTheLineBeingTyped) {
    std::string typed = "rwl 28 5a5a" + kEnter + "rrl 28" + kEnter +  //
                        "xy" + kUp + kDown + kUp + kEnter;
    EXPECT_EQ(transcriptOf(typed),
              ">rwl 28 5a5a\r\n"
              ">rrl 28\r\n00000028: 00005a5a\n"
              ">xy"
              "\r   \r>rrl 28"      // Up: the line and the prompt blanked
              "\r       \r>xy"      // Down
              "\r   \r>rrl 28\r\n"  // Up, Enter
              "00000028: 00005a5a\n>");
}

TEST(ConsoleLineEditor, UpWithEmptyHistoryShowsAnEmptyLine) {
    // An empty line empties the editor's history; the interpreter still repeats.
    std::string typed = "ab" + kUp + kDown + kEnter + kEnter + kUp + kEnter;
    EXPECT_EQ(transcriptOf(typed), ">ab\r   \r>\r \r>ab\r\n" + invalidCommand("AB") +  //
                                       ">\r\n" + invalidCommand("AB") +                //
                                       ">\r \r>\r\n" + invalidCommand("AB") + ">");
}

TEST(ConsoleLineEditor, DownWithoutHistoryShownLeavesTheCursorAlone) {
    EXPECT_EQ(transcriptOf("ab" + kLeft + kDown + "X" + kEnter),
              ">ab\bXb\b\r\n" + invalidCommand("AXB") + ">");
}

TEST(ConsoleLineEditor, DeleteKeySequenceInsertsItsLastTwoBytes) {
    EXPECT_EQ(transcriptOf("ab" + kLeft + kDelete + kEnter),
              ">ab\b3b\b~b\b\r\n" + invalidCommand("A3~B") + ">");
}

TEST(ConsoleLineEditor, CtrlCRightAfterEscapeIsSwallowed) {
    EXPECT_EQ(transcriptOf("ab" + kEsc + kCtrlC + "c" + kEnter), ">abc\r\n" + invalidCommand("ABC") + ">");
}

TEST(ConsoleLineEditor, CtrlCAfterEscapeBracketEndsTheConsole) {
    TerminalRun run = runConsole("ab" + kEsc + "[" + kCtrlC + "rrl 0" + kEnter);
    EXPECT_EQ(run.output, ">ab");
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_FALSE(run.timedOut);
}

TEST(ConsoleLineEditor, KeepsAtMost255Characters) {
    const std::string full = "rrl" + std::string(249, ' ') + "100";  // 255 characters
    ASSERT_EQ(full.size(), 255u);
    // The 256th character is echoed but dropped; inserting into a full line
    // drops the line's last character instead.
    std::string typed = full + "8" + kEnter + kUp + repeat(kLeft, 3) + "2" + kEnter;
    EXPECT_EQ(transcriptOf(typed), ">" + full + "8\r\n00000100: 00000000\n" +  //
                                       ">\r \r>" + full + "\b\b\b2100\b\b\b\r\n00000210: 00000000\n>");
}

TEST(ConsoleLineEditor, CarriageReturnAndLineFeedBothFinishALine) {
    // Also inside an escape sequence, which does not carry over to the next line:
    // the last line's A is a letter, not the tail of an Up key.
    std::string typed =
        "rrl 28\n" + std::string("rrl 2c") + kEsc + "\r" + "rrl 30" + kEsc + "[\n" + "A" + kEnter;
    EXPECT_EQ(transcriptOf(typed),
              ">rrl 28\r\n00000028: 00000000\n"
              ">rrl 2c\r\n0000002c: 00000000\n"
              ">rrl 30\r\n00000030: 00000000\n"
              ">A\r\n" +
                  invalidCommand("A") + ">");
}

TEST(ConsoleLineEditor, NulIsNoKey) {
    // Ctrl-@ on an empty line would otherwise make it look empty and repeat the last line.
    const std::string nul(1, '\0');
    EXPECT_EQ(transcriptOf("rwl 28 5" + kEnter + nul + "rr" + nul + "l 28" + kEnter),
              ">rwl 28 5\r\n>rrl 28\r\n00000028: 00000005\n>");
}

TEST(ConsoleLineEditor, ControlAndHighBytesAreOrdinaryCharacters) {
    // A tab separates words; a byte above 0x7f is kept and left as it is.
    EXPECT_EQ(transcriptOf("rrl\t28" + kEnter + "x\xe9" + kEnter),
              ">rrl\t28\r\n00000028: 00000000\n"
              ">x\xe9\r\n" +
                  invalidCommand("X\xe9") + ">");
}
