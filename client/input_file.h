// Input files as every program reads them whole: only a regular file, never
// waiting on a FIFO or a terminal in the way, and no larger than the caller
// takes.  Each caller words the problem its own way.
#ifndef TKV_CLIENT_INPUT_FILE_H
#define TKV_CLIENT_INPUT_FILE_H

#include <stddef.h>

#include <string>

enum class InputProblem { None, Open, NotRegular, TooLarge, Read, Shrank };

struct InputRead {
    InputProblem problem = InputProblem::None;
    int error = 0;  // Open, Read: the error number
    bool ok() const { return problem == InputProblem::None; }
};

// Reads `path` whole into `text`; with `followLink` false, a symbolic link
// at `path` is not followed (Open, ELOOP).
InputRead readRegularFile(const char *path, size_t largest, std::string &text, bool followLink = true);

#endif
