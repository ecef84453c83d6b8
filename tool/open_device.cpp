// Opening the device for a command: one line that names the reason when it
// cannot be opened.
#include <string.h>

#include "commands.h"
#include "quiet_open.h"
#include "report.h"

bool openDevice(int id) {
    const int fd = quietOpen(id);
    if (fd >= 0) return true;
    complain("cannot open device %d (%s): %s", id, kDeviceNode, strerror(-fd));
    return false;
}
