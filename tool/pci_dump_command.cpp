// pci dump: the configuration header in the layout of lspci -xxx.
#include "commands.h"
#include "documents.h"
#include "hex_text.h"
#include "json_output.h"
#include "output.h"
#include "report.h"

namespace {

constexpr uint32_t kPciRow = 16;

}  // namespace

int runPciDump(const Invocation &in) {
    client::RequestFailure failure;
    const Json document = client::pciDumpDocument(failure);
    if (in.json) {
        printJson(document);
    } else {
        const Json &header = document["header"];
        for (uint32_t row = 0; row < pciSpace().size; row += kPciRow) {
            char line[3 + 3 * kPciRow + 1];
            char *out = putByte(line, static_cast<uint8_t>(row));
            *out++ = ':';
            for (uint32_t offset = row; offset < row + kPciRow; ++offset) {
                const Json &byte = header[offset];
                *out++ = ' ';
                out = byte.is_null() ? putText(out, "XX") : putByte(out, byte.get<uint8_t>());
            }
            *out++ = '\n';
            outputWrite(line, static_cast<size_t>(out - line));
        }
    }
    if (failure.failed())
        return requestFailed("dump", failure.space, failure.address, failure.bytes, failure.error);
    return kExitOk;
}
