#include "frame.h"

#include <errno.h>
#include <stdlib.h>
#include <string.h>

#include "../common/device_facts.h"
#include "../common/zoom_video_port.h"
#include "library_result.h"
#include "spaces.h"
#include "tekvaro.h"
#include "transfer.h"

#ifdef TKV_PNG
#include <spng.h>
#endif

namespace {

// Video memory starts here in the controller's own address map, which the
// buffer registers use (in units of 4 bytes).
constexpr uint64_t kVideoMemoryBase = device_facts::kVideoMemoryBase;

const struct {
    const char *name;
    PixelFormat format;
} kPixelFormats[] = {
    {"uyvy", PixelFormat::Uyvy}, {"yuyv", PixelFormat::Yuyv}, {"rgb565", PixelFormat::Rgb565}};

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

}  // namespace

void toRgb(const uint8_t *pixels, size_t count, PixelFormat format, uint8_t *rgb) {
    if (format == PixelFormat::Rgb565) {
        for (size_t i = 0; i < count; ++i, rgb += 3) {
            const unsigned p = pixels[2 * i] | static_cast<unsigned>(pixels[2 * i + 1]) << 8;
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

const char *pixelFormatName(PixelFormat format) {
    for (const auto &f : kPixelFormats)
        if (f.format == format) return f.name;
    return "?";
}

bool pixelFormatNamed(const char *name, PixelFormat &format) {
    for (const auto &f : kPixelFormats)
        if (strcmp(name, f.name) == 0) {
            format = f.format;
            return true;
        }
    return false;
}

FrameFault locateFrame(unsigned port, FrameLocation &frame, FrameProblem &problem) {
    const uint32_t bufferRegister = zoom_video::kPorts[port].buffer0;
    uint32_t buffer = 0;
    if (int result = tkvRegReadLong(bufferRegister, &buffer)) {
        problem = {FrameFault::RegisterFailed, errorOf(result), bufferRegister};
        return problem.fault;
    }
    int x, y, w, h, cutLeft, zoomW, zoomH, crtc, cameraW, cameraH;
    errno = 0;
    tkvZoomVideoGetParm(static_cast<int>(port), &x, &y, &w, &h, &cutLeft, &zoomW, &zoomH, &crtc, &cameraW,
                        &cameraH);
    if (errno != 0) {
        problem = {FrameFault::ParametersFailed, errno};
        return problem.fault;
    }
    frame.width = static_cast<uint32_t>(cameraW ? cameraW : w);
    frame.height = static_cast<uint32_t>(cameraH ? cameraH : h);
    if (frame.width == 0 || frame.height == 0) {
        problem = {FrameFault::NoSize};
        return problem.fault;
    }
    const uint64_t address = uint64_t{buffer} * 4, bytes = uint64_t{frame.width} * frame.height * 2;
    if (address < kVideoMemoryBase || address - kVideoMemoryBase + bytes > findSpace("vram")->size) {
        problem = {FrameFault::OutsideVideoMemory, 0, 0, address, bytes};
        return problem.fault;
    }
    frame.offset = static_cast<uint32_t>(address - kVideoMemoryBase);
    return FrameFault::None;
}

#ifdef TKV_PNG
int encodePng(uint32_t width, uint32_t height, PixelFormat format, RowSource source, void *context,
              void *&png, size_t &length) {
    png = nullptr;
    length = 0;
    spng_ctx *encoder = spng_ctx_new(SPNG_CTX_ENCODER);
    const size_t rowBytes = size_t{width} * 2, rgbBytes = size_t{width} * 3;
    auto *row = static_cast<uint8_t *>(malloc(rowBytes + rgbBytes));  // as captured, then as RGB
    int error = encoder && row ? 0 : SPNG_EMEM;
    spng_ihdr header{};
    header.width = width;
    header.height = height;
    header.bit_depth = 8;
    header.color_type = SPNG_COLOR_TYPE_TRUECOLOR;
    // A frame grab is looked at, not archived: fast compression, with the
    // one filter that turns flat areas into runs.
    if (!error) error = spng_set_option(encoder, SPNG_ENCODE_TO_BUFFER, 1);
    if (!error) error = spng_set_option(encoder, SPNG_IMG_COMPRESSION_LEVEL, 1);
    if (!error) error = spng_set_option(encoder, SPNG_FILTER_CHOICE, SPNG_FILTER_CHOICE_SUB);
    if (!error) error = spng_set_option(encoder, SPNG_IMG_COMPRESSION_STRATEGY, 3);  // Z_RLE
    if (!error) error = spng_set_ihdr(encoder, &header);
    if (!error)
        error = spng_encode_image(encoder, nullptr, 0, SPNG_FMT_PNG,
                                  SPNG_ENCODE_PROGRESSIVE | SPNG_ENCODE_FINALIZE);
    for (uint32_t y = 0; !error && y < height; ++y) {
        if (!source(context, y, row)) {
            error = kPngStopped;
            break;
        }
        toRgb(row, width, format, row + rowBytes);
        error = spng_encode_row(encoder, row + rowBytes, rgbBytes);
        if (error == SPNG_EOI && y + 1 == height) error = 0;  // the last row ends the image
    }
    if (!error) png = spng_get_png_buffer(encoder, &length, &error);
    spng_ctx_free(encoder);
    free(row);
    return error;
}

const char *pngError(int code) { return spng_strerror(code); }
#else
int encodePng(uint32_t, uint32_t, PixelFormat, RowSource, void *, void *&png, size_t &length) {
    png = nullptr;
    length = 0;
    return 1;
}

const char *pngError(int) { return "built without PNG support (libspng)"; }
#endif

namespace {

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

void grabFrame(unsigned port, PixelFormat format, FrameGrab &grab) {
    grab = FrameGrab{};
    if (locateFrame(port, grab.frame, grab.problem) != FrameFault::None) return;
    VideoRows rows{grab.frame, {}};
    const int error =
        encodePng(grab.frame.width, grab.frame.height, format, readRow, &rows, grab.png, grab.length);
    if (error == kPngStopped) {
        grab.readError = rows.failure.error;
        grab.readAddress = rows.failure.address;
        grab.readWidth = rows.failure.width;
    } else {
        grab.pngError = error;
    }
}
