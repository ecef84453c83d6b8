// A fuzzer's input as a program's command line: the words of the input,
// split at white space, after the program's name.
#ifndef TKV_FUZZ_COMMAND_LINE_H
#define TKV_FUZZ_COMMAND_LINE_H

#include <stddef.h>
#include <stdint.h>
#include <string.h>

namespace fuzz {

struct CommandLine {
    static constexpr size_t kMaxInput = 512;
    static constexpr int kMaxWords = 32;
    char text[kMaxInput + 1];
    char *argv[kMaxWords + 2];
    int argc = 0;

    // False for an input longer than kMaxInput (the fuzzer skips it).
    bool split(const uint8_t *data, size_t size, char *program) {
        if (size > kMaxInput) return false;
        memcpy(text, data, size);
        text[size] = '\0';
        argv[0] = program;
        argc = 1;
        char *end = nullptr;
        for (char *word = strtok_r(text, " \t\n\r\v\f", &end); word && argc <= kMaxWords;
             word = strtok_r(nullptr, " \t\n\r\v\f", &end))
            argv[argc++] = word;
        argv[argc] = nullptr;
        return true;
    }
};

}  // namespace fuzz

#endif
