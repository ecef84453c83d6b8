// The values of tkvtool's options, each parsed into the invocation by a
// function of the option table: kExitOk, or kExitUsage once the usage error
// (naming `topic`) has been printed.
#ifndef TKVTOOL_OPTION_VALUES_H
#define TKVTOOL_OPTION_VALUES_H

#include "invocation.h"

using OptionParser = int (*)(Invocation &in, const char *topic, const char *value);

int parseWidth(Invocation &in, const char *topic, const char *value);
int parseCount(Invocation &in, const char *topic, const char *value);
int parseMask(Invocation &in, const char *topic, const char *value);
int parseMapFile(Invocation &in, const char *topic, const char *value);
int parseIgnore(Invocation &in, const char *topic, const char *value);
int parseInterval(Invocation &in, const char *topic, const char *value);
int parseChanges(Invocation &in, const char *topic, const char *value);
int parseOutput(Invocation &in, const char *topic, const char *value);
int parseDevice(Invocation &in, const char *topic, const char *value);
int parseDecoderChannel(Invocation &in, const char *topic, const char *value);
int parseDecoderAddress(Invocation &in, const char *topic, const char *value);
int parseLayer(Invocation &in, const char *topic, const char *value);
int parseWindowX(Invocation &in, const char *topic, const char *value);
int parseWindowY(Invocation &in, const char *topic, const char *value);
int parseWindowWidth(Invocation &in, const char *topic, const char *value);
int parseWindowHeight(Invocation &in, const char *topic, const char *value);
int parseCutLeft(Invocation &in, const char *topic, const char *value);
int parseCrtc(Invocation &in, const char *topic, const char *value);
int parseFormat(Invocation &in, const char *topic, const char *value);

#endif
