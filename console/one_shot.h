// The one-shot mode: one operation described by the command line.
#ifndef TKVCON_ONE_SHOT_H
#define TKVCON_ONE_SHOT_H

// Runs the mode named by argv[1] with its options; prints the usage text for
// anything that is not a mode word.
void parseArg(int argc, char **argv);

// The one-shot usage text, with `program` in front of every example line.
void optHelp(const char *program);

#endif
