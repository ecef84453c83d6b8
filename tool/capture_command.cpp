// capture: the frame in a zoom video port's first capture buffer, as a PNG
// image, read, converted and encoded a row at a time by the client layer.
#include <stdlib.h>
#include <string.h>

#include "commands.h"
#include "frame.h"
#include "output.h"
#include "report.h"
#include "transfer.h"

namespace {

int captureFailed(unsigned port, const char *why) {
    complain("capture %u: %s", port, why);
    return kExitFailed;
}

// Where the frame lies and how large it is; the exit status.
int locate(unsigned port, FrameLocation &frame) {
    FrameProblem problem;
    switch (locateFrame(port, frame, problem)) {
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

// The rows come from video memory as they are encoded.
struct VideoRows {
    const FrameLocation &frame;
    Failure failure;
};

bool readRow(void *context, uint32_t y, uint8_t *row) {
    auto &rows = *static_cast<VideoRows *>(context);
    const auto rowBytes = rows.frame.width * 2;
    return readBytes(*findSpace("vram"), rows.frame.offset + y * rowBytes, rowBytes, 0, row, nullptr,
                     rows.failure) == rowBytes;
}

}  // namespace

int runCapture(const Invocation &in) {
    if (!in.output && outputIsTerminal())
        return usageError("capture", "a PNG image is not written to a terminal (use -o FILE)");
    FrameLocation frame{};
    if (int status = locate(in.port, frame)) return status;
    VideoRows rows{frame, {}};
    void *png = nullptr;
    size_t length = 0;
    const int error = encodePng(frame.width, frame.height, in.pixelFormat, readRow, &rows, png, length);
    if (error == kPngStopped)
        return requestFailed("capture: read", "vram", rows.failure.address, rows.failure.width,
                             rows.failure.error);
    if (error) return captureFailed(in.port, pngError(error));
    outputWrite(png, length);
    free(png);
    return kExitOk;
}
