// pci dump: the configuration header in the layout of lspci -xxx.
#include "commands.h"
#include "hex_text.h"
#include "json_output.h"
#include "output.h"
#include "report.h"

namespace {

constexpr uint32_t kPciRow = 16;

}  // namespace

int runPciDump(const Invocation &in) {
    const Space &space = pciSpace();
    int firstError = 0;
    uint32_t failedAt = 0;
    Json header = Json::array();  // null where a byte could not be read
    for (uint32_t row = 0; row < pciSpace().size; row += kPciRow) {
        char line[3 + 3 * kPciRow + 1];
        char *out = putByte(line, static_cast<uint8_t>(row));
        *out++ = ':';
        for (uint32_t offset = row; offset < row + kPciRow; offset += 4) {
            uint64_t dword = 0;
            const int error = space.read(offset, 4, dword);
            if (error && !firstError) {
                firstError = error;
                failedAt = offset;
            }
            for (int i = 0; i < 4; ++i, dword >>= 8) {
                header.push_back(error ? Json() : Json(static_cast<uint8_t>(dword)));
                *out++ = ' ';
                out = error ? putText(out, "XX") : putByte(out, static_cast<uint8_t>(dword));
            }
        }
        *out++ = '\n';
        if (!in.json) outputWrite(line, static_cast<size_t>(out - line));
    }
    if (in.json) printJson({{"header", header}});
    if (firstError) return requestFailed("dump", space.name, failedAt, 4, firstError);
    return kExitOk;
}
