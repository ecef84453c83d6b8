#include "one_shot.h"

#include <stdio.h>
#include <string.h>
#include <unistd.h>

#include "core_version.h"
#include "device_access.h"
#include "hex_output.h"
#include "tekvaro.h"
#include "text_helpers.h"

namespace {

constexpr int kI2cBufferSize = 256;

void memoryMode(int argc, char **argv, Target target) {
    uint32_t offset = 0;
    int32_t operation = 0, width = 1, count = 1;
    uint64_t value = 0;
    for (int option; (option = getopt(argc, argv, "a:o:w:v:n:")) != -1;) {
        switch (option) {
        case 'a': offset = hexArg(optarg); break;
        case 'o': operation = decimalArg(optarg); break;
        case 'w': width = decimalArg(optarg); break;
        case 'v': value = htoi(optarg); break;
        case 'n': count = signedHexArg(optarg); break;
        default: break;  // getopt has said what is wrong
        }
    }
    if (operation != 0 && operation != 1) {
        puts(target == Target::Reg ? "Register operation type is error" : "Vram operation type is error");
        optHelp(argv[0]);
        return;
    }
    const Access *access = deviceAccess(target, width);
    if (!access) {
        puts("Register operation width is error");
        optHelp(argv[0]);
        return;
    }
    if (operation == 1) {
        if (width < 8) value &= (uint64_t{1} << (8 * width)) - 1;
        access->write(offset, value);
        if (width == 8)
            printf("[%08x]=%08x %08x\n", offset, static_cast<uint32_t>(value),
                   static_cast<uint32_t>(value >> 32));
        else
            printf("[%08x]=%0*x\n", offset, 2 * width, static_cast<uint32_t>(value));
        return;
    }
    dumpItems(offset, count, DumpLayout{8, 16 / width, width}, access->item, nullptr);
}

void i2cMode(int argc, char **argv) {
    int32_t channel = 0, device = 0, subadr = 0, operation = 0, value = 0, count = 1;
    for (int option; (option = getopt(argc, argv, "c:d:a:o:v:n:")) != -1;) {
        switch (option) {
        case 'c': channel = signedHexArg(optarg); break;
        case 'd': device = signedHexArg(optarg); break;
        case 'a': subadr = signedHexArg(optarg); break;
        case 'o': operation = signedHexArg(optarg); break;
        case 'v': value = signedHexArg(optarg); break;
        case 'n': count = signedHexArg(optarg); break;
        default: break;
        }
    }
    uint8_t buffer[kI2cBufferSize] = {static_cast<uint8_t>(value)};
    int result;
    if (operation == 0) {
        if (count > kI2cBufferSize) count = kI2cBufferSize;
        result = tkvI2cRead(channel, device, subadr, count, buffer);
        if (result == 0) dumpBytes(static_cast<uint32_t>(subadr), count, 4, buffer);
    } else if (operation == 1) {
        result = tkvI2cWrite(channel, device, subadr, 1, buffer);  // always exactly one byte
    } else {
        puts("I2c operation type is error");
        optHelp(argv[0]);
        return;
    }
    if (result != 0) printf("I2C error: %s\n", tkvI2cErrString(result));
}

void zoomVideoMode(int argc, char **argv) {
    int32_t port = 0, channel = 0, x = 0, y = 0, w = 0, h = 0, cutLeft = 0, crtc = 0, enable = 1;
    for (int option; (option = getopt(argc, argv, "c:i:x:y:w:h:l:t:e:")) != -1;) {
        int32_t *target = nullptr;
        switch (option) {
        case 'c': target = &port; break;
        case 'i': target = &channel; break;
        case 'x': target = &x; break;
        case 'y': target = &y; break;
        case 'w': target = &w; break;
        case 'h': target = &h; break;
        case 'l': target = &cutLeft; break;
        case 't': target = &crtc; break;
        case 'e': target = &enable; break;
        default: break;
        }
        if (target) *target = decimalArg(optarg);
    }
    if (enable == 0) {
        tkvZoomVideoStop(port);
        return;
    }
    // The decoder at its low-pin address, feeding hardware layer 1, no zoom.
    tkvZoomVideoInit(port, channel, 0, 0);
    tkvZoomVideoStart(port, x, y, w, h, cutLeft, 0, 0, crtc);
}

bool isOneOf(const char *word, const char *const (&words)[4]) {
    for (const char *w : words)
        if (strcmp(word, w) == 0) return true;
    return false;
}

}  // namespace

void parseArg(int argc, char **argv) {
    if (argc < 2) return;
    const char *mode = argv[1];
    static const char *const kVersionWords[4] = {"ver", "VER", "version", "VERSION"};
    if (strcmp(mode, "reg") == 0)
        memoryMode(argc, argv, Target::Reg);
    else if (strcmp(mode, "vram") == 0)
        memoryMode(argc, argv, Target::Vram);
    else if (strcmp(mode, "i2c") == 0)
        i2cMode(argc, argv);
    else if (strcmp(mode, "zv") == 0)
        zoomVideoMode(argc, argv);
    else if (isOneOf(mode, kVersionWords))
        printCoreVersion();  // nothing is printed on failure
    else
        optHelp(argv[0]);
}
