// One run of tkvtool as the command line describes it, checked and typed:
// what the command table and the argument parser produce and the commands use.
#ifndef TKVTOOL_INVOCATION_H
#define TKVTOOL_INVOCATION_H

#include <stdint.h>

#include <string>
#include <vector>

#include "frame.h"
#include "i2c_channel.h"
#include "regmap_names.h"
#include "spaces.h"
#include "zoom_video.h"

// The options a command may take.
enum Option : uint32_t {
    kOptWidth = 1 << 0,     // -w W
    kOptCount = 1 << 1,     // -c COUNT
    kOptMask = 1 << 2,      // -m MASK
    kOptReadBack = 1 << 3,  // -r
    kOptAllRows = 1 << 4,   // -v
    kOptOutput = 1 << 5,    // -o FILE
    kOptQuiet = 1 << 6,     // -q
    kOptVerify = 1 << 7,    // --verify
    kOptDevice = 1 << 8,    // -d ID: every command takes it, before or after its name
    // zv init
    kOptDecoderChannel = 1 << 9,   // -i CH
    kOptDecoderAddress = 1 << 10,  // -a 24|25
    kOptLayer = 1 << 11,           // --layer 1|3
    // zv start: the window, in decimal
    kOptWindowX = 1 << 12,       // -x X
    kOptWindowY = 1 << 13,       // -y Y
    kOptWindowWidth = 1 << 14,   // -w W
    kOptWindowHeight = 1 << 15,  // -h H
    kOptCutLeft = 1 << 16,       // -l PIXELS
    kOptCrtc = 1 << 17,          // -t CRTC
    kOptHex = 1 << 18,           // --hex: load reads a hex dump's text
    kOptFormat = 1 << 19,        // --format uyvy|yuyv|rgb565: capture's pixels
    kOptJson = 1 << 20,          // --json: the result as a JSON document
    kOptMap = 1 << 21,           // --map FILE: every command that takes names
    kOptDecode = 1 << 22,        // -D, --decode
    kOptIgnore = 1 << 23,        // --ignore PATTERN: diff leaves those names out
    kOptInterval = 1 << 24,      // -i MS: watch's poll interval
    kOptChanges = 1 << 25,       // -n COUNT: watch ends after so many changes
};

struct Invocation;

// What a command's positional words are.
enum class Operand : uint8_t {
    None,
    Space,
    Address,
    Value,
    Length,
    File,
    Channel,
    I2cAddress,
    Register,
    Bytes,
    DdcPort,
    ZvPort,
    Pattern,        // optional
    BlockNames,     // any number
    MapFiles,       // one or more
    SnapshotFiles,  // one or two
    WatchNames      // one or more
};

struct Command {
    const char *group;  // "i2c", "pci", "zv", or null for a command of one word
    const char *name;
    const char *synopsis;  // what follows the name
    const char *summary;
    Operand operands[5];  // in order; the first None ends them
    uint32_t options;
    bool pci;  // the space is PCI configuration space, not an operand
    int (*run)(const Invocation &);
    bool offline = false;  // runs without the device
    // Checks of its operands beyond their syntax, before the device is opened;
    // and what it does first, before anything is touched: exit statuses.
    int (*check)(Invocation &, const char *topic) = nullptr;
    int (*prepare)(Invocation &) = nullptr;
};

struct Invocation {
    const Command *command = nullptr;
    int deviceId = 0;
    const Space *space = nullptr;
    uint32_t address = 0;
    uint64_t value = 0;
    uint32_t length = 0;
    const char *file = nullptr;
    uint8_t channel = 0, device = 0, reg = 0, port = 0;
    uint8_t bytes[kI2cRegisters] = {};  // i2c set's values
    unsigned byteCount = 0;
    unsigned width = 0;  // 0: not given
    uint32_t count = 1;
    uint64_t mask = 0;
    bool maskGiven = false;  // -m
    // A register given by name; fields given are in `mask` and `value`.
    bool named = false;
    regmap::Name name;
    bool decode = false;
    std::vector<std::string> mapFiles;        // --map
    std::vector<const char *> words;          // regs' pattern, show's blocks, regmap check's and diff's files
    std::vector<std::string> ignore;          // diff --ignore
    std::vector<regmap::Name> watched;        // watch's names
    uint32_t intervalMs = 1000, changes = 0;  // watch -i, -n (0: no end)
    bool masked = false, readBack = false, verify = false, allRows = false, quiet = false, hex = false,
         json = false;
    const char *output = nullptr;  // -o; "-" is standard output
    // load's input, measured before the device is opened.
    int inputFd = -1;
    uint64_t inputLength = 0;
    uint8_t *inputBytes = nullptr;                // a pipe's bytes, read whole; null for a regular file
    PixelFormat pixelFormat = PixelFormat::Uyvy;  // the decoder's YUV 4:2:2
    // zv init and zv start.
    struct ZoomVideo {
        int decoderChannel = -1;  // -1: the default, the port's own number
        uint8_t decoderAddress = kDefaultDecoderAddress;
        uint8_t layer = kDefaultLayer;
        uint32_t x = 0, y = 0, width = 0, height = 0;  // 0 width or height: the camera's
        uint32_t cutLeft = 0, crtc = 0;
    } zv;
};

// The command table.
const Command *findCommand(const char *group, const char *name);
bool isCommandGroup(const char *word);
// "read" or "i2c get": what `tkvtool TOPIC --help` takes.
const char *commandTopic(const Command &command, char *text, unsigned size);
void printOverview();
void printCommandHelp(const Command &command);
void printGroupHelp(const char *group);

// Parses the command line: true when there is a command to run; otherwise
// `status` is the exit status (help and version: 0, a usage error: 2).
bool parseArguments(int argc, char **argv, Invocation &invocation, int &status);

#endif
