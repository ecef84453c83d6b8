// read and write (and pci read / pci write): single items, printed bare.
#include "commands.h"
#include "json_output.h"
#include "names.h"
#include "output.h"
#include "report.h"

namespace {

unsigned widthOf(const Invocation &in) { return in.width ? in.width : in.space->defaultWidth; }

void printValue(uint64_t value, unsigned width) {
    outputPrint("0x%0*llx\n", static_cast<int>(2 * width), static_cast<unsigned long long>(value));
}

}  // namespace

int runRead(const Invocation &in) {
    const Space &space = *in.space;
    const unsigned width = widthOf(in);
    uint32_t address = in.address;
    Json values = Json::array();
    int status = kExitOk;
    for (uint32_t i = 0; i < in.count && !outputFailed(); ++i, address += width) {
        uint64_t value = 0;
        if (int error = space.read(address, width, value)) {
            status = requestFailed("read", space.name, address, width, error);
            break;
        }
        if (in.named && in.name.field) {
            const regmap::Field &field = *in.name.field;
            if (in.json)
                values.push_back({{"name", in.name.text()}, {"value", field.extract(value)}});
            else
                outputPrint("0x%0*llx\n", static_cast<int>((field.bits() + 3) / 4),
                            static_cast<unsigned long long>(field.extract(value)));
            continue;
        }
        if (in.json) {
            Json item = {{"address", address}, {"value", value}};
            if (in.named) item["name"] = in.name.text();
            if (in.named && in.decode)
                for (const regmap::Field &f : in.name.reg->fields) item["fields"][f.name] = f.extract(value);
            values.push_back(item);
            continue;
        }
        printValue(value, width);
        if (in.decode) printDecoded(*in.name.reg, value);
    }
    // A value whose request failed is never printed: the document holds those before it.
    if (in.json)
        printJson({{"space", space.name}, {"width", 8 * width}, {"values", values}});  // bits, as everywhere
    return status;
}

int runWrite(const Invocation &in) {
    const Space &space = *in.space;
    const unsigned width = widthOf(in);
    uint64_t value = in.value;
    if (in.masked) {
        uint64_t old = 0;
        if (int error = space.read(in.address, width, old))
            return requestFailed("read", space.name, in.address, width, error);
        value = (old & ~in.mask) | (value & in.mask);
    }
    if (int error = space.write(in.address, width, value))
        return requestFailed("write", space.name, in.address, width, error);
    if (!in.readBack) return kExitOk;
    uint64_t back = 0;
    if (int error = space.read(in.address, width, back))
        return requestFailed("read", space.name, in.address, width, error);
    if (back == value) return kExitOk;
    const int digits = static_cast<int>(2 * width);
    complain("write %s 0x%08x: wrote 0x%0*llx, read back 0x%0*llx", space.name, in.address, digits,
             static_cast<unsigned long long>(value), digits, static_cast<unsigned long long>(back));
    return kExitFailed;
}
