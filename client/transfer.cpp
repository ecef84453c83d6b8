#include "transfer.h"

#include <string.h>

#include "library_result.h"

static_assert(__BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__, "items are copied as the device stores them");

namespace {

// The width the user chose, or the widest that the alignment and the space allow.
unsigned requestWidth(uint8_t widths, uint32_t address, uint32_t left, unsigned width) {
    if (width) return width;
    for (unsigned w = 8; w > 1; w /= 2)
        if ((widths & w) && address % w == 0 && w <= left) return w;
    return 1;
}

void noteFailure(Failure &failure, int error, uint32_t address, unsigned width) {
    if (!failure.error) failure = Failure{error, address, width};
}

}  // namespace

uint64_t pieceEnd(uint64_t address, uint64_t end, unsigned width) {
    uint64_t next = address + kPieceBytes;
    if (!width) next &= ~uint64_t{7};
    return next < end ? next : end;
}

uint32_t readBytes(const Space &space, uint32_t address, uint32_t length, unsigned width, uint8_t *bytes,
                   uint8_t *failed, Failure &failure) {
    uint32_t done = 0;
    while (done < length) {
        const uint32_t at = address + done;
        const unsigned w = requestWidth(space.widths, at, length - done, width);
        uint64_t value = 0;
        int error;
        if (w == 8 && space.readQuad) {
            // The bulk of a long transfer: the library's own quad reads, in a
            // loop of their own, until the quads end or one fails.
            const uint32_t quadsEnd = length - (length - done) % 8;
            int result = 0;
            for (uint32_t next = done; next < quadsEnd; next += 8) {
                result = space.readQuad(address + next, &value);
                if (result != 0) break;
                memcpy(bytes + next, &value, 8);
                done = next + 8;
            }
            if (result == 0) continue;
            error = errorOf(result);
        } else {
            error = space.read(at, w, value);
        }
        if (error) {
            noteFailure(failure, error, address + done, w);
            if (!failed) return done;
            memset(failed + done, 1, w);
            value = 0;
        }
        memcpy(bytes + done, &value, w);
        done += w;
    }
    return done;
}

uint32_t writeBytes(const Space &space, uint32_t address, uint32_t length, unsigned width,
                    const uint8_t *bytes, Failure &failure) {
    uint32_t done = 0;
    while (done < length) {
        const uint32_t at = address + done;
        const unsigned w = requestWidth(space.writeWidths, at, length - done, width);
        uint64_t value = 0;
        memcpy(&value, bytes + done, w);
        if (int error = space.write(at, w, value)) {
            noteFailure(failure, error, at, w);
            return done;
        }
        done += w;
    }
    return done;
}
