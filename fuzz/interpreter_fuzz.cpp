// The interpreter: each input is lines of commands, run one after the other
// on a fresh simulated controller, as the console runs what the line editor
// hands it.
#include <string.h>

#include "fuzz_input.h"
#include "interpreter.h"
#include "line_editor.h"
#include "tekvaro.h"
#include "tkvsim.h"

namespace {

// Commands that would make an input slow without finding anything: zv sleeps
// while the camera settles, and dumps and fills (four letters ending in S, the
// count second) make one request per item.
bool tooSlow(const char *line) {
    char copy[kCmdLineSize];
    strcpy(copy, line);
    char *commandEnd = nullptr;
    for (char *command = strtok_r(copy, ";", &commandEnd); command;
         command = strtok_r(nullptr, ";", &commandEnd)) {
        char *wordEnd = nullptr;
        const char *word = strtok_r(command, " ,\t\r\n", &wordEnd);
        if (!word) continue;
        if (strcasecmp(word, "zv") == 0) return true;
        if (strlen(word) != 4 || (word[3] != 's' && word[3] != 'S')) continue;
        if (!strtok_r(nullptr, " ,\t", &wordEnd)) continue;
        const char *count = strtok_r(nullptr, " ,\t", &wordEnd);
        if (count && fuzz::countTooLarge(count)) return true;
    }
    return false;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***) {
    fuzz::openSimulatedDevice();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    // Lines as the line editor delivers them: at most 255 characters, no line feed.
    char lines[8][kCmdLineSize];
    int count = 0;
    for (size_t at = 0; at < size && count < 8;) {
        const uint8_t *end = static_cast<const uint8_t *>(memchr(data + at, '\n', size - at));
        size_t length = (end ? static_cast<size_t>(end - data) : size) - at;
        size_t kept = length < kCmdLineSize - 1 ? length : kCmdLineSize - 1;
        memcpy(lines[count], data + at, kept);
        lines[count][kept] = '\0';
        if (tooSlow(lines[count])) return -1;  // not added to the corpus
        ++count;
        at += length + 1;
    }
    tkvsim::reset();  // also empties the request trace
    for (int i = 0; i < count; ++i) {
        strcpy(CmdLines, lines[i]);
        if (parseAndRunCmd() == kLineQuit) break;
    }
    return 0;
}
