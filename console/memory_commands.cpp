// The memory commands: single reads and writes, dumps and fills of register
// space, video memory and CRTC 0, each a target, an operation and a width.
#include <stdio.h>

#include "commands.h"
#include "device_access.h"
#include "hex_output.h"
#include "text_helpers.h"

namespace {

// The register address rrb or rrw read last; an empty line steps on from it.
uint32_t oldOffset;

// Every dump row covers 16 bytes of address space.
DumpLayout layoutFor(int width) { return DumpLayout{8, 16 / width, width}; }

CommandResult singleRead(Target target, int width, const Access &access) {
    const bool steps = target == Target::Reg && width <= 2;  // rrb and rrw
    uint32_t address;
    if (steps && isRepeatLine()) {
        address = oldOffset + static_cast<uint32_t>(width);
    } else {
        const char *word = nextArgument();
        address = word ? hexArg(word) : 0;
    }
    if (target == Target::Crtc) {
        uint64_t value = 0;
        access.read(address, &value);
        printf("CRTC0 %02x: %02x\n", address, static_cast<unsigned>(value));
    } else {
        dumpItems(address, 1, layoutFor(width), access.item, nullptr);
    }
    if (steps) oldOffset = address;
    return kLineDone;
}

CommandResult singleWrite(const Access &access) {
    const char *address = nextArgument();
    if (!address) return kMissingArgument;
    const char *value = nextArgument();
    if (!value) return kMissingArgument;
    access.write(hexArg(address), htoi(value));
    return kLineDone;
}

CommandResult dump(Target target, int width, const Access &access) {
    uint32_t start = 0;
    int32_t count = 1;
    if (const char *word = nextArgument()) {
        start = hexArg(word);
        if (const char *countWord = nextArgument()) count = signedHexArg(countWord);
    }
    DumpLayout layout = layoutFor(width);
    if (target == Target::Crtc) layout.perRow = 16;
    dumpItems(start, count, layout, access.item, nullptr);
    return kLineDone;
}

CommandResult fill(int width, const Access &access) {
    const char *words[3];
    for (const char *&word : words)
        if (!(word = nextArgument())) return kMissingArgument;
    const uint32_t start = hexArg(words[0]);
    const int32_t count = signedHexArg(words[1]);
    const uint64_t value = htoi(words[2]);
    for (int32_t i = 0; i < count; ++i)
        access.write(start + static_cast<uint32_t>(i) * static_cast<uint32_t>(width), value);
    return kLineDone;
}

}  // namespace

void resetMemoryCommands() { oldOffset = 0; }

CommandResult runMemoryCommand(Target target, MemoryOp op, int width) {
    const Access &access = *deviceAccess(target, width);
    switch (op) {
    case MemoryOp::Read: return singleRead(target, width, access);
    case MemoryOp::Write: return singleWrite(access);
    case MemoryOp::Dump: return dump(target, width, access);
    case MemoryOp::Fill: return fill(width, access);
    }
    return kLineDone;
}
