#include "options.h"

#include <string.h>

#include "invocation.h"

// One option a line reads better than one field a line.
// clang-format off
const OptionSpec kOptionSpecs[] = {
    {kOptWidth, 'w', nullptr, parseWidth, nullptr, nullptr},
    {kOptCount, 'c', nullptr, parseCount, nullptr, "  -c COUNT   how many items (default 1)"},
    {kOptMask, 'm', nullptr, parseMask, nullptr, "  -m MASK    change only the bits in MASK: reads the whole item, writes it all back"},
    {kOptReadBack, 'r', nullptr, nullptr, &Invocation::readBack, "  -r         read back, and fail if the value did not stick"},
    {kOptAllRows, 'v', nullptr, nullptr, &Invocation::allRows, "  -v         show every row (no * for repeated rows)"},
    {kOptOutput, 'o', nullptr, parseOutput, nullptr, "  -o FILE    write the raw bytes to FILE (- for standard output)"},
    {kOptQuiet, 'q', nullptr, nullptr, &Invocation::quiet, "  -q         no progress bar"},
    {kOptVerify, 0, "verify", nullptr, &Invocation::verify, "  --verify   read the bytes back and compare"},
    {kOptJson, 0, "json", nullptr, &Invocation::json, "  --json     the result as one JSON document"},
    {kOptIgnore, 0, "ignore", parseIgnore, nullptr, "  --ignore P leave out the names that match the shell glob P (repeatable)"},
    {kOptInterval, 'i', nullptr, parseInterval, nullptr, "  -i MS      poll every MS milliseconds (default 1000)"},
    {kOptChanges, 'n', nullptr, parseChanges, nullptr, "  -n COUNT   end after COUNT changes (default: at Ctrl-C)"},
    {kOptFormat, 0, "format", parseFormat, nullptr, "  --format F the capture buffer's pixels: uyvy (the decoder's, default), yuyv, rgb565"},
    {kOptHex, 0, "hex", nullptr, &Invocation::hex, "  --hex      FILE is a hex dump's text (tkvtool dump, hexdump -C, xxd): its rows' bytes"},
    {kOptDecoderChannel, 'i', nullptr, parseDecoderChannel, nullptr, "  -i CH      the decoder's I2C channel (default: the port's number)"},
    {kOptDecoderAddress, 'a', nullptr, parseDecoderAddress, nullptr, "  -a ADDR    the decoder's I2C address: 24 (default) or 25"},
    {kOptLayer, 0, "layer", parseLayer, nullptr, "  --layer N  the hardware layer that shows the port: 1 (default) or 3"},
    {kOptWindowX, 'x', nullptr, parseWindowX, nullptr, "  -x X, -y Y the window's position (default 0 0)"},
    {kOptWindowY, 'y', nullptr, parseWindowY, nullptr, ""},
    {kOptWindowWidth, 'w', nullptr, parseWindowWidth, nullptr, "  -w W, -h H the window's size (default: the camera image's)"},
    {kOptWindowHeight, 'h', nullptr, parseWindowHeight, nullptr, ""},
    {kOptCutLeft, 'l', nullptr, parseCutLeft, nullptr, "  -l CUT     pixels cut from the left of the camera image (default 0)"},
    {kOptCrtc, 't', nullptr, parseCrtc, nullptr, "  -t CRTC    the CRTC that shows the window: 0 (default) or 1"},
    {kOptDecode, 'D', "decode", nullptr, &Invocation::decode, "  -D, --decode  print the value's fields, one a line"},
    {kOptMap, 0, "map", parseMapFile, nullptr, "  --map FILE a register map to add to the shipped ones (repeatable)"},
    {kOptDevice, 'd', nullptr, parseDevice, nullptr, ""},
};
// clang-format on
const size_t kOptionSpecCount = sizeof kOptionSpecs / sizeof kOptionSpecs[0];

const OptionSpec *findOption(char letter, const char *longName, size_t nameLength, uint32_t allowed) {
    for (size_t i = 0; i < kOptionSpecCount; ++i) {
        const OptionSpec &o = kOptionSpecs[i];
        const bool named = longName ? o.longName && strncmp(o.longName, longName, nameLength) == 0 &&
                                          o.longName[nameLength] == '\0'
                                    : o.letter != 0 && o.letter == letter;
        if (named && (allowed & o.option)) return &o;
    }
    return nullptr;
}
