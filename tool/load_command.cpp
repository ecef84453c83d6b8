// load: a file's bytes (or standard input's) into an address space, with
// --verify reading them back; with --hex, the bytes of a hex dump's text.
//
// The input's length is known and checked before the device is opened:
// a regular file's from its size, a pipe's by reading it whole.  The load
// then writes exactly that many bytes; a file that changes size meanwhile
// is an error, and nothing beyond the checked range is written.
#include <errno.h>
#include <fcntl.h>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>
#include <unistd.h>

#include "commands.h"
#include "hex_text_reader.h"
#include "progress.h"
#include "report.h"
#include "transfer.h"

namespace {

const char *inputName(const Invocation &in) {
    return in.inputFd == STDIN_FILENO ? "standard input" : in.file;
}

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

// The bytes left in a regular file; false when the input is not one.
bool regularFileLength(int fd, uint64_t &length) {
    struct stat st {};
    if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) return false;
    const off_t at = lseek(fd, 0, SEEK_CUR);
    length = st.st_size > at && at >= 0 ? static_cast<uint64_t>(st.st_size - at) : 0;
    return true;
}

// Reads the input whole, up to one byte more than `limit`, so that an input
// too long for the space is known before anything is written.
bool readWhole(int fd, uint64_t limit, uint8_t *&bytes, uint64_t &length) {
    size_t capacity = 0;
    bytes = nullptr;
    length = 0;
    for (;;) {
        if (length == capacity) {
            capacity = capacity ? 2 * capacity : kPieceBytes;
            auto *grown = static_cast<uint8_t *>(realloc(bytes, capacity));
            if (!grown) {
                free(bytes);
                bytes = nullptr;
                errno = ENOMEM;
                return false;
            }
            bytes = grown;
        }
        const uint64_t wanted =
            limit + 1 - length < capacity - length ? limit + 1 - length : capacity - length;
        const ssize_t got = readInput(fd, bytes + length, wanted);
        if (got < 0) {
            free(bytes);
            bytes = nullptr;
            return false;
        }
        length += static_cast<uint64_t>(got);
        if (static_cast<uint64_t>(got) < wanted || length > limit) return true;
    }
}

// --hex: the rows of a hex dump become the bytes to load.  Exit status.
int readHexInput(Invocation &in, uint64_t room, const char *topic) {
    uint8_t *text = nullptr;
    uint64_t textLength = 0;
    if (!readWhole(in.inputFd, SIZE_MAX - 1, text, textLength)) {
        complain("cannot read '%s': %s", inputName(in), strerror(errno));
        return kExitFailed;
    }
    HexText hex;
    const bool read = readHexText(reinterpret_cast<const char *>(text), textLength, room, hex);
    free(text);
    if (read) {
        in.inputBytes = hex.bytes;
        in.inputLength = hex.length;
        return kExitOk;
    }
    if (hex.errorLine == 0)
        return usageError(topic, "the bytes of '%s' (more than 0x%llx) run past the end of %s (0x%x)",
                          inputName(in), static_cast<unsigned long long>(room), in.space->name,
                          in.space->size);
    complain("load: '%s' line %u: %s", inputName(in), hex.errorLine, hex.error);
    return kExitFailed;
}

struct Loader {
    const Invocation &in;
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

    // The next `length` bytes of the input, or null after saying why.
    const uint8_t *next(uint64_t done, uint32_t length) {
        static uint8_t piece[kPieceBytes];
        if (in.inputBytes) return in.inputBytes + done;
        const ssize_t got = readInput(in.inputFd, piece, length);
        if (got < 0) {
            complain("cannot read '%s': %s", inputName(in), strerror(errno));
            return nullptr;
        }
        if (static_cast<uint32_t>(got) == length) return piece;
        complain("load %s: '%s' shrank while it was loaded (0x%llx of 0x%llx bytes written)", in.space->name,
                 inputName(in), static_cast<unsigned long long>(done),
                 static_cast<unsigned long long>(in.inputLength));
        return nullptr;
    }

    // A regular file must end where its size said it would.
    int checkEnd() {
        if (in.inputBytes) return kExitOk;
        uint8_t extra;
        if (readInput(in.inputFd, &extra, 1) == 0) return kExitOk;
        complain("load %s: '%s' grew while it was loaded (its first 0x%llx bytes were written)",
                 in.space->name, inputName(in), static_cast<unsigned long long>(in.inputLength));
        return kExitFailed;
    }

    int run() {
        const Space &space = *in.space;
        const uint64_t end = uint64_t{in.address} + in.inputLength;
        Progress progress(in.inputLength, !in.quiet);
        for (uint64_t at = in.address; at < end;) {
            const auto length = static_cast<uint32_t>(pieceEnd(at, end, in.width) - at);
            const uint8_t *bytes = next(at - in.address, length);
            if (!bytes) return kExitFailed;
            const auto address = static_cast<uint32_t>(at);
            if (writeBytes(space, address, length, in.width, bytes, failure) < length)
                return requestFailed("load", space.name, failure.address, failure.width, failure.error);
            if (in.verify && verify(address, bytes, length) != kExitOk) return kExitFailed;
            at += length;
            progress.update(at - in.address);
        }
        return checkEnd();
    }
};

}  // namespace

int openLoadInput(Invocation &in) {
    const bool standardInput = strcmp(in.file, "-") == 0;
    in.inputFd = standardInput ? STDIN_FILENO : open(in.file, O_RDONLY | O_CLOEXEC);
    const Space &space = *in.space;
    const uint64_t room = space.size - in.address;
    char topic[32];
    commandTopic(*in.command, topic, sizeof topic);
    if (in.inputFd < 0) {
        complain("cannot read '%s': %s", inputName(in), strerror(errno));
        return kExitFailed;
    }
    if (in.hex) {
        if (int status = readHexInput(in, room, topic)) return status;
    } else if (!regularFileLength(in.inputFd, in.inputLength)) {
        if (!readWhole(in.inputFd, room, in.inputBytes, in.inputLength)) {
            complain("cannot read '%s': %s", inputName(in), strerror(errno));
            return kExitFailed;
        }
    }
    if (in.inputLength > room) {
        if (in.inputBytes)
            return usageError(topic, "%s (more than 0x%llx bytes) runs past the end of %s (0x%x)",
                              standardInput ? "standard input" : in.file,
                              static_cast<unsigned long long>(room), space.name, space.size);
        return usageError(topic, "'%s' (0x%llx bytes) runs past the end of %s (0x%x)", in.file,
                          static_cast<unsigned long long>(in.inputLength), space.name, space.size);
    }
    const unsigned unit = in.width ? in.width : space.writeUnit();
    if (in.inputLength % unit != 0)
        return usageError(topic, "the length of %s%s%s (0x%llx) is not a multiple of the width %u",
                          standardInput ? "" : "'", inputName(in), standardInput ? "" : "'",
                          static_cast<unsigned long long>(in.inputLength), unit);
    return kExitOk;
}

int runLoad(const Invocation &in) { return Loader{in, {}}.run(); }
