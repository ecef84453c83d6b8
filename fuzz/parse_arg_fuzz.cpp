// The one-shot command line: each input is split into words at white space
// and handed to parseArg as tkvcon's arguments, on a fresh simulated device
// with the faults the input chose (see fuzz::injectFaults).
#include <ctype.h>
#include <getopt.h>
#include <string.h>

#include "command_line.h"
#include "fuzz_input.h"
#include "one_shot.h"
#include "tekvaro.h"
#include "tkvsim.h"

namespace {

// reg and vram dumps make one request per item, and zv on a hung I2C channel
// makes a score of transactions that each take their whole time limit.  The
// count is found the way the mode finds it, on a copy of argv (getopt
// reorders it).
bool tooSlow(int argc, char **argv, bool i2cHangs) {
    if (argc < 2) return false;
    if (strcmp(argv[1], "zv") == 0) return i2cHangs;
    if (strcmp(argv[1], "reg") != 0 && strcmp(argv[1], "vram") != 0) return false;
    char *copy[fuzz::CommandLine::kMaxWords + 2];
    memcpy(copy, argv, sizeof(char *) * static_cast<size_t>(argc + 1));
    bool slow = false;
    opterr = 0;
    optind = 0;
    for (int option; (option = getopt(argc, copy, "a:o:w:v:n:")) != -1;)
        if (option == 'n') slow = fuzz::countTooLarge(optarg);
    opterr = 1;
    return slow;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***) {
    fuzz::openSimulatedDevice();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    tkvsim::reset();
    const fuzz::Faults faults = fuzz::injectFaults(data, size);
    data += faults.inputBytes;
    size -= faults.inputBytes;
    char program[] = "tkvcon";
    fuzz::CommandLine line;
    if (!line.split(data, size, program)) return -1;
    if (tooSlow(line.argc, line.argv, faults.i2cHangs)) return -1;
    optind = 0;  // glibc's full reset of getopt between runs
    parseArg(line.argc, line.argv);
    return 0;
}
