// The memory commands: single reads and writes, dumps and fills of register
// space, video memory and CRTC 0, all driven by one table.
#include <stdio.h>
#include <string.h>

#include "commands.h"
#include "device_access.h"
#include "hex_output.h"
#include "text_helpers.h"

namespace {

enum class Op { Read, Write, Dump, Fill };

struct MemoryCommand {
    const char *word;
    Target target;
    Op op;
    int width;
};

constexpr MemoryCommand kMemoryCommands[] = {
    {"RRB", Target::Reg, Op::Read, 1},   {"RRW", Target::Reg, Op::Read, 2},
    {"RRL", Target::Reg, Op::Read, 4},   {"RRQ", Target::Reg, Op::Read, 8},
    {"RWB", Target::Reg, Op::Write, 1},  {"RWW", Target::Reg, Op::Write, 2},
    {"RWL", Target::Reg, Op::Write, 4},  {"RWQ", Target::Reg, Op::Write, 8},
    {"RRBS", Target::Reg, Op::Dump, 1},  {"RRWS", Target::Reg, Op::Dump, 2},
    {"RRLS", Target::Reg, Op::Dump, 4},  {"RRQS", Target::Reg, Op::Dump, 8},
    {"CRB", Target::Crtc, Op::Read, 1},  {"CWB", Target::Crtc, Op::Write, 1},
    {"CRBS", Target::Crtc, Op::Dump, 1}, {"VRB", Target::Vram, Op::Read, 1},
    {"VRW", Target::Vram, Op::Read, 2},  {"VRL", Target::Vram, Op::Read, 4},
    {"VRQ", Target::Vram, Op::Read, 8},  {"VWB", Target::Vram, Op::Write, 1},
    {"VWW", Target::Vram, Op::Write, 2}, {"VWL", Target::Vram, Op::Write, 4},
    {"VWQ", Target::Vram, Op::Write, 8}, {"VRBS", Target::Vram, Op::Dump, 1},
    {"VRWS", Target::Vram, Op::Dump, 2}, {"VRLS", Target::Vram, Op::Dump, 4},
    {"VRQS", Target::Vram, Op::Dump, 8}, {"VWBS", Target::Vram, Op::Fill, 1},
    {"VWWS", Target::Vram, Op::Fill, 2}, {"VWLS", Target::Vram, Op::Fill, 4},
    {"VWQS", Target::Vram, Op::Fill, 8},
};

// The register address rrb or rrw read last; an empty line steps on from it.
uint32_t oldOffset;

// Every dump row covers 16 bytes of address space.
DumpLayout layoutFor(int width) { return DumpLayout{8, 16 / width, width}; }

uint32_t argAddress(const char *word) { return static_cast<uint32_t>(htoi(word)); }
int32_t argCount(const char *word) { return static_cast<int32_t>(static_cast<uint32_t>(htoi(word))); }

int singleRead(const MemoryCommand &c, const Access &access) {
    const bool steps = c.target == Target::Reg && c.width <= 2;  // rrb and rrw
    uint32_t address;
    if (steps && isRepeatLine()) {
        address = oldOffset + static_cast<uint32_t>(c.width);
    } else {
        const char *word = nextArgument();
        address = word ? argAddress(word) : 0;
    }
    if (c.target == Target::Crtc) {
        uint64_t value = 0;
        access.read(address, &value);
        printf("CRTC0 %02x: %02x\n", address, static_cast<unsigned>(value));
    } else {
        dumpItems(address, 1, layoutFor(c.width), access.item, nullptr);
    }
    if (steps) oldOffset = address;
    return kLineDone;
}

int singleWrite(const Access &access) {
    const char *address = nextArgument();
    if (!address) return kMissingArgument;
    const char *value = nextArgument();
    if (!value) return kMissingArgument;
    access.write(argAddress(address), htoi(value));
    return kLineDone;
}

int dump(const MemoryCommand &c, const Access &access) {
    uint32_t start = 0;
    int32_t count = 1;
    if (const char *word = nextArgument()) {
        start = argAddress(word);
        if (const char *countWord = nextArgument()) count = argCount(countWord);
    }
    DumpLayout layout = layoutFor(c.width);
    if (c.target == Target::Crtc) layout.perRow = 16;
    dumpItems(start, count, layout, access.item, nullptr);
    return kLineDone;
}

int fill(const MemoryCommand &c, const Access &access) {
    const char *words[3];
    for (const char *&word : words)
        if (!(word = nextArgument())) return kMissingArgument;
    const uint32_t start = argAddress(words[0]);
    const int32_t count = argCount(words[1]);
    const uint64_t value = htoi(words[2]);
    for (int32_t i = 0; i < count; ++i)
        access.write(start + static_cast<uint32_t>(i) * static_cast<uint32_t>(c.width), value);
    return kLineDone;
}

}  // namespace

void resetMemoryCommands() { oldOffset = 0; }

int findMemoryCommand(const char *word) {
    for (size_t i = 0; i < sizeof kMemoryCommands / sizeof kMemoryCommands[0]; ++i)
        if (strcmp(word, kMemoryCommands[i].word) == 0) return static_cast<int>(i);
    return -1;
}

int memoryCommand(int which) {
    const MemoryCommand &c = kMemoryCommands[which];
    const Access &access = *deviceAccess(c.target, c.width);
    switch (c.op) {
    case Op::Read: return singleRead(c, access);
    case Op::Write: return singleWrite(access);
    case Op::Dump: return dump(c, access);
    case Op::Fill: return fill(c, access);
    }
    return kLineDone;
}
