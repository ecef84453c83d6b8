// The command line: global options, the command, then its operands and
// options in any order.  Every word is checked here, before the device is
// opened, so that a mistake costs nothing and says exactly what is wrong.
#include <stdio.h>
#include <string.h>
#include <unistd.h>

#include "commands.h"
#include "edid.h"
#include "field_write.h"
#include "i2c_channel.h"
#include "invocation.h"
#include "names.h"
#include "numbers.h"
#include "options.h"
#include "report.h"

#ifndef TKV_VERSION
#define TKV_VERSION "unknown"
#endif

namespace {

// How operands are named in messages, and the values a small one takes.
struct OperandText {
    const char *noun;
    const char *range;
};
constexpr OperandText kOperandText[] = {
    {"", ""},
    {"space", " (reg, vram, crtc or pci)"},
    {"address", ""},
    {"value", ""},
    {"length", ""},
    {"file", ""},
    {"channel", " (0 or 1)"},
    {"address", ""},
    {"register", ""},
    {"value", ""},
    {"port", " (0 to 3)"},
    {"port", " (0 or 1)"},
    {"pattern", ""},
    {"block", ""},
    {"file", ""},
    {"snapshot", ""},
    {"name", ""},
};
const OperandText &textOf(Operand operand) { return kOperandText[static_cast<int>(operand)]; }

// The operands that take every word that follows.
bool takesMany(Operand operand) {
    return operand == Operand::Bytes || operand == Operand::BlockNames || operand == Operand::MapFiles ||
           operand == Operand::SnapshotFiles || operand == Operand::WatchNames;
}

bool isHelp(const char *word) { return strcmp(word, "--help") == 0 || strcmp(word, "-h") == 0; }

// The options one word may be: the command's own and -d.
uint32_t allowedOptions(const Command &command) { return command.options | kOptDevice; }

// The parser's state: where the messages point the user, and the outcome.
struct Parser {
    Invocation &in;
    const char *topic;
    int status = kExitOk;
    bool fieldsGiven = false;

    bool fail(int usage) {
        status = usage;
        return false;
    }

    // A register name where a space, an address or an I2C register stands:
    // true when `word` named one.  An unknown word that is not close to any
    // name is left to the caller's own message.
    bool name(const char *word, const char *expected, bool &isName) {
        isName = false;
        if (!isalpha(static_cast<unsigned char>(word[0]))) return true;
        const regmap::Map *map = deviceMap(in.mapFiles);
        if (!map) return fail(kExitUsage);
        std::string hint;
        switch (regmap::findName(*map, word, in.name, hint)) {
        case regmap::Lookup::Found: break;
        case regmap::Lookup::Ambiguous:
            return fail(usageError(topic, "'%s' is ambiguous: %s", word, hint.c_str()));
        case regmap::Lookup::Unknown:
            if (!hint.empty())
                return fail(
                    usageError(topic, "unknown register '%s' (did you mean %s?)", word, hint.c_str()));
            if (strchr(word, '.')) return fail(usageError(topic, "unknown register '%s'", word));
            return true;
        }
        const regmap::Space space = in.name.block->space;
        const std::string text = in.name.text();
        const bool i2cExpected = expected && strcmp(expected, "i2c") == 0;
        if (space == regmap::Space::I2c && !i2cExpected)
            return fail(usageError(topic, "%s is a register of an I2C device (tkvtool i2c get CH ADDR %s)",
                                   text.c_str(), text.c_str()));
        if (expected && strcmp(regmap::spaceName(space), expected) != 0)
            return fail(usageError(topic, "%s is in %s space, not %s", text.c_str(), regmap::spaceName(space),
                                   expected));
        isName = in.named = true;
        if (space == regmap::Space::I2c) return true;
        in.space = findSpace(regmap::spaceName(space));
        in.address = in.name.address();
        return true;
    }

    // A field's value: the name the map gives it, or hexadecimal.
    bool fieldValue(const regmap::Field &field, const char *word, uint64_t &value) {
        if (client::valueOfName(field, word, value)) return true;
        if (!parseHex(word, UINT64_MAX, value)) return accepted(client::invalidValue(field, word));
        return accepted(client::checkFits(field, value));
    }

    // Sets a field in `value` and `mask`: the write changes only those bits.
    bool setField(const regmap::Field &field, uint64_t value) {
        client::FieldWrite write{in.value, in.mask};
        if (!accepted(client::addField(write, in.name, field, value))) return false;
        in.value = write.bits;
        in.mask = write.mask;
        fieldsGiven = true;
        return true;
    }

    // FIELD=VALUE after a register's name.
    bool assignment(const char *word) {
        const char *equals = strchr(word, '=');
        const std::string_view fieldName(word, static_cast<size_t>(equals - word));
        if (in.name.field)
            return fail(usageError(topic, "%s is a field: give its value alone", in.name.text().c_str()));
        const regmap::Field *field = nullptr;
        uint64_t v = 0;
        return accepted(client::findField(in.name, fieldName, field)) && fieldValue(*field, equals + 1, v) &&
               setField(*field, v);
    }

    // True for a layer outcome that succeeded; otherwise its usage error.
    bool accepted(const client::Outcome &outcome) {
        return outcome.ok() || fail(usageError(topic, "%s", outcome.message.c_str()));
    }

    bool hex(const char *word, uint64_t max, const char *noun, const char *range, uint64_t &value) {
        if (parseHex(word, max, value)) return true;
        return fail(usageError(topic, "invalid %s '%s'%s", noun, word, range));
    }

    bool deviceId(const char *word) {
        const int result = parseDevice(in, topic, word);
        return result == kExitOk || fail(result);
    }

    bool i2cAddress(const char *word) {
        uint64_t address;
        if (!hex(word, 0xFF, "address", "", address)) return false;
        if (address >= kFirstI2cAddress && address <= kLastI2cAddress) {
            in.device = static_cast<uint8_t>(address);
            return true;
        }
        const uint64_t half = address >> 1;
        if (address > 0x7F && half >= kFirstI2cAddress && half <= kLastI2cAddress)
            return fail(usageError(topic, "0x%02x is not a 7-bit address (did you mean 0x%02x?)",
                                   static_cast<unsigned>(address), static_cast<unsigned>(half)));
        if (address > 0x7F)
            return fail(usageError(topic, "0x%02x is not a 7-bit address", static_cast<unsigned>(address)));
        return fail(usageError(topic, "0x%02x is a reserved address (use 0x%02x to 0x%02x)",
                               static_cast<unsigned>(address), kFirstI2cAddress, kLastI2cAddress));
    }

    // An I2C device's register: a number, or a name of a device type's map.
    bool i2cRegister(const char *word, const OperandText &t) {
        uint64_t v = 0;
        bool isName = false;
        if (!parseHex(word, 0xFF, v) && !(name(word, "i2c", isName) && !isName)) {
            if (isName) in.reg = static_cast<uint8_t>(in.name.reg->offset);
            return isName;
        }
        if (!hex(word, 0xFF, t.noun, t.range, v)) return false;
        in.reg = static_cast<uint8_t>(v);
        return true;
    }

    bool operand(Operand kind, const char *word) {
        const OperandText &t = textOf(kind);
        uint64_t v = 0;
        switch (kind) {
        case Operand::Space: {
            in.space = findSpace(word);
            bool isName = false;
            if (in.space || (name(word, nullptr, isName) && isName)) return true;
            return status == kExitOk && fail(usageError(topic, "invalid %s '%s'%s", t.noun, word, t.range));
        }
        case Operand::Address: {
            bool isName = false;
            const char *expected = in.command->pci ? "pci" : in.space ? in.space->name : nullptr;
            if (!parseHex(word, UINT32_MAX, v) && !(name(word, expected, isName) && !isName)) return isName;
            if (!hex(word, UINT32_MAX, t.noun, t.range, v)) return false;
            in.address = static_cast<uint32_t>(v);
            return true;
        }
        case Operand::Value:
            if (in.named && strchr(word, '=')) return assignment(word);
            if (in.named && in.name.field)
                return fieldValue(*in.name.field, word, v) && setField(*in.name.field, v);
            return hex(word, UINT64_MAX, t.noun, t.range, in.value);
        case Operand::Length:
            if (!hex(word, UINT32_MAX, t.noun, t.range, v)) return false;
            in.length = static_cast<uint32_t>(v);
            return true;
        case Operand::File: in.file = word; return true;
        case Operand::Channel:
            if (!hex(word, kI2cChannels - 1, t.noun, t.range, v)) return false;
            in.channel = static_cast<uint8_t>(v);
            return true;
        case Operand::I2cAddress: return i2cAddress(word);
        case Operand::Register: return i2cRegister(word, t);
        case Operand::Pattern:
        case Operand::BlockNames:
        case Operand::MapFiles:
        case Operand::SnapshotFiles:
        case Operand::WatchNames: in.words.push_back(word); return true;
        case Operand::Bytes:
            if (in.byteCount == sizeof in.bytes) return fail(usageError(topic, "more than 256 values"));
            if (!hex(word, 0xFF, t.noun, t.range, v)) return false;
            in.bytes[in.byteCount++] = static_cast<uint8_t>(v);
            return true;
        case Operand::DdcPort:
        case Operand::ZvPort:
            if (!hex(word, kind == Operand::DdcPort ? client::kDdcPorts - 1 : kZoomVideoPorts - 1, t.noun,
                     t.range, v))
                return false;
            in.port = static_cast<uint8_t>(v);
            return true;
        case Operand::None: break;
        }
        return false;
    }

    bool optionValue(const OptionSpec &o, const char *value) {
        const int result = o.parse(in, topic, value);
        return result == kExitOk || fail(result);
    }

    bool given(const OptionSpec &o, const char *value) {
        if (o.parse) return optionValue(o, value);
        in.*o.flag = true;
        return true;
    }

    // One word that begins with '-': a long option, or letters, the last of
    // which may take the rest of the word or the next word as its value.
    bool options(int argc, char **argv, int &at) {
        const char *word = argv[at];
        const uint32_t allowed = allowedOptions(*in.command);
        if (word[1] == '-') {
            const char *longName = word + 2, *equals = strchr(longName, '=');
            const size_t length = equals ? static_cast<size_t>(equals - longName) : strlen(longName);
            const OptionSpec *o = findOption(0, longName, length, allowed);
            if (!o)
                return fail(usageError(topic, "unknown option '%.*s'", static_cast<int>(length + 2), word));
            if (!o->parse) {
                if (equals) return fail(usageError(topic, "option '--%s' takes no value", o->longName));
                return given(*o, nullptr);
            }
            if (equals) return optionValue(*o, equals + 1);
            if (at + 1 >= argc) return fail(usageError(topic, "option '--%s' needs a value", o->longName));
            return optionValue(*o, argv[++at]);
        }
        for (const char *letter = word + 1; *letter; ++letter) {
            const OptionSpec *o = findOption(*letter, nullptr, 0, allowed);
            if (!o) return fail(usageError(topic, "unknown option '-%c'", *letter));
            if (!o->parse) {
                given(*o, nullptr);
                continue;
            }
            if (letter[1]) return optionValue(*o, letter + 1);
            if (at + 1 >= argc) return fail(usageError(topic, "option '-%c' needs a value", *letter));
            return optionValue(*o, argv[++at]);
        }
        return true;
    }

    bool words(int argc, char **argv, int at) {
        const Operand *next = in.command->operands;
        bool optionsEnded = false;
        for (; at < argc; ++at) {
            const char *word = argv[at];
            if (!optionsEnded && word[0] == '-' && word[1]) {
                if (strcmp(word, "--") == 0) {
                    optionsEnded = true;
                    continue;
                }
                // zv start's -h is the window's height.
                const bool height = strcmp(word, "-h") == 0 && (in.command->options & kOptWindowHeight);
                if (isHelp(word) && !height) {
                    printCommandHelp(*in.command);
                    return fail(kExitOk);
                }
                if (!options(argc, argv, at)) return false;
                continue;
            }
            if (*next == Operand::None && fieldsGiven && strchr(word, '=')) {
                if (!assignment(word)) return false;
                continue;
            }
            if (*next == Operand::None) return fail(usageError(topic, "unexpected argument '%s'", word));
            if (!operand(*next, word)) return false;
            // A name stands for both the space and the address.
            if (*next == Operand::Space && in.named) ++next;
            if (!takesMany(*next)) ++next;
        }
        const bool enough = *next == Operand::None || *next == Operand::Pattern ||
                            *next == Operand::BlockNames || (*next == Operand::Bytes && in.byteCount > 0) ||
                            (takesMany(*next) && *next != Operand::Bytes && !in.words.empty());
        if (!enough) return fail(usageError(topic, "missing %s", textOf(*next).noun));
        return true;
    }

    // Until the command word: -d ID, --map FILE, --help, --version.
    bool globalOptions(int argc, char **argv, int &at) {
        for (; at < argc && argv[at][0] == '-'; ++at) {
            const char *word = argv[at];
            if (isHelp(word)) {
                printOverview();
                return fail(kExitOk);
            }
            if (strcmp(word, "--version") == 0) {
                printf("tkvtool %s\n", TKV_VERSION);
                return fail(kExitOk);
            }
            if (strncmp(word, "--map=", 6) == 0) {
                in.mapFiles.push_back(word + 6);
                continue;
            }
            if (strcmp(word, "--map") == 0) {
                if (at + 1 >= argc) return fail(usageError(nullptr, "option '--map' needs a value"));
                in.mapFiles.push_back(argv[++at]);
                continue;
            }
            if (strncmp(word, "-d", 2) != 0) return fail(usageError(nullptr, "unknown option '%s'", word));
            const char *value = word[2] ? word + 2 : at + 1 < argc ? argv[++at] : nullptr;
            if (!value) return fail(usageError(nullptr, "option '-d' needs a value"));
            if (!deviceId(value)) return false;
        }
        return true;
    }

    bool command(int argc, char **argv, int &at) {
        if (at >= argc) return fail(usageError(nullptr, "missing command"));
        const char *word = argv[at++];
        if (!isCommandGroup(word)) {
            in.command = findCommand(nullptr, word);
            return in.command || fail(usageError(nullptr, "unknown command '%s'", word));
        }
        if (at >= argc || isHelp(argv[at])) {
            if (at < argc) {
                printGroupHelp(word);
                return fail(kExitOk);
            }
            return fail(usageError(word, "missing %s command", word));
        }
        in.command = findCommand(word, argv[at]);
        if (!in.command) return fail(usageError(word, "unknown %s command '%s'", word, argv[at]));
        ++at;
        return true;
    }
};

bool takesOperand(const Command &command, Operand kind) {
    for (Operand o : command.operands)
        if (o == kind) return true;
    return false;
}

// The checks that involve more than one word: widths, alignment, ranges.
// Every request they let through lies inside its space.
bool checkMemory(Parser &p) {
    Invocation &in = p.in;
    const Space &space = *in.space;
    const char *topic = p.topic;
    const bool bulk = takesOperand(*in.command, Operand::Length) || takesOperand(*in.command, Operand::File);
    const bool writing =
        takesOperand(*in.command, Operand::Value) || takesOperand(*in.command, Operand::File);
    const unsigned width = in.width ? in.width : !bulk ? space.defaultWidth : writing ? space.writeUnit() : 1;
    // load's input is measured once it is open: here only its start is checked.
    const std::string problem = !bulk ? space.itemsProblem(in.address, width, in.count, writing)
                                : takesOperand(*in.command, Operand::File)
                                    ? space.itemsProblem(in.address, width, 0, writing)
                                    : space.runProblem(in.address, in.length, width, writing);
    if (!problem.empty()) return p.fail(usageError(topic, "%s", problem.c_str()));
    if (bulk) return true;
    if (in.value > widthMask(width))
        return p.fail(usageError(topic, "value 0x%llx does not fit in %u byte%s",
                                 static_cast<unsigned long long>(in.value), width, width == 1 ? "" : "s"));
    if (in.mask > widthMask(width))
        return p.fail(usageError(topic, "mask 0x%llx does not fit in %u byte%s",
                                 static_cast<unsigned long long>(in.mask), width, width == 1 ? "" : "s"));
    return true;
}

// An I2C device's registers run from 0 to 0xff: a run does not wrap.
bool checkRegisterRun(Parser &p) {
    const Invocation &in = p.in;
    const uint32_t count = takesOperand(*in.command, Operand::Bytes) ? in.byteCount : in.count;
    if (count > kI2cRegisters)
        return p.fail(usageError(p.topic, "count 0x%x is more than 0x%x", count, kI2cRegisters));
    if (in.reg + count <= kI2cRegisters) return true;
    return p.fail(usageError(p.topic, "0x%x registers from 0x%02x run past register 0x%x", count, in.reg,
                             kI2cRegisters - 1));
}

// A register given by name: what may be done with it, and its width.
bool checkNamed(Parser &p) {
    Invocation &in = p.in;
    const regmap::Register &reg = *in.name.reg;
    const std::string text = in.name.text();
    const bool writing = takesOperand(*in.command, Operand::Value);
    if (reg.access == regmap::Access::WriteOnly && !writing)
        return p.fail(usageError(p.topic, "%s is write-only", text.c_str()));
    if (writing && reg.access == regmap::Access::ReadOnly)
        return p.fail(usageError(p.topic, "%s is read-only", text.c_str()));
    if (p.fieldsGiven && in.maskGiven) return p.fail(usageError(p.topic, "-m does not go with fields"));
    if (reg.access == regmap::Access::WriteOnly && in.maskGiven)
        return p.fail(usageError(p.topic, "%s is write-only: -m would need a read", text.c_str()));
    if (p.fieldsGiven) in.value = client::storedValue(reg, {in.value, in.mask}, in.masked).bits;
    if (in.name.block->space == regmap::Space::I2c) return true;
    if (in.width && in.width != reg.bytes())
        return p.fail(usageError(p.topic, "%s is %u byte%s wide", text.c_str(), reg.bytes(),
                                 reg.bytes() == 1 ? "" : "s"));
    in.width = reg.bytes();
    return true;
}

bool checkInvocation(Parser &p) {
    Invocation &in = p.in;
    if (in.named && !checkNamed(p)) return false;
    if (in.decode && !in.named) return p.fail(usageError(p.topic, "-D decodes a register given by name"));
    if (in.command->check)
        if (int status = in.command->check(in, p.topic)) return p.fail(status);
    if (in.command->pci) in.space = &pciSpace();
    if (in.output && strcmp(in.output, "-") == 0 && isatty(STDOUT_FILENO))
        return p.fail(usageError(p.topic, "raw bytes are not written to a terminal"));
    if (takesOperand(*in.command, Operand::Register)) return checkRegisterRun(p);
    return !in.space || checkMemory(p);
}

}  // namespace

// --map FILE, wherever it stands: names before it are looked up in its map.
// Those before the command come first.
static bool gatherMaps(int argc, char **argv, int at, Parser &p) {
    Invocation &in = p.in;
    if (!(in.command->options & kOptMap))
        return in.mapFiles.empty() || p.fail(usageError(p.topic, "unknown option '--map'"));
    for (; at < argc && strcmp(argv[at], "--") != 0; ++at) {
        if (strncmp(argv[at], "--map=", 6) == 0) in.mapFiles.push_back(argv[at] + 6);
        if (strcmp(argv[at], "--map") == 0 && at + 1 < argc) in.mapFiles.push_back(argv[++at]);
    }
    return true;
}

bool parseArguments(int argc, char **argv, Invocation &invocation, int &status) {
    Parser p{invocation, nullptr};
    int at = 1;
    bool ok = p.globalOptions(argc, argv, at) && p.command(argc, argv, at);
    if (ok) {
        char topic[32];
        p.topic = commandTopic(*invocation.command, topic, sizeof topic);
        ok = gatherMaps(argc, argv, at, p) && p.words(argc, argv, at) && checkInvocation(p);
    }
    status = p.status;
    return ok;
}
