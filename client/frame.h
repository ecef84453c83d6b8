// Frame grabs of the zoom video ports: where a port's frame lies in video
// memory, its pixels as RGB, and the frame as a PNG image.
#ifndef TKV_CLIENT_FRAME_H
#define TKV_CLIENT_FRAME_H

#include <stddef.h>
#include <stdint.h>

// The capture buffer's pixel formats, two bytes a pixel.
enum class PixelFormat : uint8_t { Uyvy, Yuyv, Rgb565 };

// "uyvy", "yuyv", "rgb565"; and back (false for any other name).
const char *pixelFormatName(PixelFormat format);
bool pixelFormatNamed(const char *name, PixelFormat &format);

struct FrameLocation {
    uint32_t offset;  // in video memory
    uint32_t width, height;
    size_t bytes() const { return size_t{width} * height * 2; }
};

enum class FrameFault { None, RegisterFailed, ParametersFailed, NoSize, OutsideVideoMemory };

// What kept a frame from being located.
struct FrameProblem {
    FrameFault fault = FrameFault::None;
    int error = 0;                          // RegisterFailed, ParametersFailed: the error number
    uint32_t reg = 0;                       // RegisterFailed: the register read
    uint64_t bufferAddress = 0, bytes = 0;  // OutsideVideoMemory
};

// Port `port`'s first capture buffer (its BUF0 register, in the controller's
// own address map) and the frame's size: the camera's while the port
// captures, else the window's that start programmed.
FrameFault locateFrame(unsigned port, FrameLocation &frame, FrameProblem &problem);

// `count` pixels in `format` to three bytes each.  In the YUV formats an odd
// count ends with half a pair, a U or Y without its V: that pixel is grey, its
// Y alone (as tkvtool(1) says).
void toRgb(const uint8_t *pixels, size_t count, PixelFormat format, uint8_t *rgb);

// Gives row `y`'s bytes as captured (width * 2) in `row`; false stops the
// encoding (the source keeps why).
using RowSource = bool (*)(void *context, uint32_t y, uint8_t *row);

// The PNG image of a frame, converted and encoded a row at a time.  0, with
// the image in `png` (malloc'd, `length` bytes); kPngStopped when the source
// stopped; or the encoder's error code, which pngError describes.
constexpr int kPngStopped = -1;
int encodePng(uint32_t width, uint32_t height, PixelFormat format, RowSource source, void *context,
              void *&png, size_t &length);
const char *pngError(int code);

// A port's frame grabbed whole as a PNG image, as tkvtool capture writes it
// and tkvweb serves it: located, read from video memory a row at a time and encoded.
struct FrameGrab {
    FrameLocation frame{};
    FrameProblem problem;  // problem.fault: the frame could not be located
    int readError = 0;     // a video memory read failed, at readAddress
    uint32_t readAddress = 0, readWidth = 0;
    int pngError = 0;     // the encoder failed (pngError() tells why)
    void *png = nullptr;  // malloc'd; the caller frees it
    size_t length = 0;
    bool ok() const { return problem.fault == FrameFault::None && !readError && !pngError; }
};
void grabFrame(unsigned port, PixelFormat format, FrameGrab &grab);

#endif
