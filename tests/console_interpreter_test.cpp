// The command interpreter: the empty-line repeat, splitting at ';', command
// words and the two error messages.
#include <gtest/gtest.h>

#include "console_driver.h"
#include "console_text.h"

using namespace keys;

TEST(ConsoleInterpreter, EmptyLineWithNothingToRepeatDoesNothing) {
    EXPECT_EQ(transcriptOf(kEnter + kEnter), ">\r\n>\r\n>");
}

TEST(ConsoleInterpreter, EmptyLineStepsByteAndWordReadsOnward) {
    std::string typed = "rwl 100 44332211" + kEnter + "rrb 100" + kEnter + kEnter + kEnter +  //
                        "rrw 100" + kEnter + kEnter + kEnter;
    EXPECT_EQ(transcriptOf(typed),
              ">rwl 100 44332211\r\n"
              ">rrb 100\r\n00000100: 11\n"
              ">\r\n00000101: 22\n"
              ">\r\n00000102: 33\n"
              ">rrw 100\r\n00000100: 2211\n"
              ">\r\n00000102: 4433\n"
              ">\r\n00000104: 0000\n>");
}

TEST(ConsoleInterpreter, EmptyLineRepeatsEverythingElseAsTyped) {
    std::string typed = "rwl 100 44332211;rwl 200 88776655" + kEnter +  //
                        "rrl 100" + kEnter + kEnter +                   // no stepping for longs
                        "rrb 100;rrb 200" + kEnter + kEnter +           // nor with ';' in the line
                        "rrb 100" + kEnter + "rrl 200" + kEnter + kEnter;
    EXPECT_EQ(transcriptOf(typed),
              ">rwl 100 44332211;rwl 200 88776655\r\n"
              ">rrl 100\r\n00000100: 44332211\n"
              ">\r\n00000100: 44332211\n"
              ">rrb 100;rrb 200\r\n00000100: 11\n00000200: 55\n"
              ">\r\n00000100: 11\n00000200: 55\n"
              ">rrb 100\r\n00000100: 11\n"
              ">rrl 200\r\n00000200: 88776655\n"
              ">\r\n00000200: 88776655\n>");
}

TEST(ConsoleInterpreter, CommandWordsIgnoreCaseAndTakeAnySeparator) {
    std::string typed = "rwb 120 7e" + kEnter + "RrB 120" + kEnter + "rrb,120" + kEnter + "rrb\t120" +
                        kEnter + " ,rrb 120 130" + kEnter;
    EXPECT_EQ(transcriptOf(typed),
              ">rwb 120 7e\r\n"
              ">RrB 120\r\n00000120: 7e\n"
              ">rrb,120\r\n00000120: 7e\n"
              ">rrb\t120\r\n00000120: 7e\n"
              "> ,rrb 120 130\r\n00000120: 7e\n>");
}

TEST(ConsoleInterpreter, SemicolonsSplitTheLine) {
    std::string typed = "rwb 120 7e;rwb 121 7f" + kEnter + "rrb 120;;rrb 121" + kEnter + "rrb 120;" + kEnter +
                        "rrb 121; " + kEnter + ";;" + kEnter;
    EXPECT_EQ(transcriptOf(typed),
              ">rwb 120 7e;rwb 121 7f\r\n"
              ">rrb 120;;rrb 121\r\n00000120: 7e\n00000121: 7f\n"
              ">rrb 120;\r\n00000120: 7e\n"
              ">rrb 121; \r\n00000121: 7f\n"
              ">;;\r\n>");
}

TEST(ConsoleInterpreter, LineOfBlanksRunsNothingAndIsRepeatedAsNothing) {
    EXPECT_EQ(transcriptOf("rrb 120" + kEnter + "   " + kEnter + kEnter),
              ">rrb 120\r\n00000120: 00\n>   \r\n>\r\n>");
}

TEST(ConsoleInterpreter, QuitEndsTheConsoleAndSkipsTheRestOfTheLine) {
    TerminalRun quitFirst = runConsole("q;rrb 120" + kEnter + "rrb 121" + kEnter);
    EXPECT_EQ(quitFirst.output, ">q;rrb 120\r\n");
    EXPECT_EQ(quitFirst.exitCode, 0);

    TerminalRun quitLast = runConsole("rrb 120;Quit" + kEnter);
    EXPECT_EQ(quitLast.output, ">rrb 120;Quit\r\n00000120: 00\n");
    EXPECT_EQ(quitLast.exitCode, 0);
}

TEST(ConsoleInterpreter, UnknownWordIsNamedInCapitalsAndEndsTheLine) {
    std::string typed = "xyz;rrb 120" + kEnter + "rrb 120;XyZ;rrb 121" + kEnter + kEnter +  //
                        "rr" + kEnter + "rrbx 1" + kEnter + "rrb1" + kEnter;
    EXPECT_EQ(transcriptOf(typed), ">xyz;rrb 120\r\n" + invalidCommand("XYZ") +                            //
                                       ">rrb 120;XyZ;rrb 121\r\n00000120: 00\n" + invalidCommand("XYZ") +  //
                                       ">\r\n00000120: 00\n" + invalidCommand("XYZ") +                     //
                                       ">rr\r\n" + invalidCommand("RR") +                                  //
                                       ">rrbx 1\r\n" + invalidCommand("RRBX") +                            //
                                       ">rrb1\r\n" + invalidCommand("RRB1") + ">");
}

TEST(ConsoleInterpreter, MissingArgumentEndsTheLine) {
    std::string typed = "rwb 120" + kEnter + kEnter +  //
                        "rwb 120 1;rwb 121;rwb 122 3" + kEnter + "rrbs 120 3" + kEnter;
    EXPECT_EQ(transcriptOf(typed), ">rwb 120\r\n" + kInvalidArgument +                          //
                                       ">\r\n" + kInvalidArgument +                             // repeated
                                       ">rwb 120 1;rwb 121;rwb 122 3\r\n" + kInvalidArgument +  //
                                       ">rrbs 120 3\r\n00000120: 01 00 00\n>");
}
