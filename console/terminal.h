// Single keys from standard input, with the terminal in raw mode only while
// the key is awaited.
#ifndef TKVCON_TERMINAL_H
#define TKVCON_TERMINAL_H

// The line on screen while a key is awaited: drawn again (prompt, text, and
// the cursor moved back into place) when the program is continued after a stop.
struct ShownLine {
    char prompt;
    const char *text;
    int length;
    int cursor;
};

// The next byte typed (0-255), or -1 when input has ended or failed.
int readKey(const ShownLine &line);

// True when standard input is a terminal, not a pipe or a file.
bool inputIsTerminal();

#endif
