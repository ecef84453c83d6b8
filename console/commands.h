// The command tables' rows and the handlers behind them.  Each handler reads
// its argument words with nextArgument() and returns a CommandResult.
#ifndef TKVCON_COMMANDS_H
#define TKVCON_COMMANDS_H

#include <stddef.h>

#include "device_access.h"
#include "interpreter.h"

// A row of a command table: the word as it is compared (upper case) and its handler.
struct Command {
    const char *word;
    CommandResult (*run)();
};

// Runs the row of `table` named by the next argument word, in any case.  A
// missing word ends the line with kMissingArgument; an unknown one prints
// `unknownMessage` and the line goes on.  When `ready` is given, a known
// sub-command runs only once it agrees (else kMissingArgument).
CommandResult runSubCommand(const Command *table, size_t count, const char *unknownMessage,
                            bool (*ready)() = nullptr);
template <size_t N>
CommandResult runSubCommand(const Command (&table)[N], const char *unknownMessage,
                            bool (*ready)() = nullptr) {
    return runSubCommand(table, N, unknownMessage, ready);
}

// The memory commands (rrb, vwqs, crbs, ...): one handler per target,
// operation and width.
enum class MemoryOp { Read, Write, Dump, Fill };
CommandResult runMemoryCommand(Target target, MemoryOp op, int width);
template <Target target, MemoryOp op, int width>
CommandResult memoryCommand() {
    return runMemoryCommand(target, op, width);
}

CommandResult i2cCommand();
CommandResult zoomVideoCommand();
CommandResult ddcCommand();
CommandResult pciCommand();
CommandResult versionCommand();
CommandResult infoCommand();
CommandResult quitCommand();
CommandResult helpCommand();

// Back to the state at program start.
void resetMemoryCommands();
void resetI2cCommands();
void resetZoomVideoCommands();

#endif
