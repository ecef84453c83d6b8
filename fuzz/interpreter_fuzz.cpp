// The interpreter: each input is lines of commands, run one after the other
// on a fresh simulated controller (with the faults the input chose, see
// fuzz::injectFaults) and a fresh console, as the console runs what the line
// editor hands it.
#include <string.h>

#include "fuzz_input.h"
#include "interpreter.h"
#include "line_editor.h"
#include "tekvaro.h"
#include "tkvsim.h"

namespace {

constexpr int kMaxLines = 8;
// On a hung channel every I2C transaction takes its whole time limit.
constexpr int kMaxI2cCommandsWhenHung = 2;

// Commands that would make an input slow without finding anything: dumps and
// fills (four letters ending in S, the count second) make one request per
// item, and on a hung channel zv init makes a score of slow transactions.
// The line is read with the interpreter's own word reader, on a copy.
bool tooSlow(const char *line, bool i2cHangs, int &i2cCommands) {
    char copy[kCmdLineSize];
    strcpy(copy, line);
    for (char *cursor = copy; *cursor;) {
        const char *word = commandWord(getCurCmdLine(&cursor, ';'));
        if (!word) continue;
        const bool zv = strcasecmp(word, "zv") == 0;
        if (zv || strcasecmp(word, "i2c") == 0) {
            if (i2cHangs && (zv || ++i2cCommands > kMaxI2cCommandsWhenHung)) return true;
            continue;
        }
        if (strlen(word) != 4 || (word[3] != 's' && word[3] != 'S')) continue;
        if (!nextArgument()) continue;
        const char *count = nextArgument();
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
    tkvsim::reset();  // also empties the request trace
    const fuzz::Faults faults = fuzz::injectFaults(data, size);
    // Lines as the line editor delivers them: at most 255 characters, no line feed.
    char lines[kMaxLines][kCmdLineSize];
    int count = 0, i2cCommands = 0;
    for (size_t at = faults.inputBytes; at < size && count < kMaxLines;) {
        const uint8_t *end = static_cast<const uint8_t *>(memchr(data + at, '\n', size - at));
        size_t length = (end ? static_cast<size_t>(end - data) : size) - at;
        size_t kept = length < kCmdLineSize - 1 ? length : kCmdLineSize - 1;
        memcpy(lines[count], data + at, kept);
        lines[count][kept] = '\0';
        if (tooSlow(lines[count], faults.i2cHangs, i2cCommands)) return -1;  // not added to the corpus
        ++count;
        at += length + 1;
    }
    resetConsole();
    for (int i = 0; i < count; ++i) {
        strcpy(CmdLines, lines[i]);
        if (parseAndRunCmd() == kLineQuit) break;
    }
    return 0;
}
