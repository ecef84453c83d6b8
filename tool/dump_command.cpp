// dump: a range of an address space as hexdump -C rows, or raw bytes with -o.
#include <string.h>

#include "commands.h"
#include "hex_rows.h"
#include "output.h"
#include "progress.h"
#include "report.h"
#include "transfer.h"

namespace {

// Raw bytes go straight into the output buffer; the dump stops at a failure.
void dumpRaw(const Invocation &in, Progress &progress, Failure &failure) {
    const uint64_t end = uint64_t{in.address} + in.length;
    for (uint64_t at = in.address; at < end && !outputFailed();) {
        const auto length = static_cast<uint32_t>(pieceEnd(at, end, in.width) - at);
        auto *into = reinterpret_cast<uint8_t *>(outputReserve(length));
        const uint32_t got =
            readBytes(*in.space, static_cast<uint32_t>(at), length, in.width, into, nullptr, failure);
        outputCommit(reinterpret_cast<char *>(into + got));
        if (got < length) return;
        at += length;
        progress.update(at - in.address);
    }
}

// Rows start at the dump's start, pieces at aligned addresses: the bytes of a
// row that a piece leaves unfinished wait at the front of the buffer.
void dumpTable(const Invocation &in, Progress &progress, Failure &failure) {
    static uint8_t bytes[kPieceBytes + 16], failed[kPieceBytes + 16];
    HexRows rows(in.allRows);
    const uint64_t end = uint64_t{in.address} + in.length;
    uint32_t rowAddress = in.address, waiting = 0;
    for (uint64_t at = in.address; at < end && !outputFailed();) {
        const auto length = static_cast<uint32_t>(pieceEnd(at, end, in.width) - at);
        if (failure.error) memset(failed + waiting, 0, length);  // all 0 until the first failure
        readBytes(*in.space, static_cast<uint32_t>(at), length, in.width, bytes + waiting, failed + waiting,
                  failure);
        at += length;
        const uint32_t have = waiting + length;
        const uint32_t ready = at == end ? have : have - have % 16;
        rows.put(rowAddress, bytes, failure.error ? failed : nullptr, ready);
        rowAddress += ready;
        waiting = have - ready;
        memmove(bytes, bytes + ready, waiting);
        memmove(failed, failed + ready, waiting);
        progress.update(at - in.address);
    }
    rows.finish(static_cast<uint32_t>(end));
}

}  // namespace

int runDump(const Invocation &in) {
    Failure failure;
    {
        // A table on a terminal shows its own progress.
        Progress progress(in.length, !in.quiet && (in.output || !outputIsTerminal()));
        if (in.output)
            dumpRaw(in, progress, failure);
        else
            dumpTable(in, progress, failure);
    }
    if (failure.error)
        return requestFailed("dump", in.space->name, failure.address, failure.width, failure.error);
    return kExitOk;
}
