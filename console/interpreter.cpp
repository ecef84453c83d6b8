#include "interpreter.h"

#include <stdio.h>
#include <string.h>

#include "commands.h"
#include "line_editor.h"
#include "text_helpers.h"

namespace {

char lastCmdLines[kCmdLineSize];  // the line to repeat, as it was typed
bool repeatLine;
char *wordCursor;  // the word reader's position in the current command

constexpr const char kCommandSeparators[] = " ,\t\r\n";
constexpr const char kArgumentSeparators[] = " ,\t";

struct Command {
    const char *word;
    int (*run)(int);
};

// The words other than the memory commands, which have a table of their own.
constexpr Command kCommands[] = {
    {"I2C", i2cCommand},         {"ZV", zoomVideoCommand}, {"DDC", ddcCommand},   {"PCI", pciCommand},
    {"VERSION", versionCommand}, {"VER", versionCommand},  {"INFO", infoCommand}, {"QUIT", quitCommand},
    {"Q", quitCommand},          {"HELP", helpCommand},    {"H", helpCommand},    {"?", helpCommand},
};

// strtok-like, over the current command only.
char *nextWord(const char *separators) {
    char *start = wordCursor + strspn(wordCursor, separators);
    if (*start == '\0') {
        wordCursor = start;
        return nullptr;
    }
    char *end = start + strcspn(start, separators);
    wordCursor = *end ? end + 1 : end;
    *end = '\0';
    return start;
}

int runCommand(const char *word) {
    int memory = findMemoryCommand(word);
    if (memory >= 0) return memoryCommand(memory);
    for (const Command &c : kCommands)
        if (strcmp(word, c.word) == 0) return c.run(0);
    printf("Invalid command %s. Use help or ? for command info\n", word);
    return kUnknownCommand;
}

}  // namespace

char *commandWord(char *command) {
    wordCursor = command;
    return nextWord(kCommandSeparators);
}

char *nextArgument() { return nextWord(kArgumentSeparators); }

bool isRepeatLine() { return repeatLine; }

char *getCurCmdLine(char **cursor, char separator) {
    char *start = *cursor;
    char *found = strchr(start, separator);
    if (found && separator != '\0') {
        *found = '\0';
        *cursor = found + 1;
    } else {
        *cursor = start + strlen(start);
    }
    return start;
}

void resetConsole() {
    resetLineEditor();
    lastCmdLines[0] = '\0';
    resetMemoryCommands();
    resetI2cCommands();
    resetZoomVideoCommands();
}

int parseAndRunCmd() {
    repeatLine = false;
    if (CmdLines[0] == '\0') {
        if (lastCmdLines[0] == '\0') return kLineDone;
        strcpy(CmdLines, lastCmdLines);
        repeatLine = true;
    }
    if (strchr(CmdLines, ';')) repeatLine = false;  // several commands repeat as typed
    strcpy(lastCmdLines, CmdLines);

    char *cursor = CmdLines;
    for (;;) {
        char *command = getCurCmdLine(&cursor, ';');
        if (*command == '\0') {
            if (*cursor == '\0') return kLineDone;
            continue;
        }
        char *word = commandWord(command);
        if (!word) continue;
        uppercaseStr(word);
        int result = runCommand(word);
        if (result == kLineQuit || result == kUnknownCommand) return result;
        if (result == kMissingArgument) {
            puts("Invalid argument. Use help or ? for command info");
            return kMissingArgument;
        }
    }
}
