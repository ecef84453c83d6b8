// Single keys from standard input, with the terminal in raw mode only while
// the key is read.
#ifndef TKVCON_TERMINAL_H
#define TKVCON_TERMINAL_H

// The next byte typed (0-255), or -1 when input has ended or failed.
int readKey();

#endif
