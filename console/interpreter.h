// The command interpreter: runs the line in CmdLines, command by command.
#ifndef TKVCON_INTERPRETER_H
#define TKVCON_INTERPRETER_H

// Results of a line, and of a command handler.
enum CommandResult : int {
    kLineDone = 0,
    kLineQuit = 1,
    kUnknownCommand = -1,
    kMissingArgument = -2,
};

// Runs CmdLines (an empty line runs the previous line again).
int parseAndRunCmd();

// Cuts the text at *cursor at the next `separator`: returns the current
// command and moves *cursor past the separator (or onto the terminator).
char *getCurCmdLine(char **cursor, char separator);

// Starts reading the words of one command (cut from a line by getCurCmdLine):
// returns its command word, or null when it has none.
char *commandWord(char *command);

// For handlers: the command's next argument word, or null when there is none.
char *nextArgument();

// For handlers: true when this line repeats the previous single-command line.
bool isRepeatLine();

// Forgets everything typed and set so far (the lines, the remembered line, the
// commands' addresses, device and port), as at program start.
void resetConsole();

#endif
