// help, h and ?: the command summary, whole or by topic.
#include <stdio.h>
#include <string.h>

#include "commands.h"
#include "text_helpers.h"

namespace {

constexpr const char *kEntries[] = {
    "rrb/rrw/rrl/rrq  adr\n\t- read a/two/four/eight byte(s) on register region (hex)",
    "rwb/rww/rwl/rwq  adr data\n\t- write a/two/four/eight byte(s) on register region (hex)",
    "rrbs/rrws/rrls/rrqs adr cnt\n\t- read a/two/four/eight byte(s) for cnt times with auto inc adr on register region (hex)",
    "crb adr\n\t- read a byte on crtc 0 register region (hex)",
    "cwb adr data\n\t- write a byte on crtc 0 register region (hex)",
    "crbs adr cnt\n\t- read a byte for cnt times with auto inc adr on crtc 0 register region (hex)",
    "vrb/vrw/vrl/vrq  adr\n\t- read a/two/four/eight byte(s) on register region (hex)",
    "vwb/vww/vwl/vwq  adr data\n\t- write a/two/four/eight byte(s) on register region (hex)",
    "vrbs/vrws/vrls/vrqs adr cnt\n\t- read a/two/four/eight byte(s) for cnt times with auto inc adr on register region (hex)",
    "vwbs/vwws/vwls/vwqs adr cnt val\n\t- write a/two/four/eight byte(s) for cnt times on auto inc adr on register region (hex)",
    "i2c set channel devadr\n\t- set i2c bus to channel with slave device address (hex)",
    "i2c rb subadr\n\t- read a byte from subadr for the device set by i2cset (hex)",
    "i2c wb subadr val\n\t- write a byte to subadr for the device set by i2cset (hex)",
    "i2c rbs subadr count\n\t- read count bytes from begin of subadr for the device set by i2cset (hex)",
    "zv init id [i2c_channel] [i2c_sa] [layer]\n\t- init a zoom video\n\t    id: zoom video port, 0 or 1\n\t    i2c_channel: i2c controller channel, 0 or 1\n\t    i2c_sa: IICSA pin level for SAA7111A chip, 0 or 1\n\t    layer: hardware layer for zoom video, 0 for hard layer 1, while 1 for hard layer 3",
    "zv start [id] [w] [h] [x] [y] [cut_left] [zoomw] [zoomh] [connector]\n\t- start zoom video capture\n\t    id: zoom video port, 0 or 1\n\t    w, h: zoom video window size\n\t    x, y: zoom video window position\n\t    zoomw, zoomh: zoom factor. 0: no zoom; 1: x2 zoom; 2: x4 zoom; 3: x8 zoom\n\t    crtc: 0: display in crtc 0; 1: display in crtc 1",
    "zv stop [id]\n\t- stop a zoom video. If id is not assigned, the last initialized id is used",
    "zv restart [id]\n\t- restart a zoom video. If id is not assigned, the last initialized id is used",
    "ddc ch\n\t- hdmi ddc get edid\n\t    ch: ddc channel, 0, 1, 2 or 3\n",
    "pci addr\n\t- read pci configure register",
    "pci addr value\n\t- write pci configure register",
    "help/h/? \n\t- show all help information",
    "help/h/? reg/vram/i2c/common\n\t- show special help information",
    "quit/q\n\t- quit from command line",
};
constexpr int kEntryCount = sizeof kEntries / sizeof kEntries[0];
static_assert(kEntryCount == 24, "the help has 24 entries");

struct Topic {
    const char *word;
    int first, last;  // entry numbers, from 1
};
constexpr Topic kTopics[] = {
    {"REG", 1, 6},   {"VRAM", 7, 10}, {"I2C", 11, 14},    {"ZV", 15, 18},
    {"DDC", 19, 19}, {"PCI", 20, 21}, {"COMMON", 22, 24},
};

void printEntries(int first, int last) {
    for (int n = first; n <= last; ++n) puts(kEntries[n - 1]);
}

}  // namespace

int helpCommand(int) {
    char *topic = nextArgument();
    if (!topic) {
        printEntries(1, kEntryCount);
        return kLineDone;
    }
    uppercaseStr(topic);
    for (const Topic &t : kTopics)
        if (strcmp(topic, t.word) == 0) printEntries(t.first, t.last);
    return kLineDone;
}
