#include "options.h"

#include <string.h>

#include "invocation.h"

// One option a line reads better than one field a line.
// clang-format off
const OptionSpec kOptionSpecs[] = {
    {kOptWidth, 'w', nullptr, true, nullptr},
    {kOptCount, 'c', nullptr, true, "  -c COUNT   how many items (default 1)"},
    {kOptMask, 'm', nullptr, true, "  -m MASK    change only the bits in MASK: reads the whole item, writes it all back"},
    {kOptReadBack, 'r', nullptr, false, "  -r         read back, and fail if the value did not stick"},
    {kOptAllRows, 'v', nullptr, false, "  -v         show every row (no * for repeated rows)"},
    {kOptOutput, 'o', nullptr, true, "  -o FILE    write the raw bytes to FILE (- for standard output)"},
    {kOptQuiet, 'q', nullptr, false, "  -q         no progress bar"},
    {kOptVerify, 0, "verify", false, "  --verify   read the bytes back and compare"},
    {kOptJson, 0, "json", false, "  --json     the result as one JSON document"},
    {kOptIgnore, 0, "ignore", true, "  --ignore P leave out the names that match the shell glob P (repeatable)"},
    {kOptInterval, 'i', nullptr, true, "  -i MS      poll every MS milliseconds (default 1000)"},
    {kOptChanges, 'n', nullptr, true, "  -n COUNT   end after COUNT changes (default: at Ctrl-C)"},
    {kOptFormat, 0, "format", true, "  --format F the capture buffer's pixels: uyvy (the decoder's, default), yuyv, rgb565"},
    {kOptHex, 0, "hex", false, "  --hex      FILE is a hex dump's text (tkvtool dump, hexdump -C, xxd): its rows' bytes"},
    {kOptDecoderChannel, 'i', nullptr, true, "  -i CH      the decoder's I2C channel (default: the port's number)"},
    {kOptDecoderAddress, 'a', nullptr, true, "  -a ADDR    the decoder's I2C address: 24 (default) or 25"},
    {kOptLayer, 0, "layer", true, "  --layer N  the hardware layer that shows the port: 1 (default) or 3"},
    {kOptWindowX, 'x', nullptr, true, "  -x X, -y Y the window's position (default 0 0)"},
    {kOptWindowY, 'y', nullptr, true, ""},
    {kOptWindowWidth, 'w', nullptr, true, "  -w W, -h H the window's size (default: the camera image's)"},
    {kOptWindowHeight, 'h', nullptr, true, ""},
    {kOptCutLeft, 'l', nullptr, true, "  -l CUT     pixels cut from the left of the camera image (default 0)"},
    {kOptCrtc, 't', nullptr, true, "  -t CRTC    the CRTC that shows the window: 0 (default) or 1"},
    {kOptDecode, 'D', "decode", false, "  -D, --decode  print the value's fields, one a line"},
    {kOptMap, 0, "map", true, "  --map FILE a register map to add to the shipped ones (repeatable)"},
    {kOptDevice, 'd', nullptr, true, ""},
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
