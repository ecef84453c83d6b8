// ddc, pci, version, info and quit.
#include <stdio.h>

#include "commands.h"
#include "hex_output.h"
#include "tekvaro.h"
#include "text_helpers.h"

namespace {

// The library's EDID data area holds this many bytes; a dump never reads past it.
constexpr int32_t kEdidAreaSize = 512;

uint32_t hexArg(const char *word) { return static_cast<uint32_t>(htoi(word)); }

// The version's four numbers, or the failure line; true on success.
bool readVersion(int (&ver)[4]) {
    int result = tkvTkvcoreVer(&ver[0], &ver[1], &ver[2], &ver[3]);
    if (result != 0) printf("get tkvcore version failed with err=%d\n", result);
    return result == 0;
}

}  // namespace

int ddcCommand(int) {
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

int pciCommand(int) {
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

int versionCommand(int) {
    int ver[4] = {};
    if (readVersion(ver)) printf("%d.%d.%d.%d\n", ver[0], ver[1], ver[2], ver[3]);
    return kLineDone;
}

int infoCommand(int) {
    int ver[4] = {};
    if (readVersion(ver))
        printf("VN701/VN702: 1024MB total video memory, driver version %d.%d.%d.%d\n", ver[0], ver[1], ver[2],
               ver[3]);
    return kLineDone;
}

int quitCommand(int) { return kLineQuit; }
