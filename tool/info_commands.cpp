// zv info and version: what the library reports about a capture port and
// about the driver.
#include <errno.h>
#include <string.h>

#include "commands.h"
#include "output.h"
#include "report.h"
#include "tekvaro.h"

int runZvInfo(const Invocation &in) {
    int x, y, w, h, cutLeft, zoomW, zoomH, crtc, cameraW, cameraH;
    // The library does not pass on the results of the register reads behind
    // these numbers; a failed request leaves its error number, a successful
    // one leaves errno alone.
    errno = 0;
    tkvZoomVideoGetParm(in.port, &x, &y, &w, &h, &cutLeft, &zoomW, &zoomH, &crtc, &cameraW, &cameraH);
    if (errno != 0) {
        complain("zv info %u: %s", in.port, strerror(errno));
        return kExitFailed;
    }
    outputPrint("x %d\ny %d\nwidth %d\nheight %d\ncut-left %d\n", x, y, w, h, cutLeft);
    outputPrint("zoom-width %d\nzoom-height %d\ncrtc %d\n", 1 << zoomW, 1 << zoomH, crtc);
    outputPrint("camera-width %d\ncamera-height %d\n", cameraW, cameraH);
    return kExitOk;
}

int runVersion(const Invocation &) {
    int ver[4] = {};
    int result = tkvTkvcoreVer(&ver[0], &ver[1], &ver[2], &ver[3]);
    if (result != 0) {
        complain("version: %s", strerror(errorOf(result)));
        return kExitFailed;
    }
    outputPrint("%d.%d.%d.%d\n", ver[0], ver[1], ver[2], ver[3]);
    return kExitOk;
}
