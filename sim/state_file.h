// The state file: only a new empty file, or one that carries the simulator's
// own header, is ever written or resized.
#ifndef TKVSIM_STATE_FILE_H
#define TKVSIM_STATE_FILE_H

namespace sim {

// The descriptor of the state file `path` (created 0600 when missing) ready
// to be mapped whole, or -1 after one line on stderr: the state then stays in
// memory.  Without a path: the user's default state file, in
// $XDG_RUNTIME_DIR or else in a directory of the user's own in $TMPDIR.
int openStateFile(const char *path);

// The path of the state file last opened, for messages.
const char *stateFileName();
// Says on stderr that the state file cannot be used, and why.
void reportStateInMemory(const char *why);

}  // namespace sim

#endif
