// regs, show and regmap check: the register map itself, and the device
// read through it.
#include <fnmatch.h>
#include <stdio.h>

#include "commands.h"
#include "documents.h"
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

// A register and its decoded fields; a write-only register has no `value`.
void showValue(const regmap::Register &r, uint32_t address, const uint64_t *value, int addressDigits = 8) {
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
int showRegister(const regmap::Name &n) {
    const regmap::Register &r = *n.reg;
    if (r.access == regmap::Access::WriteOnly) {
        showValue(r, n.address(), nullptr);
        return kExitOk;
    }
    const Space &space = *findSpace(regmap::spaceName(n.block->space));
    uint64_t value = 0;
    if (int error = space.read(n.address(), r.bytes(), value)) {
        outputFlush();
        return requestFailed("read", space.name, n.address(), r.bytes(), error);
    }
    showValue(r, n.address(), &value);
    return kExitOk;
}

void printHeading(const std::string &name, const std::string &description, const char *where) {
    outputPrint("%s: %s (%s)\n", client::printable(name).c_str(), client::printable(description).c_str(),
                where);
}

std::vector<std::string> wordList(const Invocation &in) { return {in.words.begin(), in.words.end()}; }

}  // namespace

int runRegs(const Invocation &in) {
    const regmap::Map *map = deviceMap(in.mapFiles);
    if (!map) return kExitUsage;
    const char *pattern = in.words.empty() ? "*" : in.words[0];
    bool any = false;
    if (in.json) {
        const Json list = client::registerListDocument(*map, pattern);
        printJson(list);
        any = !list.empty();
    } else
        for (const regmap::Block &b : map->blocks)
            for (const regmap::Instance &i : b.instances)
                for (const regmap::Register &r : b.registers) {
                    const std::string name = i.name + "." + r.name;
                    if (!matches(pattern, name) && !matches(pattern, r.name)) continue;
                    any = true;
                    outputPrint("%-26s %-4s 0x%08x %2u %s %s\n", client::printable(name).c_str(),
                                regmap::spaceName(b.space), i.base + r.offset, r.width,
                                regmap::accessName(r.access), client::printable(r.description).c_str());
                }
    if (any) return kExitOk;
    complain("no register matches '%s'", pattern);
    return kExitFailed;
}

int runShow(const Invocation &in) {
    const regmap::Map &map = *deviceMap(in.mapFiles);  // loaded while the arguments were checked
    if (in.json) {
        client::RequestFailure failure;
        const Json document = client::showDocument(map, wordList(in), failure);
        if (failure.failed()) complain("%s", client::requestFailureText("read", failure).c_str());
        printJson(document);
        return failure.failed() ? kExitFailed : kExitOk;
    }
    const std::vector<std::string> words = wordList(in);
    int status = kExitOk;
    for (const regmap::Block &b : map.blocks)
        for (const regmap::Instance &i : b.instances) {
            if (!client::blockChosen(b, i, words) || status) continue;
            char where[32];
            snprintf(where, sizeof where, "%s 0x%08x", regmap::spaceName(b.space), i.base);
            printHeading(i.name, b.description, where);
            for (const regmap::Register &r : b.registers)
                if ((status = showRegister({&b, &i, &r, nullptr}))) break;
        }
    return status;
}

// i2c show: the registers of a device whose type a map knows, read in one
// transaction, shown as show shows a block.
int runI2cShow(const Invocation &in) {
    const regmap::Map &map = *deviceMap(in.mapFiles);
    std::string known;
    const regmap::Block *type = client::i2cDeviceType(map, in.device, known);
    if (!type)
        return usageError("i2c show", "the register maps know no device at 0x%02x (%s)", in.device,
                          known.empty() ? "no I2C device types" : known.c_str());
    if (int status = checkChannelEnabled(in.channel, "i2c show")) return status;
    int result = 0;
    const Json document = client::i2cShowDocument(*type, in.channel, in.device, result);
    if (result) {
        complain("i2c show %u 0x%02x: %s", in.channel, in.device, i2cReason(result));
        return kExitFailed;
    }
    if (in.json) {
        printJson(document);
        return kExitOk;
    }
    const Json &shown = document[0];
    printHeading(type->name, type->description, shown["at"].get_ref<const std::string &>().c_str());
    size_t k = 0;
    for (const regmap::Register &r : type->registers) {
        const Json &value = shown["registers"][k++]["value"];
        const uint64_t bits = value.is_null() ? 0 : value.get<uint64_t>();
        showValue(r, r.offset, value.is_null() ? nullptr : &bits, 2);
    }
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
        std::vector<std::string> names;
        const regmap::Block *found = client::findBlock(*map, word, &names);
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
