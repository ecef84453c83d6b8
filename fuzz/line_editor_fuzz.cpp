// The line editor: each input is the keys typed, read as the console reads a
// standard input that is not a terminal, until it says the input has ended.
#include <string.h>

#include "fuzz_input.h"
#include "line_editor.h"

namespace {

// Reads lines from `keys` until getCmdLine says the input ended (1).
void readAll(char *keys, size_t size) {
    FILE *saved = stdin;
    stdin = fmemopen(keys, size, "r");
    if (!stdin) __builtin_trap();
    while (getCmdLine() != 1)
        if (!memchr(CmdLines, '\0', kCmdLineSize)) __builtin_trap();  // an unterminated line
    fclose(stdin);
    stdin = saved;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***) {
    fuzz::silenceConsole();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    if (size == 0 || size > 4096) return -1;
    char keys[4096];
    memcpy(keys, data, size);
    resetLineEditor();
    readAll(keys, size);
    return 0;
}
