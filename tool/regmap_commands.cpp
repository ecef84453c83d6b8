// regs, show and regmap check: the register map itself, and the device
// read through it.
#include <fnmatch.h>
#include <stdio.h>

#include "commands.h"
#include "i2c_check.h"
#include "json_output.h"
#include "names.h"
#include "output.h"
#include "printable.h"
#include "report.h"

namespace {

bool matches(const char *pattern, const std::string &name) {
    return fnmatch(pattern, name.c_str(), FNM_CASEFOLD) == 0;
}

// A register and its decoded fields, as text or into `list` (--json); a
// write-only register has no `value`.
void showValue(const regmap::Register &r, uint32_t address, const uint64_t *value, Json *list,
               int addressDigits = 8) {
    if (list) {
        Json item = {{"name", r.name}, {"address", address}, {"value", value ? Json(*value) : Json()}};
        if (value)
            for (const regmap::Field &f : r.fields) item["fields"][f.name] = f.extract(*value);
        list->push_back(item);
        return;
    }
    outputPrint("  %-16s 0x%0*x", client::printable(r.name).c_str(), addressDigits, address);
    if (!value) {
        outputPrint(" write-only\n");
        return;
    }
    outputPrint(" = 0x%0*llx\n", static_cast<int>(2 * r.bytes()), static_cast<unsigned long long>(*value));
    for (const regmap::Field &f : r.fields) {
        outputPrint("      %s = ", client::printable(f.name).c_str());
        printFieldValue(f, f.extract(*value));
        outputPrint("\n");
    }
}

// One register of a block in a space of the device.
int showRegister(const regmap::Name &n, Json *list) {
    const regmap::Register &r = *n.reg;
    if (r.access == regmap::Access::WriteOnly) {
        showValue(r, n.address(), nullptr, list);
        return kExitOk;
    }
    const Space &space = *findSpace(regmap::spaceName(n.block->space));
    uint64_t value = 0;
    if (int error = space.read(n.address(), r.bytes(), value)) {
        outputFlush();
        return requestFailed("read", space.name, n.address(), r.bytes(), error);
    }
    showValue(r, n.address(), &value, list);
    return kExitOk;
}

// The heading of a block, or its object in the --json document.
Json *startBlock(const Invocation &in, Json &document, const std::string &name,
                 const std::string &description, const char *where) {
    if (!in.json) {
        outputPrint("%s: %s (%s)\n", client::printable(name).c_str(), client::printable(description).c_str(),
                    where);
        return nullptr;
    }
    document.push_back(
        {{"block", name}, {"description", description}, {"at", where}, {"registers", Json::array()}});
    return &document.back()["registers"];
}

}  // namespace

int runRegs(const Invocation &in) {
    const regmap::Map *map = deviceMap(in.mapFiles);
    if (!map) return kExitUsage;
    const char *pattern = in.words.empty() ? "*" : in.words[0];
    Json list = Json::array();
    bool any = false;
    for (const regmap::Block &b : map->blocks)
        for (const regmap::Instance &i : b.instances)
            for (const regmap::Register &r : b.registers) {
                const std::string name = i.name + "." + r.name;
                if (!matches(pattern, name) && !matches(pattern, r.name)) continue;
                any = true;
                if (in.json)
                    list.push_back({{"name", name},
                                    {"space", regmap::spaceName(b.space)},
                                    {"address", i.base + r.offset},
                                    {"width", r.width},
                                    {"access", regmap::accessName(r.access)},
                                    {"description", r.description}});
                else
                    outputPrint("%-26s %-4s 0x%08x %2u %s %s\n", client::printable(name).c_str(),
                                regmap::spaceName(b.space), i.base + r.offset, r.width,
                                regmap::accessName(r.access), client::printable(r.description).c_str());
            }
    if (in.json) printJson(list);
    if (any) return kExitOk;
    complain("no register matches '%s'", pattern);
    return kExitFailed;
}

int runShow(const Invocation &in) {
    const regmap::Map &map = *deviceMap(in.mapFiles);  // loaded while the arguments were checked
    Json document = Json::array();
    int status = kExitOk;
    for (const regmap::Block &b : map.blocks)
        for (const regmap::Instance &i : b.instances) {
            bool chosen = in.words.empty() && b.space != regmap::Space::I2c;
            for (const char *word : in.words)
                chosen = chosen || regmap::sameName(word, b.name) || regmap::sameName(word, i.name);
            if (!chosen || status) continue;
            char where[32];
            snprintf(where, sizeof where, "%s 0x%08x", regmap::spaceName(b.space), i.base);
            Json *list = startBlock(in, document, i.name, b.description, where);
            for (const regmap::Register &r : b.registers)
                if ((status = showRegister({&b, &i, &r, nullptr}, list))) break;
        }
    if (in.json) printJson(document);
    return status;
}

// i2c show: the registers of a device whose type a map knows, read in one
// transaction, shown as show shows a block.
int runI2cShow(const Invocation &in) {
    const regmap::Map &map = *deviceMap(in.mapFiles);
    const regmap::Block *type = nullptr;
    std::string known;
    for (const regmap::Block &b : map.blocks) {
        if (b.space != regmap::Space::I2c) continue;
        known += (known.empty() ? "" : "; ") + b.name + " at";
        for (uint8_t address : b.i2cAddresses) {
            char text[16];
            snprintf(text, sizeof text, "%s 0x%02x", address == b.i2cAddresses[0] ? "" : ",", address);
            known += text;
            if (address == in.device && !type) type = &b;
        }
    }
    if (!type)
        return usageError("i2c show", "the register maps know no device at 0x%02x (%s)", in.device,
                          known.empty() ? "no I2C device types" : known.c_str());
    if (int status = checkChannelEnabled(in.channel, "i2c show")) return status;
    const unsigned end = type->span();
    uint8_t bytes[kI2cRegisters] = {};
    if (int result = client::i2cRead(in.channel, in.device, 0, end, bytes)) {
        complain("i2c show %u 0x%02x: %s", in.channel, in.device, i2cReason(result));
        return kExitFailed;
    }
    char where[48];
    snprintf(where, sizeof where, "I2C channel %u address 0x%02x", in.channel, in.device);
    Json document = Json::array();
    Json *list = startBlock(in, document, type->name, type->description, where);
    for (const regmap::Register &r : type->registers) {
        uint64_t value = 0;
        for (unsigned k = 0; k < r.bytes(); ++k) value |= uint64_t{bytes[r.offset + k]} << (8 * k);
        showValue(r, r.offset, r.access == regmap::Access::WriteOnly ? nullptr : &value, list, 2);
    }
    if (in.json) printJson(document);
    return kExitOk;
}

// A note (a block that replaces an earlier file's) does not fail the check.
int runRegmapCheck(const Invocation &in) {
    std::vector<regmap::Fault> faults;
    const bool sound = regmap::checkFiles({in.words.begin(), in.words.end()}, faults);
    for (const regmap::Fault &f : faults) outputPrint("%s\n", regmap::faultText(f).c_str());
    return sound ? kExitOk : kExitFailed;
}

// show's blocks, all found before the device is opened.
int checkShownBlocks(Invocation &in, const char *topic) {
    const regmap::Map *map = deviceMap(in.mapFiles);
    if (!map) return kExitUsage;
    for (const char *word : in.words) {
        const regmap::Block *found = nullptr;
        std::vector<std::string> names;
        for (const regmap::Block &b : map->blocks) {
            names.push_back(b.name);
            for (const regmap::Instance &i : b.instances) {
                if (regmap::sameName(word, b.name) || regmap::sameName(word, i.name)) found = &b;
                if (i.name != b.name) names.push_back(i.name);
            }
        }
        if (found && found->space == regmap::Space::I2c)
            return usageError(topic, "%s is an I2C device's map: read it with tkvtool i2c get", word);
        if (found) continue;
        std::string close;
        for (const std::string &n : names)
            if (regmap::editDistance(word, n) <= 2) close += (close.empty() ? "" : " or ") + n;
        if (close.empty()) return usageError(topic, "unknown block '%s'", word);
        return usageError(topic, "unknown block '%s' (did you mean %s?)", word, close.c_str());
    }
    return kExitOk;
}
