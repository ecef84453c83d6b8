// The handlers behind the interpreter's command table.  Each reads its
// argument words with nextArgument() and returns a CommandResult.
#ifndef TKVCON_COMMANDS_H
#define TKVCON_COMMANDS_H

#include "interpreter.h"

// The memory commands (rrb, vwqs, crbs, ...): `which` indexes their table.
int memoryCommand(int which);
// Finds a memory command word; -1 when it is not one.
int findMemoryCommand(const char *word);

// Back to the state at program start.
void resetMemoryCommands();
void resetI2cCommands();
void resetZoomVideoCommands();

int i2cCommand(int);
int zoomVideoCommand(int);
int ddcCommand(int);
int pciCommand(int);
int versionCommand(int);
int infoCommand(int);
int quitCommand(int);
int helpCommand(int);

#endif
