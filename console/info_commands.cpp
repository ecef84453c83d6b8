// ddc, pci, version, info and quit.
#include <stdio.h>

#include "commands.h"
#include "core_version.h"
#include "hex_output.h"
#include "tekvaro.h"
#include "text_helpers.h"

namespace {

// The library's EDID data area holds this many bytes; a dump never reads past it.
constexpr int32_t kEdidAreaSize = 512;

void versionFailed(int result) { printf("get tkvcore version failed with err=%d\n", result); }

}  // namespace

CommandResult ddcCommand() {
    const char *word = nextArgument();
    if (!word) return kMissingArgument;
    const uint32_t port = hexArg(word);
    uint32_t count = 0, valid = 0;
    uint8_t *data = nullptr;
    int result = tkvDDCRead(port, &count, &data, &valid);
    if (result == -22) {
        printf("DDC %d is not exist\n", static_cast<int>(port));
    } else if (result != 0) {
        printf("DDC %d get edid failed with err=%d\n", static_cast<int>(port), result);
    } else {
        int32_t shown = static_cast<int32_t>(count);
        if (shown > kEdidAreaSize) shown = kEdidAreaSize;
        if (!data) shown = 0;
        dumpBytes(0, shown, 8, data);
        if (valid == 0) puts("EDID is invalid");
    }
    return kLineDone;
}

CommandResult pciCommand() {
    const char *address = nextArgument();
    if (!address) return kMissingArgument;
    if (const char *value = nextArgument()) {
        tkvPciWrite(hexArg(address), hexArg(value));
    } else {
        uint32_t read = 0;
        tkvPciRead(hexArg(address), &read);
        printf("%08x: %08x\n", hexArg(address), read);
    }
    return kLineDone;
}

CommandResult versionCommand() {
    if (const int result = printCoreVersion()) versionFailed(result);
    return kLineDone;
}

CommandResult infoCommand() {
    int ver[4] = {};
    if (const int result = tkvTkvcoreVer(&ver[0], &ver[1], &ver[2], &ver[3]))
        versionFailed(result);
    else
        printf("VN701/VN702: 1024MB total video memory, driver version %d.%d.%d.%d\n", ver[0], ver[1], ver[2],
               ver[3]);
    return kLineDone;
}

CommandResult quitCommand() { return kLineQuit; }
