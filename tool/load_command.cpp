// load: a file's bytes (or standard input's) into an address space, with
// --verify reading them back.
#include <errno.h>
#include <fcntl.h>
#include <string.h>
#include <sys/stat.h>
#include <unistd.h>

#include "commands.h"
#include "progress.h"
#include "report.h"
#include "transfer.h"

namespace {

// Fills `buffer` as far as the input goes; -1 on a read error.
ssize_t readInput(int fd, uint8_t *buffer, size_t length) {
    size_t got = 0;
    while (got < length) {
        ssize_t n = read(fd, buffer + got, length - got);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) return -1;
        if (n == 0) break;
        got += static_cast<size_t>(n);
    }
    return static_cast<ssize_t>(got);
}

// The bytes left in a regular file, or 0 when the input's size is not known.
uint64_t inputSize(int fd) {
    struct stat st {};
    if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) return 0;
    const off_t at = lseek(fd, 0, SEEK_CUR);
    return st.st_size > at && at >= 0 ? static_cast<uint64_t>(st.st_size - at) : 0;
}

struct Loader {
    const Invocation &in;
    int fd;
    const char *name;
    Failure failure;

    int verify(uint32_t address, const uint8_t *wrote, uint32_t length) {
        static uint8_t back[kPieceBytes];
        if (readBytes(*in.space, address, length, in.width, back, nullptr, failure) < length)
            return requestFailed("read", in.space->name, failure.address, failure.width, failure.error);
        for (uint32_t i = 0; i < length; ++i) {
            if (back[i] == wrote[i]) continue;
            complain("load %s 0x%08x: wrote 0x%02x, read back 0x%02x", in.space->name, address + i, wrote[i],
                     back[i]);
            return kExitFailed;
        }
        return kExitOk;
    }

    int run(uint64_t total) {
        static uint8_t bytes[kPieceBytes];
        const Space &space = *in.space;
        Progress progress(total, !in.quiet);
        for (uint64_t at = in.address;;) {
            const auto room = static_cast<uint32_t>(pieceEnd(at, space.size, in.width) - at);
            const ssize_t got = readInput(fd, bytes, room ? room : 1);
            if (got < 0) {
                complain("cannot read '%s': %s", name, strerror(errno));
                return kExitFailed;
            }
            if (got == 0) return kExitOk;
            if (room == 0) {
                complain("load %s: the input runs past the end of %s (0x%x)", name, space.name, space.size);
                return kExitFailed;
            }
            const auto length = static_cast<uint32_t>(got);
            if (in.width && length % in.width != 0) {
                complain("load %s: the input ends inside a %u-byte item", name, in.width);
                return kExitFailed;
            }
            const auto address = static_cast<uint32_t>(at);
            if (writeBytes(space, address, length, in.width, bytes, failure) < length)
                return requestFailed("load", space.name, failure.address, failure.width, failure.error);
            if (in.verify && verify(address, bytes, length) != kExitOk) return kExitFailed;
            at += length;
            progress.update(at - in.address);
            if (length < room) return kExitOk;
        }
    }
};

}  // namespace

int runLoad(const Invocation &in) {
    const bool standardInput = strcmp(in.file, "-") == 0;
    const char *name = standardInput ? "standard input" : in.file;
    const int fd = standardInput ? STDIN_FILENO : open(in.file, O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        complain("cannot read '%s': %s", name, strerror(errno));
        return kExitFailed;
    }
    const uint64_t total = inputSize(fd);
    int status;
    if (uint64_t{in.address} + total > in.space->size) {
        char topic[32];
        status = usageError(commandTopic(*in.command, topic, sizeof topic),
                            "'%s' (0x%llx bytes) runs past the end of %s (0x%x)", name,
                            static_cast<unsigned long long>(total), in.space->name, in.space->size);
    } else if (in.width && total % in.width != 0) {
        char topic[32];
        status = usageError(commandTopic(*in.command, topic, sizeof topic),
                            "the length of '%s' (0x%llx) is not a multiple of the width %u", name,
                            static_cast<unsigned long long>(total), in.width);
    } else {
        status = Loader{in, fd, name, {}}.run(total);
    }
    if (!standardInput) close(fd);
    return status;
}
