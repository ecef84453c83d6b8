#include "names.h"

#include "output.h"
#include "printable.h"
#include "regmap_files.h"
#include "report.h"

namespace {

regmap::Map gMap;
bool gLoaded = false, gFailed = false;

}  // namespace

const regmap::Map *deviceMap(const std::vector<std::string> &mapFiles) {
    if (!gLoaded) {
        gLoaded = true;
        std::vector<regmap::Fault> faults;
        gFailed = !regmap::loadMaps(gMap, mapFiles, faults);
        for (const regmap::Fault &f : faults) complain("%s", regmap::faultText(f).c_str());
    }
    return gFailed ? nullptr : &gMap;
}

void printFieldValue(const regmap::Field &field, uint64_t value) {
    if (field.bits() <= 16)
        outputPrint("%llu", static_cast<unsigned long long>(value));
    else
        outputPrint("0x%0*llx", static_cast<int>((field.bits() + 3) / 4),
                    static_cast<unsigned long long>(value));
    if (const char *word = field.valueName(value)) outputPrint(" (%s)", client::printable(word).c_str());
}

void printDecoded(const regmap::Register &reg, uint64_t value) {
    for (const regmap::Field &f : reg.fields) {
        outputPrint("  %s = ", client::printable(f.name).c_str());
        printFieldValue(f, f.extract(value));
        outputPrint("\n");
    }
}
