// read and write (and pci read / pci write): single items, printed bare.
#include "commands.h"
#include "documents.h"
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
    if (in.json) {
        client::RequestFailure failure;
        const Json document = client::readDocument(space, in.address, width, in.count,
                                                   in.named ? &in.name : nullptr, in.decode, failure);
        if (failure.failed()) complain("%s", client::requestFailureText("read", failure).c_str());
        printJson(document);
        return failure.failed() ? kExitFailed : kExitOk;
    }
    uint32_t address = in.address;
    for (uint32_t i = 0; i < in.count && !outputFailed(); ++i, address += width) {
        uint64_t value = 0;
        if (int error = space.read(address, width, value))
            return requestFailed("read", space.name, address, width, error);
        if (in.named && in.name.field) {
            const regmap::Field &field = *in.name.field;
            outputPrint("0x%0*llx\n", static_cast<int>((field.bits() + 3) / 4),
                        static_cast<unsigned long long>(field.extract(value)));
            continue;
        }
        printValue(value, width);
        if (in.decode) printDecoded(*in.name.reg, value);
    }
    return kExitOk;
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
