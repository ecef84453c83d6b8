#include "dump_files.h"

#include <stdint.h>
#include <stdlib.h>
#include <unistd.h>

namespace {

// Writes kDumpBytes into a new file at `path` (a mkstemp pattern); false on failure.
bool makeFile(char *path, bool random) {
    int fd = mkstemp(path);
    if (fd < 0) return false;
    static uint64_t block[1 << 13];
    uint64_t state = 0x9E3779B97F4A7C15u;
    bool ok = true;
    for (size_t done = 0; ok && done < kDumpBytes; done += sizeof block) {
        for (uint64_t &word : block)
            word = random ? (state = state * 6364136223846793005u + 1442695040888963407u) : 0;
        ok = write(fd, block, sizeof block) == static_cast<ssize_t>(sizeof block);
    }
    close(fd);
    return ok;
}

void removeFiles();

const char *madeOnce(char *path, bool random, bool &made, bool &tried) {
    static const bool removedAtExit = atexit(removeFiles) == 0;
    (void)removedAtExit;
    if (!tried) {
        tried = true;
        made = makeFile(path, random);
    }
    return made ? path : nullptr;
}

char zeroPath[] = "/tmp/tkv-bench-zero-XXXXXX";
char randomPath[] = "/tmp/tkv-bench-random-XXXXXX";
bool zeroMade, zeroTried, randomMade, randomTried;

void removeFiles() {
    if (zeroMade) unlink(zeroPath);
    if (randomMade) unlink(randomPath);
}

}  // namespace

const char *zeroFile() { return madeOnce(zeroPath, false, zeroMade, zeroTried); }

const char *randomFile() { return madeOnce(randomPath, true, randomMade, randomTried); }
