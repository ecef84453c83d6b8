// Keys as a terminal sends them, and the console's fixed messages.
#ifndef TKV_TESTS_CONSOLE_TEXT_H
#define TKV_TESTS_CONSOLE_TEXT_H

#include <string>

namespace keys {
const std::string kEnter = "\r";
const std::string kCtrlC = "\x03";
const std::string kEsc = "\x1b";
const std::string kBackspace = "\x7f";
const std::string kUp = "\x1b[A";
const std::string kDown = "\x1b[B";
const std::string kRight = "\x1b[C";
const std::string kLeft = "\x1b[D";
const std::string kDelete = "\x1b[3~";

inline std::string repeat(const std::string &key, int times) {
    std::string out;
    for (int i = 0; i < times; ++i) out += key;
    return out;
}
}  // namespace keys

inline std::string invalidCommand(const std::string &upperCasedWord) {
    return "Invalid command " + upperCasedWord + ". Use help or ? for command info\n";
}

const std::string kInvalidArgument = "Invalid argument. Use help or ? for command info\n";
const std::string kOutOfRange = "Invalid argument: offset is out of range\n";

#endif
