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

constexpr Target kReg = Target::Reg, kVram = Target::Vram, kCrtc = Target::Crtc;
constexpr MemoryOp kRead = MemoryOp::Read, kWrite = MemoryOp::Write, kDump = MemoryOp::Dump,
                   kFill = MemoryOp::Fill;

// Every command word of the console.
constexpr Command kCommands[] = {
    {"RRB", memoryCommand<kReg, kRead, 1>},
    {"RRW", memoryCommand<kReg, kRead, 2>},
    {"RRL", memoryCommand<kReg, kRead, 4>},
    {"RRQ", memoryCommand<kReg, kRead, 8>},
    {"RWB", memoryCommand<kReg, kWrite, 1>},
    {"RWW", memoryCommand<kReg, kWrite, 2>},
    {"RWL", memoryCommand<kReg, kWrite, 4>},
    {"RWQ", memoryCommand<kReg, kWrite, 8>},
    {"RRBS", memoryCommand<kReg, kDump, 1>},
    {"RRWS", memoryCommand<kReg, kDump, 2>},
    {"RRLS", memoryCommand<kReg, kDump, 4>},
    {"RRQS", memoryCommand<kReg, kDump, 8>},
    {"CRB", memoryCommand<kCrtc, kRead, 1>},
    {"CWB", memoryCommand<kCrtc, kWrite, 1>},
    {"CRBS", memoryCommand<kCrtc, kDump, 1>},
    {"VRB", memoryCommand<kVram, kRead, 1>},
    {"VRW", memoryCommand<kVram, kRead, 2>},
    {"VRL", memoryCommand<kVram, kRead, 4>},
    {"VRQ", memoryCommand<kVram, kRead, 8>},
    {"VWB", memoryCommand<kVram, kWrite, 1>},
    {"VWW", memoryCommand<kVram, kWrite, 2>},
    {"VWL", memoryCommand<kVram, kWrite, 4>},
    {"VWQ", memoryCommand<kVram, kWrite, 8>},
    {"VRBS", memoryCommand<kVram, kDump, 1>},
    {"VRWS", memoryCommand<kVram, kDump, 2>},
    {"VRLS", memoryCommand<kVram, kDump, 4>},
    {"VRQS", memoryCommand<kVram, kDump, 8>},
    {"VWBS", memoryCommand<kVram, kFill, 1>},
    {"VWWS", memoryCommand<kVram, kFill, 2>},
    {"VWLS", memoryCommand<kVram, kFill, 4>},
    {"VWQS", memoryCommand<kVram, kFill, 8>},
    {"I2C", i2cCommand},
    {"ZV", zoomVideoCommand},
    {"DDC", ddcCommand},
    {"PCI", pciCommand},
    {"VERSION", versionCommand},
    {"VER", versionCommand},
    {"INFO", infoCommand},
    {"QUIT", quitCommand},
    {"Q", quitCommand},
    {"HELP", helpCommand},
    {"H", helpCommand},
    {"?", helpCommand},
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

// The row of `table` whose word is `word`, exactly; null when there is none.
const Command *findCommand(const Command *table, size_t count, const char *word) {
    for (size_t i = 0; i < count; ++i)
        if (strcmp(word, table[i].word) == 0) return &table[i];
    return nullptr;
}

CommandResult runCommand(const char *word) {
    if (const Command *c = findCommand(kCommands, sizeof kCommands / sizeof kCommands[0], word))
        return c->run();
    printf("Invalid command %s. Use help or ? for command info\n", word);
    return kUnknownCommand;
}

}  // namespace

CommandResult runSubCommand(const Command *table, size_t count, const char *unknownMessage, bool (*ready)()) {
    char *word = nextArgument();
    if (!word) return kMissingArgument;
    uppercaseStr(word);
    const Command *c = findCommand(table, count, word);
    if (!c) {
        puts(unknownMessage);
        return kLineDone;
    }
    if (ready && !ready()) return kMissingArgument;
    return c->run();
}

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
        const CommandResult result = runCommand(word);
        if (result == kLineQuit || result == kUnknownCommand) return result;
        if (result == kMissingArgument) {
            puts("Invalid argument. Use help or ? for command info");
            return kMissingArgument;
        }
    }
}
