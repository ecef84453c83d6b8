// The commands, one function each; every one returns the exit status.
#ifndef TKVTOOL_COMMANDS_H
#define TKVTOOL_COMMANDS_H

#include "invocation.h"

// Opens device `id`, or says why it cannot (one line): for the commands
// that open it themselves.
bool openDevice(int id);

int runRead(const Invocation &invocation);
int runWrite(const Invocation &invocation);
int runDump(const Invocation &invocation);
int runLoad(const Invocation &invocation);
// Opens and measures load's input, before the device is opened: the exit
// status, kExitOk when the load can go ahead.
int openLoadInput(Invocation &invocation);

// Checks of a command's operands beyond their syntax, made before the device
// is opened: the exit status (a usage error has been printed).
int checkWatchedNames(Invocation &invocation, const char *topic);
int checkShownBlocks(Invocation &invocation, const char *topic);
int checkSnapshotFiles(Invocation &invocation, const char *topic);
int runI2cList(const Invocation &invocation);
int runI2cDetect(const Invocation &invocation);
int runI2cShow(const Invocation &invocation);
int runI2cDump(const Invocation &invocation);
int runI2cGet(const Invocation &invocation);
int runI2cSet(const Invocation &invocation);
int runEdid(const Invocation &invocation);
int runPciDump(const Invocation &invocation);
int runZvInit(const Invocation &invocation);
int runZvStart(const Invocation &invocation);
int runZvStop(const Invocation &invocation);
int runZvRestart(const Invocation &invocation);
int runZvInfo(const Invocation &invocation);
int runCapture(const Invocation &invocation);
int runVersion(const Invocation &invocation);
int runSnapshot(const Invocation &invocation);
int runDiff(const Invocation &invocation);
int runWatch(const Invocation &invocation);
int runRegs(const Invocation &invocation);
int runShow(const Invocation &invocation);
int runRegmapCheck(const Invocation &invocation);

#endif
