// capture: the frame in a zoom video port's first capture buffer, as a PNG
// image, read, converted and encoded a row at a time by the client layer.
#include <stdlib.h>
#include <string.h>

#include "commands.h"
#include "frame.h"
#include "output.h"
#include "report.h"

namespace {

int captureFailed(unsigned port, const char *why) {
    complain("capture %u: %s", port, why);
    return kExitFailed;
}

// Why the frame could not be located; the exit status.
int located(unsigned port, const FrameProblem &problem) {
    switch (problem.fault) {
    case FrameFault::None: return kExitOk;
    case FrameFault::RegisterFailed:
        return requestFailed("capture: read", "reg", problem.reg, 4, problem.error);
    case FrameFault::ParametersFailed: return captureFailed(port, strerror(problem.error));
    case FrameFault::NoSize:
        return captureFailed(port, "no frame size: the port does not capture and has no window");
    case FrameFault::OutsideVideoMemory: break;
    }
    complain("capture %u: the buffer at 0x%08llx (0x%llx bytes) is not in video memory", port,
             static_cast<unsigned long long>(problem.bufferAddress),
             static_cast<unsigned long long>(problem.bytes));
    return kExitFailed;
}

}  // namespace

int runCapture(const Invocation &in) {
    if (!in.output && outputIsTerminal())
        return usageError("capture", "a PNG image is not written to a terminal (use -o FILE)");
    FrameGrab grab;
    grabFrame(in.port, in.pixelFormat, grab);
    if (int status = located(in.port, grab.problem)) return status;
    if (grab.readError)
        return requestFailed("capture: read", "vram", grab.readAddress, grab.readWidth, grab.readError);
    if (grab.pngError) return captureFailed(in.port, pngError(grab.pngError));
    outputWrite(grab.png, grab.length);
    free(grab.png);
    return kExitOk;
}
