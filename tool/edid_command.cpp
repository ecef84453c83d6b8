// edid: a monitor's EDID as raw bytes for edid-decode and files, or as hex
// rows (which edid-decode also reads) on a terminal.
#include "commands.h"
#include "documents.h"
#include "edid.h"
#include "hex_text.h"
#include "json_output.h"
#include "output.h"
#include "report.h"

namespace {

constexpr uint32_t kEdidRow = 16;

void printRows(const uint8_t *data, size_t length) {
    for (size_t row = 0; row < length; row += kEdidRow) {
        char line[3 * kEdidRow];
        char *out = line;
        for (size_t i = row; i < row + kEdidRow && i < length; ++i) {
            out = putByte(out, data[i]);
            *out++ = ' ';
        }
        out[-1] = '\n';
        outputWrite(line, static_cast<size_t>(out - line));
    }
}

}  // namespace

int runEdid(const Invocation &in) {
    client::Edid edid;
    const client::Outcome read = client::readEdid(in.port, edid);
    if (!read.ok()) {
        complain("edid %u: %s", in.port, read.message.c_str());
        return read.failure == client::Failure::Usage ? kExitUsage : kExitFailed;
    }
    const int block = edid.valid ? -1 : edid.badBlock;
    if (in.json) {
        printJson(client::edidDocument(in.port, edid));
    } else if (in.output || !outputIsTerminal()) {
        outputWrite(edid.bytes.data(), edid.bytes.size());
    } else {
        printRows(edid.bytes.data(), edid.bytes.size());
    }
    if (edid.valid) return kExitOk;
    if (block >= 0)
        complain("edid %u: block %d has a bad checksum", in.port, block);
    else
        complain("edid %u: the driver found the EDID not valid", in.port);
    return kExitFailed;
}
