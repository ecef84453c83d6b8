// regs, show and regmap check: the register map itself, and the device
// read through it.
#include <fnmatch.h>
#include <stdio.h>

#include "commands.h"
#include "names.h"
#include "output.h"
#include "report.h"

namespace {

bool matches(const char *pattern, const std::string &name) {
    return fnmatch(pattern, name.c_str(), FNM_CASEFOLD) == 0;
}

int showRegister(const Invocation &in, const regmap::Name &n) {
    const regmap::Register &r = *n.reg;
    const Space &space = *findSpace(regmap::spaceName(n.block->space));
    outputPrint("  %-16s 0x%08x", r.name.c_str(), n.address());
    if (r.access == regmap::Access::WriteOnly) {
        outputPrint(" write-only\n");
        return kExitOk;
    }
    uint64_t value = 0;
    if (int error = space.read(n.address(), r.bytes(), value)) {
        outputPrint("\n");
        outputFlush();
        return requestFailed("read", space.name, n.address(), r.bytes(), error);
    }
    outputPrint(" = 0x%0*llx\n", static_cast<int>(2 * r.bytes()), static_cast<unsigned long long>(value));
    for (const regmap::Field &f : r.fields) {
        outputPrint("      %s = ", f.name.c_str());
        printFieldValue(f, f.extract(value));
        outputPrint("\n");
    }
    (void)in;
    return kExitOk;
}

}  // namespace

int runRegs(const Invocation &in) {
    const regmap::Map *map = deviceMap(in.mapFiles);
    if (!map) return kExitUsage;
    const char *pattern = in.words.empty() ? "*" : in.words[0];
    bool any = false;
    for (const regmap::Block &b : map->blocks)
        for (const regmap::Instance &i : b.instances)
            for (const regmap::Register &r : b.registers) {
                const std::string name = i.name + "." + r.name;
                if (!matches(pattern, name) && !matches(pattern, r.name)) continue;
                any = true;
                outputPrint("%-26s %-4s 0x%08x %2u %s %s\n", name.c_str(), regmap::spaceName(b.space),
                            i.base + r.offset, r.width, regmap::accessName(r.access), r.description.c_str());
            }
    if (any) return kExitOk;
    complain("no register matches '%s'", pattern);
    return kExitFailed;
}

int runShow(const Invocation &in) {
    const regmap::Map &map = *deviceMap(in.mapFiles);  // loaded while the arguments were checked
    for (const regmap::Block &b : map.blocks)
        for (const regmap::Instance &i : b.instances) {
            bool chosen = in.words.empty() && b.space != regmap::Space::I2c;
            for (const char *word : in.words)
                chosen = chosen || regmap::sameName(word, b.name) || regmap::sameName(word, i.name);
            if (!chosen) continue;
            outputPrint("%s: %s (%s 0x%08x)\n", i.name.c_str(), b.description.c_str(),
                        regmap::spaceName(b.space), i.base);
            for (const regmap::Register &r : b.registers)
                if (int status = showRegister(in, {&b, &i, &r, nullptr})) return status;
        }
    return kExitOk;
}

int runRegmapCheck(const Invocation &in) {
    std::vector<regmap::Block> blocks;
    std::vector<regmap::Fault> faults;
    for (const char *file : in.words) regmap::loadMapFile(file, blocks, faults);
    regmap::checkBlocks(blocks, faults);
    for (const regmap::Fault &f : faults)
        outputPrint("%s:%u: %s\n", f.file.c_str(), f.line, f.message.c_str());
    return faults.empty() ? kExitOk : kExitFailed;
}
