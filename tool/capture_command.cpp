// capture: the frame in a zoom video port's first capture buffer, as a PNG
// image.  The buffer's address comes from the port's ZV_PORT_BUF0 register,
// the frame's size from the camera (while the port captures) or else from
// the window that start programmed.
#include <errno.h>
#include <stdlib.h>
#include <string.h>

#include "../common/zoom_video_port.h"
#include "commands.h"
#include "output.h"
#include "report.h"
#include "tekvaro.h"
#include "transfer.h"

#ifdef TKV_PNG
#include <spng.h>
#endif

namespace {

// Video memory starts here in the controller's own address map, which the
// buffer registers use (in units of 4 bytes).
constexpr uint64_t kVideoMemoryBase = 0x10000000;

struct Frame {
    uint32_t offset;  // in video memory
    uint32_t width, height;
};

int captureFailed(unsigned port, const char *why) {
    complain("capture %u: %s", port, why);
    return kExitFailed;
}

// Where the frame lies and how large it is; the exit status.
int locateFrame(const Invocation &in, Frame &frame) {
    const Space &vram = *findSpace("vram");
    uint32_t buffer = 0;
    if (int result = tkvRegReadLong(zoom_video::kPorts[in.port].buffer0, &buffer))
        return requestFailed("capture: read", "reg", zoom_video::kPorts[in.port].buffer0, 4, errorOf(result));
    int x, y, w, h, cutLeft, zoomW, zoomH, crtc, cameraW, cameraH;
    errno = 0;
    tkvZoomVideoGetParm(in.port, &x, &y, &w, &h, &cutLeft, &zoomW, &zoomH, &crtc, &cameraW, &cameraH);
    if (errno != 0) return captureFailed(in.port, strerror(errno));
    frame.width = static_cast<uint32_t>(cameraW ? cameraW : w);
    frame.height = static_cast<uint32_t>(cameraH ? cameraH : h);
    if (frame.width == 0 || frame.height == 0)
        return captureFailed(in.port, "no frame size: the port does not capture and has no window");
    const uint64_t address = uint64_t{buffer} * 4, bytes = uint64_t{frame.width} * frame.height * 2;
    if (address < kVideoMemoryBase || address - kVideoMemoryBase + bytes > vram.size) {
        complain("capture %u: the buffer at 0x%08llx (0x%llx bytes) is not in video memory", in.port,
                 static_cast<unsigned long long>(address), static_cast<unsigned long long>(bytes));
        return kExitFailed;
    }
    frame.offset = static_cast<uint32_t>(address - kVideoMemoryBase);
    return kExitOk;
}

uint8_t clamp(int value) { return static_cast<uint8_t>(value < 0 ? 0 : value > 255 ? 255 : value); }

// ITU-R BT.601, the decoder's levels (Y 16 to 235), to 8-bit RGB, in fixed
// point: a pair of pixels shares its chroma terms.
struct Chroma {
    int red, green, blue;
};
Chroma chromaOf(int u, int v) {
    const int d = u - 128, e = v - 128;
    return {409 * e + 128, -100 * d - 208 * e + 128, 516 * d + 128};
}
void putRgb(int y, const Chroma &c, uint8_t *rgb) {
    const int luma = 298 * (y - 16);
    rgb[0] = clamp((luma + c.red) >> 8);
    rgb[1] = clamp((luma + c.green) >> 8);
    rgb[2] = clamp((luma + c.blue) >> 8);
}

// Two bytes a pixel in the capture format, to three.
void toRgb(const uint8_t *pixels, size_t count, PixelFormat format, uint8_t *rgb) {
    if (format == PixelFormat::Rgb565) {
        for (size_t i = 0; i < count; ++i, rgb += 3) {
            const unsigned p = pixels[2 * i] | pixels[2 * i + 1] << 8;
            const unsigned r = p >> 11, g = p >> 5 & 63, b = p & 31;
            rgb[0] = static_cast<uint8_t>(r << 3 | r >> 2);
            rgb[1] = static_cast<uint8_t>(g << 2 | g >> 4);
            rgb[2] = static_cast<uint8_t>(b << 3 | b >> 2);
        }
        return;
    }
    // A pair of pixels shares its U and V: U Y0 V Y1, or Y0 U Y1 V.
    const bool uyvy = format == PixelFormat::Uyvy;
    const int y0At = uyvy ? 1 : 0, uAt = uyvy ? 0 : 1, y1At = uyvy ? 3 : 2, vAt = uyvy ? 2 : 3;
    for (size_t i = 0; i + 1 < count; i += 2, pixels += 4, rgb += 6) {
        const Chroma chroma = chromaOf(pixels[uAt], pixels[vAt]);
        putRgb(pixels[y0At], chroma, rgb);
        putRgb(pixels[y1At], chroma, rgb + 3);
    }
    if (count % 2) putRgb(pixels[y0At], chromaOf(128, 128), rgb);  // half a pair: its grey
}

#ifdef TKV_PNG
// Reads, converts and encodes the frame a row at a time, into the output;
// the exit status.
int writePng(const Invocation &in, const Frame &frame) {
    spng_ctx *png = spng_ctx_new(SPNG_CTX_ENCODER);
    const size_t rowBytes = size_t{frame.width} * 2, rgbBytes = size_t{frame.width} * 3;
    auto *row = static_cast<uint8_t *>(malloc(rowBytes + rgbBytes));  // as captured, then as RGB
    int error = png && row ? 0 : SPNG_EMEM;
    spng_ihdr header{};
    header.width = frame.width;
    header.height = frame.height;
    header.bit_depth = 8;
    header.color_type = SPNG_COLOR_TYPE_TRUECOLOR;
    // A frame grab is looked at, not archived: fast compression, with the
    // one filter that turns flat areas into runs.
    if (!error) error = spng_set_option(png, SPNG_ENCODE_TO_BUFFER, 1);
    if (!error) error = spng_set_option(png, SPNG_IMG_COMPRESSION_LEVEL, 1);
    if (!error) error = spng_set_option(png, SPNG_FILTER_CHOICE, SPNG_FILTER_CHOICE_SUB);
    if (!error) error = spng_set_option(png, SPNG_IMG_COMPRESSION_STRATEGY, 3);  // Z_RLE
    if (!error) error = spng_set_ihdr(png, &header);
    if (!error)
        error =
            spng_encode_image(png, nullptr, 0, SPNG_FMT_PNG, SPNG_ENCODE_PROGRESSIVE | SPNG_ENCODE_FINALIZE);
    const Space &vram = *findSpace("vram");
    Failure failure;
    int status = kExitOk;
    for (uint32_t y = 0; !error && y < frame.height; ++y) {
        const auto at = static_cast<uint32_t>(frame.offset + y * rowBytes);
        if (readBytes(vram, at, static_cast<uint32_t>(rowBytes), 0, row, nullptr, failure) < rowBytes) {
            status = requestFailed("capture: read", "vram", failure.address, failure.width, failure.error);
            break;
        }
        toRgb(row, frame.width, in.pixelFormat, row + rowBytes);
        error = spng_encode_row(png, row + rowBytes, rgbBytes);
        if (error == SPNG_EOI && y + 1 == frame.height) error = 0;  // the last row ends the image
    }
    size_t length = 0;
    void *bytes = error || status ? nullptr : spng_get_png_buffer(png, &length, &error);
    spng_ctx_free(png);
    free(row);
    if (status) return status;
    if (!bytes) return captureFailed(in.port, spng_strerror(error));
    outputWrite(bytes, length);
    free(bytes);
    return kExitOk;
}
#else
int writePng(const Invocation &in, const Frame &) {
    return captureFailed(in.port, "tkvtool was built without PNG support (libspng)");
}
#endif

}  // namespace

int runCapture(const Invocation &in) {
    if (!in.output && outputIsTerminal())
        return usageError("capture", "a PNG image is not written to a terminal (use -o FILE)");
    Frame frame{};
    if (int status = locateFrame(in, frame)) return status;
    return writePng(in, frame);
}
