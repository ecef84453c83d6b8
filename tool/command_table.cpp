// The command table and the help texts made from it.
#include <stdio.h>
#include <string.h>

#include "commands.h"
#include "invocation.h"
#include "options.h"

namespace {

using O = Operand;

constexpr uint32_t kMemoryRead = kOptWidth | kOptCount | kOptMap | kOptDecode | kOptJson;
constexpr uint32_t kMemoryWrite = kOptWidth | kOptMask | kOptReadBack | kOptMap;
constexpr uint32_t kDecoder = kOptDecoderChannel | kOptDecoderAddress | kOptLayer;
constexpr uint32_t kWindow =
    kOptWindowX | kOptWindowY | kOptWindowWidth | kOptWindowHeight | kOptCutLeft | kOptCrtc;

// One command a line reads better than one field a line.
// clang-format off
const Command kCommands[] = {
    {nullptr, "read", "[SPACE] ADDR|NAME [-w 1|2|4|8] [-c COUNT] [-D] [--json]", "Print values, one per line",
     {O::Space, O::Address}, kMemoryRead, false, runRead},
    {nullptr, "write", "[SPACE] ADDR|NAME VALUE|FIELD=VALUE... [-w W] [-m MASK] [-r]", "Write a value or fields",
     {O::Space, O::Address, O::Value}, kMemoryWrite, false, runWrite},
    {nullptr, "dump", "SPACE START LENGTH [-w W] [-v] [-o FILE] [-q]", "Hex and ASCII rows, or raw bytes with -o",
     {O::Space, O::Address, O::Length}, kOptWidth | kOptAllRows | kOptOutput | kOptQuiet, false, runDump},
    {nullptr, "load", "SPACE START FILE [-w W] [--hex] [--verify] [-q]", "Write a file's bytes (- for standard input)",
     {O::Space, O::Address, O::File}, kOptWidth | kOptHex | kOptVerify | kOptQuiet, false, runLoad, false,
     nullptr, openLoadInput},
    {"i2c", "list", "[--json]", "The I2C channels: enabled or not, and their prescale",
     {}, kOptJson, false, runI2cList},
    {"i2c", "detect", "CH [--json]", "Scan an I2C channel for devices",
     {O::Channel}, kOptJson, false, runI2cDetect},
    {"i2c", "dump", "CH ADDR [--json]", "The 256 registers of an I2C device",
     {O::Channel, O::I2cAddress}, kOptJson, false, runI2cDump},
    {"i2c", "get", "CH ADDR REG|NAME [-c COUNT] [--json]", "Print registers of an I2C device",
     {O::Channel, O::I2cAddress, O::Register}, kOptCount | kOptMap | kOptJson, false, runI2cGet},
    {"i2c", "set", "CH ADDR REG VALUE... [-r]", "Write registers of an I2C device",
     {O::Channel, O::I2cAddress, O::Register, O::Bytes}, kOptReadBack, false, runI2cSet},
    {"i2c", "show", "CH ADDR [--json] [--map FILE]", "The registers of a device of a known type, decoded",
     {O::Channel, O::I2cAddress}, kOptJson | kOptMap, false, runI2cShow},
    {nullptr, "edid", "PORT [-o FILE] [--json]", "A monitor's EDID: raw bytes, hex rows on a terminal",
     {O::DdcPort}, kOptOutput | kOptJson, false, runEdid},
    {"pci", "dump", "[--json]", "The 256-byte configuration header",
     {}, kOptJson, true, runPciDump},
    {"pci", "read", "OFFSET|NAME [-w 1|2|4] [-c COUNT] [-D] [--json]", "Print configuration registers",
     {O::Address}, kMemoryRead, true, runRead},
    {"pci", "write", "OFFSET|NAME VALUE [-m MASK] [-r]", "Write a 32-bit configuration register",
     {O::Address, O::Value}, kMemoryWrite, true, runWrite},
    {"zv", "init", "PORT [-i CH] [-a 24|25] [--layer 1|3]", "Program the port's decoder and buffers, capture off",
     {O::ZvPort}, kDecoder, false, runZvInit},
    {"zv", "start", "PORT [-x X] [-y Y] [-w W] [-h H] [-l CUT] [-t CRTC]", "Capture into a window on a layer",
     {O::ZvPort}, kWindow, false, runZvStart},
    {"zv", "stop", "PORT", "Stop capture and hide the port's layer",
     {O::ZvPort}, 0, false, runZvStop},
    {"zv", "restart", "PORT", "Capture again into the window that start set",
     {O::ZvPort}, 0, false, runZvRestart},
    {"zv", "info", "PORT [--json]", "A zoom video port's state, window and camera",
     {O::ZvPort}, kOptJson, false, runZvInfo},
    {nullptr, "capture", "PORT [-o FILE] [--format uyvy|yuyv|rgb565]", "A zoom video port's frame as a PNG image",
     {O::ZvPort}, kOptOutput | kOptFormat, false, runCapture},
    {nullptr, "version", "[--json]", "The driver's version",
     {}, kOptJson, false, runVersion},
    {nullptr, "snapshot", "[-o FILE] [--map FILE]", "The board's whole state as one JSON document",
     {}, kOptOutput | kOptMap, false, runSnapshot},
    {nullptr, "diff", "A.json [B.json] [--json] [--ignore PATTERN]", "Differences between snapshots (B: the device now)",
     {O::SnapshotFiles}, kOptJson | kOptIgnore | kOptMap, false, runDiff, true, checkSnapshotFiles},
    {nullptr, "watch", "NAME... [-i MS] [-n COUNT]", "Print each change of registers or fields as it happens",
     {O::WatchNames}, kOptInterval | kOptChanges | kOptMap, false, runWatch, false, checkWatchedNames},
    {nullptr, "regs", "[PATTERN] [--json] [--map FILE]", "List the named registers (PATTERN: a shell glob)",
     {O::Pattern}, kOptJson | kOptMap, false, runRegs, true},
    {nullptr, "show", "[BLOCK...] [--json] [--map FILE]", "Every register of the blocks, with its fields",
     {O::BlockNames}, kOptJson | kOptMap, false, runShow, false, checkShownBlocks},
    {"regmap", "check", "FILE...", "Check register map files",
     {O::MapFiles}, 0, false, runRegmapCheck, true},
};
// clang-format on

// Whether a command takes hexadecimal or decimal numbers: the help says which.
constexpr uint32_t kHexOptions = kOptWidth | kOptCount | kOptMask | kOptDecoderChannel | kOptDecoderAddress;
constexpr uint32_t kDecimalOptions = kWindow;

const char *widthHelp(const Command &c) {
    if (!c.pci) return "  -w W       bytes per request: 1, 2, 4 or 8 (crtc: 1; pci: 1, 2 or 4, written 4)";
    if (c.operands[1] == O::Value)
        return "  -w 4       bytes per request: configuration space is written in whole words";
    return "  -w W       bytes per request: 1, 2 or 4";
}

bool takesHex(const Command &c) {
    for (Operand o : c.operands)
        if (o != O::None && o != O::Space && o != O::File && o != O::Pattern && o != O::BlockNames &&
            o != O::MapFiles)
            return true;
    return (c.options & kHexOptions) != 0;
}

void printUsageLine(const Command &c) {
    printf("  tkvtool %s%s%s%s%s\n", c.group ? c.group : "", c.group ? " " : "", c.name,
           *c.synopsis ? " " : "", c.synopsis);
}

}  // namespace

const Command *findCommand(const char *group, const char *name) {
    for (const Command &c : kCommands) {
        const bool sameGroup = group ? c.group && strcmp(c.group, group) == 0 : !c.group;
        if (sameGroup && strcmp(c.name, name) == 0) return &c;
    }
    return nullptr;
}

bool isCommandGroup(const char *word) {
    for (const Command &c : kCommands)
        if (c.group && strcmp(c.group, word) == 0) return true;
    return false;
}

const char *commandTopic(const Command &command, char *text, unsigned size) {
    snprintf(text, size, "%s%s%s", command.group ? command.group : "", command.group ? " " : "",
             command.name);
    return text;
}

void printOverview() {
    fputs(
        "Usage: tkvtool [-d ID] [--map FILE]... COMMAND ARGS...\n"
        "Reads and writes the display controller behind /dev/tkvrw.\n\n",
        stdout);
    for (const Command &c : kCommands) printUsageLine(c);
    fputs(
        "\nSPACE is reg, vram, crtc or pci.  Numbers are hexadecimal, with an optional 0x\n"
        "(the zoom video window's are decimal).  NAME is a register of the register\n"
        "map, BLOCK.REGISTER[.FIELD] in any case (see tkvtool regs).\n"
        "  -d ID      the device (default 0), before or after the command\n"
        "  --map FILE a register map besides the shipped and the user's, before the\n"
        "             command or after it where the command takes names\n"
        "  --help     this text; tkvtool COMMAND --help tells about one command\n"
        "  --version  tkvtool's version\n"
        "Exit status: 0 success, 1 the device, a request or the output failed, 2 a usage error.\n"
        "See tkvtool(1).\n",
        stdout);
}

void printCommandHelp(const Command &command) {
    fputs("Usage:\n", stdout);
    printUsageLine(command);
    printf("%s.\n", command.summary);
    for (size_t i = 0; i < kOptionSpecCount; ++i) {
        const OptionSpec &o = kOptionSpecs[i];
        if ((command.options & o.option) && !(o.help && !*o.help)) puts(o.help ? o.help : widthHelp(command));
    }
    if (command.options & kDecimalOptions)
        fputs("PORT is hexadecimal, the other numbers decimal.  ", stdout);
    else if (takesHex(command))
        fputs("Numbers are hexadecimal.  ", stdout);
    fputs("See tkvtool(1).\n", stdout);
}

void printGroupHelp(const char *group) {
    fputs("Usage:\n", stdout);
    for (const Command &c : kCommands)
        if (c.group && strcmp(c.group, group) == 0) printUsageLine(c);
    printf("tkvtool %s COMMAND --help tells more.\n", group);
}
