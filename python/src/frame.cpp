// Frame grabs (ZoomVideoPort.capture()): the frame's bytes as captured, read
// without the GIL, and the PNG image of them.
#include <stdlib.h>
#include <string.h>

#include "errors.h"
#include "frame.h"
#include "output_file.h"
#include "parts.h"
#include "transfer.h"

namespace tkvpy {

namespace {

class Frame {
public:
    Frame(uint32_t w, uint32_t h, PixelFormat f, py::bytes raw)
        : width(w), height(h), format(f), data(std::move(raw)) {}

    // Encoded and written without the GIL (the bytes object is immutable), as
    // tkvtool writes its files (output_file.h).
    void savePng(const py::object &path) const {
        const std::string file = py::module_::import("os").attr("fsencode")(path).cast<std::string>();
        const auto *pixels = reinterpret_cast<const uint8_t *>(PyBytes_AS_STRING(data.ptr()));
        Rows rows{pixels, size_t{width} * 2};
        void *png = nullptr;
        size_t length = 0;
        int error = 0;
        {
            py::gil_scoped_release released;
            error = encodePng(width, height, format, nextRow, &rows, png, length);
        }
        if (error)
            raise(PyExc_ValueError, py::str("the frame cannot be encoded: {}").format(pngError(error)));
        bool symbolicLink = false;
        int writeError = 0;
        {
            py::gil_scoped_release released;
            writeError = writeWholeFile(file.c_str(), png, length, symbolicLink);
        }
        free(png);
        if (writeError) raiseFileError(writeError, file, symbolicLink ? kOutputIsSymbolicLink : nullptr);
    }

    uint32_t width, height;
    PixelFormat format;
    py::bytes data;

private:
    struct Rows {
        const uint8_t *pixels;
        size_t rowBytes;
    };

    static bool nextRow(void *context, uint32_t y, uint8_t *row) {
        const auto &rows = *static_cast<const Rows *>(context);
        memcpy(row, rows.pixels + y * rows.rowBytes, rows.rowBytes);
        return true;
    }
};

}  // namespace

py::object captureFrame(const ConnectionPtr &connection, unsigned port, const std::string &formatName) {
    PixelFormat format{};
    if (!pixelFormatNamed(formatName.c_str(), format))
        raise(PyExc_ValueError, py::str("format '{}' is not uyvy, yuyv or rgb565").format(formatName));
    FrameLocation frame{};
    FrameProblem problem;
    const FrameFault fault = callLibrary(
                                 *connection,
                                 [&] {
                                     return static_cast<int>(locateFrame(port, frame, problem));
                                 }).result == 0
                                 ? FrameFault::None
                                 : problem.fault;
    switch (fault) {
    case FrameFault::None: break;
    case FrameFault::RegisterFailed:
    case FrameFault::ParametersFailed:
        raiseDeviceError(problem.error, py::str("locating zoom video port {}'s frame").format(port));
    case FrameFault::NoSize:
        raiseError(py::str("zoom video port {} has no frame size: it does not capture and has no window")
                       .format(port));
    case FrameFault::OutsideVideoMemory:
        raiseError(py::str("zoom video port {}'s buffer at {:#010x} ({:#x} bytes) is not in video memory")
                       .format(port, problem.bufferAddress, problem.bytes));
    }
    auto raw =
        py::reinterpret_steal<py::bytes>(PyBytes_FromStringAndSize(nullptr, Py_ssize_t(frame.bytes())));
    if (!raw) throw py::error_already_set();
    auto *bytes = reinterpret_cast<uint8_t *>(PyBytes_AS_STRING(raw.ptr()));
    Failure failure;
    callClientWithoutGil(*connection, [&] {
        readBytes(*findSpace("vram"), frame.offset, static_cast<uint32_t>(frame.bytes()), 0, bytes, nullptr,
                  failure);
        return 0;
    });
    if (failure.error)
        raiseDeviceError(
            failure.error,
            py::str("reading {} bytes of video memory at {:#x}").format(failure.width, failure.address));
    return py::cast(Frame(frame.width, frame.height, format, std::move(raw)));
}

void bindFrame(py::module_ &module) {
    py::class_<Frame>(module, "Frame",
                      "A frame grab (ZoomVideoPort.capture()): width x height pixels of two bytes\n"
                      "each in `format` ('uyvy', 'yuyv' or 'rgb565'), as captured, in `data`.")
        .def_readonly("width", &Frame::width)
        .def_readonly("height", &Frame::height)
        .def_property_readonly("format", [](const Frame &f) { return pixelFormatName(f.format); })
        .def_readonly("data", &Frame::data)
        .def("save_png", &Frame::savePng, py::arg("path"),
             "Writes the frame as an RGB PNG image to `path`: a new file is private (0600),\n"
             "and a file replaced stays as it was until the image is whole.  Raises OSError\n"
             "with the path where it cannot be written, and for a symbolic link there,\n"
             "which is never followed.")
        .def("__repr__", [](const Frame &f) {
            return py::str("<tekvaro.Frame {}x{} {}>").format(f.width, f.height, pixelFormatName(f.format));
        });
}

}  // namespace tkvpy
