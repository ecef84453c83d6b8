// The zoom video capture ports: set one up, start it into a window of its
// hardware layer, stop and restart it, and read back what it does.
#include <pybind11/stl.h>

#include <optional>

#include "../../common/zoom_video_port.h"
#include "errors.h"
#include "parts.h"
#include "tekvaro.h"
#include "zoom_video_defaults.h"

namespace tkvpy {

namespace {

constexpr unsigned kLastPort = 1;
constexpr unsigned kDecoderPinLow = 0x24, kDecoderPinHigh = 0x25;  // the decoder's two addresses
constexpr uint64_t kLastField = 0xFFFF;             // window fields are 16-bit halves of a register
constexpr long long kZoomFactors[] = {1, 2, 4, 8};  // by the layer's zoom code

// ZoomVideoInfo and ZoomVideoWindow, named tuples made with the module.
PyObject *infoType, *windowType;

// Failures of a step made without the GIL, raised once it is back.
enum Step : int { kDone, kRegisterFailed, kNotSetUp, kNoCamera };

struct Window {
    int x, y, width, height, cutLeft, zoomX, zoomY, crtc;
};

// The layer's code of a zoom factor; `message` tells the argument's name.
int zoomCode(const Integer &factor, const char *message) {
    int overflow = 0;
    const long long value = PyLong_AsLongLongAndOverflow(factor.value.ptr(), &overflow);
    for (int code = 0; code < 4; ++code)
        if (overflow == 0 && kZoomFactors[code] == value) return code;
    raise(PyExc_ValueError, py::str(message).format(factor.value));
}

int field(const Integer &value, const char *message, uint64_t first = 0) {
    return static_cast<int>(checked(value, kLastField, PyExc_ValueError, message, first));
}

int field(const std::optional<Integer> &value, const char *message) {
    return value ? field(*value, message, 1) : 0;  // 0: the camera's
}

class ZoomVideoPort {
public:
    ZoomVideoPort(ConnectionPtr shared, unsigned number)
        : connection(std::move(shared)),
          port(number),
          registers(zoom_video::portOf(static_cast<int>(number))) {}

    // Programs the decoder, once it answers, and the port's buffers and layer.
    // Without a channel, the decoder is looked for on the port's own.
    void init(const std::optional<Integer> &i2cChannel, const Integer &decoder, const Integer &layer) const {
        const auto channel = i2cChannel
                                 ? static_cast<unsigned>(checked(*i2cChannel, 1, PyExc_ValueError,
                                                                 "I2C channel {0} does not exist (0 to {1})"))
                                 : defaultDecoderChannel(port);
        const uint64_t address = checked(decoder, kDecoderPinHigh, PyExc_ValueError,
                                         "decoder address {0:#x} is not 0x24 or 0x25", kDecoderPinLow);
        const uint64_t hardwareLayer = checked(layer, 3, PyExc_ValueError, "layer {0} is not 1 or 3", 1);
        if (hardwareLayer == 2) raise(PyExc_ValueError, py::str("layer 2 is not 1 or 3"));
        uint8_t control = 0;
        const Outcome outcome = callWithoutGil(*connection, [&] {
            if (const int state = i2cCoreState(channel, &control)) return state;
            uint8_t probe = 0;
            if (const int result = tkvI2cRead(toInt(channel), toInt(address), 0, 1, &probe)) return result;
            return tkvZoomVideoInit(toInt(port), toInt(channel), address == kDecoderPinHigh,
                                    hardwareLayer == 3);
        });
        raiseI2cFailed(outcome.result, channel, static_cast<unsigned>(address), control);
    }

    // Starts capture into the window; without a width or height the
    // camera's is taken, as the console's zv start does.
    void start(const Integer &x, const Integer &y, const std::optional<Integer> &width,
               const std::optional<Integer> &height, const Integer &cutLeft, const Integer &zoomX,
               const Integer &zoomY, const Integer &crtc) const {
        Window window{
            field(x, "x {0} is out of range (0 to {1})"),
            field(y, "y {0} is out of range (0 to {1})"),
            field(width, "width {0} is out of range (1 to {1})"),
            field(height, "height {0} is out of range (1 to {1})"),
            field(cutLeft, "cut_left {0} is out of range (0 to {1})"),
            zoomCode(zoomX, "zoom_x {} is not 1, 2, 4 or 8"),
            zoomCode(zoomY, "zoom_y {} is not 1, 2, 4 or 8"),
            static_cast<int>(checked(crtc, 1, PyExc_ValueError, "CRTC {0} does not exist (0 to {1})"))};
        const Outcome outcome = callWithoutGil(*connection, [&] { return startLocked(window); });
        raiseFailed(outcome, "starting");
    }

    void stop() const {
        callWithoutGil(*connection, [&] { return tkvZoomVideoStop(toInt(port)); });
    }

    void restart() const {
        callWithoutGil(*connection, [&] { return tkvZoomVideoRestart(toInt(port)); });
    }

    py::object info() const {
        uint32_t control = 0;
        int fields[10] = {};  // as tkvZoomVideoGetParm gives them
        const Outcome outcome = callLibrary(*connection, [&] {
            if (tkvRegReadLong(registers.control, &control) != 0) return static_cast<int>(kRegisterFailed);
            auto *f = fields;
            return tkvZoomVideoGetParm(toInt(port), &f[0], &f[1], &f[2], &f[3], &f[4], &f[5], &f[6], &f[7],
                                       &f[8], &f[9]);
        });
        raiseFailed(outcome, "reading");
        const int layer = layerOf(control);
        py::object window = py::none();
        if (layer)
            window = py::reinterpret_borrow<py::object>(windowType)(
                fields[0], fields[1], fields[2], fields[3], fields[4], kZoomFactors[fields[5] & 3],
                kZoomFactors[fields[6] & 3], fields[7]);
        return py::reinterpret_borrow<py::object>(infoType)((control & zoom_video::kCaptureEnable) != 0,
                                                            layer ? py::int_(layer) : py::object(py::none()),
                                                            fields[8], fields[9], window);
    }

    unsigned number() const { return port; }
    const ConnectionPtr &shared() const { return connection; }

private:
    static int toInt(uint64_t value) { return static_cast<int>(value); }

    // The hardware layer the port feeds, as the library picks it, or 0.
    static int layerOf(uint32_t control) {
        if (control & zoom_video::kFeedsLayer1) return 1;
        return (control & zoom_video::kFeedsLayer3) != 0 ? 3 : 0;
    }

    int startLocked(Window window) const {
        uint32_t control = 0;
        if (tkvRegReadLong(registers.control, &control) != 0) return kRegisterFailed;
        if (!layerOf(control)) return kNotSetUp;
        if (window.width == 0 || window.height == 0) {
            if (tkvRegWriteLong(registers.control, control | zoom_video::kCaptureEnable) != 0)
                return kRegisterFailed;
            zoom_video::waitForCaptureToSettle();
            uint32_t camera = 0;
            if (tkvRegReadLong(registers.size, &camera) != 0) return kRegisterFailed;
            if (window.width == 0) window.width = static_cast<int>(camera & 0xFFFF);
            if (window.height == 0) window.height = static_cast<int>(camera >> 16);
            if (window.width == 0 || window.height == 0) return kNoCamera;
        }
        return tkvZoomVideoStart(toInt(port), window.x, window.y, window.width, window.height, window.cutLeft,
                                 window.zoomX, window.zoomY, window.crtc);
    }

    void raiseFailed(const Outcome &outcome, const char *doing) const {
        switch (outcome.result) {
        case kDone: return;
        case kRegisterFailed:
            raiseDeviceError(outcome.error, py::str("{} zoom video port {}").format(doing, port));
        case kNotSetUp:
            raiseError(py::str("zoom video port {} is not set up: call init() first").format(port));
        default:
            raiseError(py::str("zoom video port {} sees no camera: give the width and height").format(port));
        }
    }

    ConnectionPtr connection;
    unsigned port;
    const zoom_video::PortRegisters &registers;
};

}  // namespace

// A named tuple type of the package, made from its field names.
PyObject *namedTuple(py::module_ &module, const char *name, const char *fields, const char *doc) {
    py::object type =
        py::module_::import("collections").attr("namedtuple")(name, fields, py::arg("module") = "tekvaro");
    type.attr("__doc__") = doc;
    module.attr(name) = type;
    return type.ptr();  // the module keeps it
}

void bindZoomVideo(py::module_ &module) {
    infoType = namedTuple(module, "ZoomVideoInfo", "capturing layer camera_width camera_height window",
                          "What a zoom video port does (ZoomVideoPort.info()): whether it captures, the\n"
                          "hardware layer it feeds (1, 3, or None before init), the size of the camera\n"
                          "image it receives (0 x 0 while it does not capture), and the window of its\n"
                          "layer (a ZoomVideoWindow, None when it feeds no layer).");
    windowType = namedTuple(module, "ZoomVideoWindow", "x y width height cut_left zoom_x zoom_y crtc",
                            "The window a zoom video port shows on its layer: position, size, pixels cut\n"
                            "from the left of the camera image (in steps of 2), zoom factors (1, 2, 4 or 8)\n"
                            "and the CRTC (0 or 1) that shows it.");
    py::class_<ZoomVideoPort>(module, "ZoomVideoPort",
                              "One of the two zoom video capture ports (Device.zv(port)), fed by a\n"
                              "video decoder on an I2C channel and shown through hardware layer 1 or 3.\n"
                              "Set it up with init(), then start(); stop() and restart() switch it off\n"
                              "and on again without losing the window; info() tells what it does.")
        .def("init", &ZoomVideoPort::init, py::kw_only(), py::arg("i2c_channel") = py::none(),
             py::arg("decoder") = kDefaultDecoderAddress, py::arg("layer") = kDefaultLayer,
             "Programs the video decoder at I2C address `decoder` (0x24 or 0x25) on\n"
             "`i2c_channel` (0 or 1; by default the port's number, as tkvtool's zv init)\n"
             "and makes the port feed hardware `layer` (1 or 3), not capturing.  Raises\n"
             "I2cError when the decoder does not answer.")
        .def("start", &ZoomVideoPort::start, py::kw_only(), py::arg("x") = 0, py::arg("y") = 0,
             py::arg("width") = py::none(), py::arg("height") = py::none(), py::arg("cut_left") = 0,
             py::arg("zoom_x") = 1, py::arg("zoom_y") = 1, py::arg("crtc") = 0,
             "Starts capture into a window at `x`, `y` of `width` x `height` pixels (each\n"
             "0 to 0xffff; the camera's size where not given), `cut_left` pixels cut from the\n"
             "left of the camera image, zoomed by `zoom_x` and `zoom_y` (1, 2, 4 or 8) and\n"
             "shown on `crtc` 0 or 1.  The port must have been set up with init().")
        .def("stop", &ZoomVideoPort::stop, "Stops capture and hides the window; it stays programmed.")
        .def("restart", &ZoomVideoPort::restart, "Starts capture again into the window start() programmed.")
        .def("info", &ZoomVideoPort::info, "What the port does now, as a ZoomVideoInfo.")
        .def(
            "capture",
            [](const ZoomVideoPort &port, const std::string &format) {
                return captureFrame(port.shared(), port.number(), format);
            },
            py::arg("format") = "uyvy",
            "The frame in the port's first capture buffer, as a Frame: the camera's size while\n"
            "it captures, else the window's.  `format` says how the buffer holds its pixels:\n"
            "'uyvy' (the decoder's YUV 4:2:2, the default), 'yuyv' or 'rgb565'.  In the YUV\n"
            "formats a row of odd width ends with half a pair: save_png shows that last\n"
            "pixel grey, from its Y alone, as tkvtool's capture does.")
        .def_property_readonly("port", &ZoomVideoPort::number, "The port number, 0 or 1.")
        .def("__repr__", [](const ZoomVideoPort &port) {
            return py::str("<tekvaro.ZoomVideoPort {}>").format(port.number());
        });
}

py::object zoomVideoPort(const ConnectionPtr &connection, const Integer &port) {
    const auto number = static_cast<unsigned>(
        checked(port, kLastPort, PyExc_ValueError, "zoom video port {0} does not exist (0 to {1})"));
    return py::cast(ZoomVideoPort(connection, number));
}

}  // namespace tkvpy
