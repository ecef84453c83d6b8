// help, h and ?: the command summary, whole or by topic.
#include <stdio.h>
#include <string.h>

#include "commands.h"
#include "text_helpers.h"

namespace {

// The summary, in the order it is printed; each entry under its topic.
struct HelpEntry {
    const char *topic;
    const char *text;
};
constexpr HelpEntry kEntries[] = {
    {"REG", "rrb/rrw/rrl/rrq  adr\n\t- read a/two/four/eight byte(s) on register region (hex)"},
    {"REG", "rwb/rww/rwl/rwq  adr data\n\t- write a/two/four/eight byte(s) on register region (hex)"},
    {"REG",
     "rrbs/rrws/rrls/rrqs adr cnt\n\t- read a/two/four/eight byte(s) for cnt times with auto inc adr on register region (hex)"},
    {"REG", "crb adr\n\t- read a byte on crtc 0 register region (hex)"},
    {"REG", "cwb adr data\n\t- write a byte on crtc 0 register region (hex)"},
    {"REG", "crbs adr cnt\n\t- read a byte for cnt times with auto inc adr on crtc 0 register region (hex)"},
    {"VRAM", "vrb/vrw/vrl/vrq  adr\n\t- read a/two/four/eight byte(s) on register region (hex)"},
    {"VRAM", "vwb/vww/vwl/vwq  adr data\n\t- write a/two/four/eight byte(s) on register region (hex)"},
    {"VRAM",
     "vrbs/vrws/vrls/vrqs adr cnt\n\t- read a/two/four/eight byte(s) for cnt times with auto inc adr on register region (hex)"},
    {"VRAM",
     "vwbs/vwws/vwls/vwqs adr cnt val\n\t- write a/two/four/eight byte(s) for cnt times on auto inc adr on register region (hex)"},
    {"I2C", "i2c set channel devadr\n\t- set i2c bus to channel with slave device address (hex)"},
    {"I2C", "i2c rb subadr\n\t- read a byte from subadr for the device set by i2cset (hex)"},
    {"I2C", "i2c wb subadr val\n\t- write a byte to subadr for the device set by i2cset (hex)"},
    {"I2C",
     "i2c rbs subadr count\n\t- read count bytes from begin of subadr for the device set by i2cset (hex)"},
    {"ZV",
     "zv init id [i2c_channel] [i2c_sa] [layer]\n\t- init a zoom video\n\t    id: zoom video port, 0 or 1\n\t    i2c_channel: i2c controller channel, 0 or 1\n\t    i2c_sa: IICSA pin level for SAA7111A chip, 0 or 1\n\t    layer: hardware layer for zoom video, 0 for hard layer 1, while 1 for hard layer 3"},
    {"ZV",
     "zv start [id] [w] [h] [x] [y] [cut_left] [zoomw] [zoomh] [connector]\n\t- start zoom video capture\n\t    id: zoom video port, 0 or 1\n\t    w, h: zoom video window size\n\t    x, y: zoom video window position\n\t    zoomw, zoomh: zoom factor. 0: no zoom; 1: x2 zoom; 2: x4 zoom; 3: x8 zoom\n\t    crtc: 0: display in crtc 0; 1: display in crtc 1"},
    {"ZV", "zv stop [id]\n\t- stop a zoom video. If id is not assigned, the last initialized id is used"},
    {"ZV",
     "zv restart [id]\n\t- restart a zoom video. If id is not assigned, the last initialized id is used"},
    {"DDC", "ddc ch\n\t- hdmi ddc get edid\n\t    ch: ddc channel, 0, 1, 2 or 3\n"},
    {"PCI", "pci addr\n\t- read pci configure register"},
    {"PCI", "pci addr value\n\t- write pci configure register"},
    {"COMMON", "help/h/? \n\t- show all help information"},
    {"COMMON", "help/h/? reg/vram/i2c/common\n\t- show special help information"},
    {"COMMON", "quit/q\n\t- quit from command line"},
};

}  // namespace

CommandResult helpCommand() {
    char *topic = nextArgument();
    if (topic) uppercaseStr(topic);
    for (const HelpEntry &entry : kEntries)
        if (!topic || strcmp(topic, entry.topic) == 0) puts(entry.text);
    return kLineDone;
}
