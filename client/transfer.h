// Moving a range of bytes between memory and an address space with the
// widest requests that the alignment allows (or the width the user chose).
#ifndef TKV_CLIENT_TRANSFER_H
#define TKV_CLIENT_TRANSFER_H

#include <stdint.h>

#include "spaces.h"

// A transfer goes piece by piece: this much at most, so that a file is
// written, a table printed and the progress shown as it goes.
constexpr uint32_t kPieceBytes = 64 * 1024;

// The end of the piece that starts at `address`: one piece further on, where
// the next piece starts 8-byte aligned (or a whole number of `width` items
// on), and never past `end`.
uint64_t pieceEnd(uint64_t address, uint64_t end, unsigned width);

struct Failure {
    int error = 0;  // of the first failed request; 0: none
    uint32_t address = 0;
    unsigned width = 0;
};

// Reads `length` bytes from `address` into `bytes`.  A failed request's bytes
// are marked with 1 in `failed` and read as 0, and the reading goes on; with
// no `failed`, it stops there.  The first failure is kept.  Returns how many
// bytes were read before a stop (`length` without one).
uint32_t readBytes(const Space &space, uint32_t address, uint32_t length, unsigned width, uint8_t *bytes,
                   uint8_t *failed, Failure &failure);

// Writes `length` bytes; stops at the first failed request.  Returns how many
// were written.
uint32_t writeBytes(const Space &space, uint32_t address, uint32_t length, unsigned width,
                    const uint8_t *bytes, Failure &failure);

#endif
