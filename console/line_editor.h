// The console's own line editor: raw terminal one key at a time, insertion
// anywhere, backspace, left/right, one line of history under up/down.
#ifndef TKVCON_LINE_EDITOR_H
#define TKVCON_LINE_EDITOR_H

constexpr int kCmdLineSize = 256;  // at most 255 characters and a terminator

// The current console line, shared with the interpreter.
extern char CmdLines[kCmdLineSize];

// Reads one line into CmdLines: 0 when it was finished with Enter, 1 when the
// user pressed Ctrl-C or input ended (a pipe's or file's last line without a
// line end is finished first).  A NUL byte is no key; from a pipe or file a
// carriage return and a line feed after it are one line end.
int getCmdLine();

// Forgets the line being typed and the history, as at program start.
void resetLineEditor();

#endif
