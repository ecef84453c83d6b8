// The zoom video capture ports: set one up, start it into a window of its
// hardware layer, stop and restart it, and read back what it does.
#include <pybind11/stl.h>

#include <optional>

#include "errors.h"
#include "i2c_channel.h"
#include "parts.h"
#include "zoom_video.h"

namespace tkvpy {

namespace {

constexpr unsigned kLastPort = kZoomVideoPorts - 1;
constexpr unsigned kDecoderPinLow = kDecoderAddressLow, kDecoderPinHigh = kDecoderAddressHigh;
constexpr uint64_t kLastField = 0xFFFF;             // window fields are 16-bit halves of a register
constexpr long long kZoomFactors[] = {1, 2, 4, 8};  // by the layer's zoom code

// ZoomVideoInfo and ZoomVideoWindow, named tuples made with the module.
PyObject *infoType, *windowType;

// A zoom factor: 1, 2, 4 or 8; `message` tells the argument's name.
unsigned zoomFactor(const Integer &factor, const char *message) {
    int overflow = 0;
    const long long value = PyLong_AsLongLongAndOverflow(factor.value.ptr(), &overflow);
    for (long long known : kZoomFactors)
        if (overflow == 0 && known == value) return static_cast<unsigned>(value);
    raise(PyExc_ValueError, py::str(message).format(factor.value));
}

unsigned field(const Integer &value, const char *message, uint64_t first = 0) {
    return static_cast<unsigned>(checked(value, kLastField, PyExc_ValueError, message, first));
}

unsigned field(const std::optional<Integer> &value, const char *message) {
    return value ? field(*value, message, 1) : 0;  // 0: the camera's
}

class ZoomVideoPort {
public:
    ZoomVideoPort(ConnectionPtr shared, unsigned number) : connection(std::move(shared)), port(number) {}

    // Programs the decoder, once it answers, and the port's buffers and layer.
    // Without a channel, the decoder is looked for on the port's own.
    void init(const std::optional<Integer> &i2cChannel, const Integer &decoder, const Integer &layer) const {
        client::ZoomVideoSetup setup;
        if (i2cChannel)
            setup.decoderChannel = static_cast<int>(checked(*i2cChannel, kI2cChannels - 1, PyExc_ValueError,
                                                            "I2C channel {0} does not exist (0 to {1})"));
        setup.decoderAddress =
            static_cast<unsigned>(checked(decoder, kDecoderPinHigh, PyExc_ValueError,
                                          "decoder address {0:#x} is not 0x24 or 0x25", kDecoderPinLow));
        setup.layer =
            static_cast<unsigned>(checked(layer, 3, PyExc_ValueError, "layer {0} is not 1 or 3", 1));
        client::ZoomVideoOutcome outcome;
        callWithoutGil(*connection, [&] {
            outcome = client::zoomVideoInit(port, setup);
            return 0;
        });
        switch (outcome.step) {
        case client::ZoomVideoStep::ChannelDisabled: raiseI2cDisabled(outcome.channel, outcome.control);
        case client::ZoomVideoStep::Decoder:
            raiseI2cError(outcome.i2cResult, outcome.channel, setup.decoderAddress);
        default: raiseFailed(outcome, "setting up");
        }
    }

    // Starts capture into the window; without a width or height the
    // camera's is taken, as the console's zv start does.
    void start(const Integer &x, const Integer &y, const std::optional<Integer> &width,
               const std::optional<Integer> &height, const Integer &cutLeft, const Integer &zoomX,
               const Integer &zoomY, const Integer &crtc) const {
        client::ZoomVideoWindow window;
        window.x = field(x, "x {0} is out of range (0 to {1})");
        window.y = field(y, "y {0} is out of range (0 to {1})");
        window.width = field(width, "width {0} is out of range (1 to {1})");
        window.height = field(height, "height {0} is out of range (1 to {1})");
        window.cutLeft = field(cutLeft, "cut_left {0} is out of range (0 to {1})");
        window.zoomWidth = zoomFactor(zoomX, "zoom_x {} is not 1, 2, 4 or 8");
        window.zoomHeight = zoomFactor(zoomY, "zoom_y {} is not 1, 2, 4 or 8");
        window.crtc =
            static_cast<unsigned>(checked(crtc, 1, PyExc_ValueError, "CRTC {0} does not exist (0 to {1})"));
        client::ZoomVideoOutcome outcome;
        callWithoutGil(*connection, [&] {
            outcome = client::zoomVideoStart(port, window);
            return 0;
        });
        raiseFailed(outcome, "starting");
    }

    void stop() const { raiseFailed(call(client::zoomVideoStop), "stopping"); }

    void restart() const { raiseFailed(call(client::zoomVideoRestart), "restarting"); }

    py::object info() const {
        ZoomVideoState s;
        client::ZoomVideoOutcome outcome;
        callLibrary(*connection, [&] {
            outcome = client::zoomVideoInfo(port, s);
            return 0;
        });
        raiseFailed(outcome, "reading");
        py::object window = py::none();
        if (s.layer)
            window = py::reinterpret_borrow<py::object>(windowType)(s.x, s.y, s.width, s.height, s.cutLeft,
                                                                    s.zoomWidth, s.zoomHeight, s.crtc);
        return py::reinterpret_borrow<py::object>(infoType)(
            s.capturing, s.layer ? py::int_(s.layer) : py::object(py::none()), s.cameraWidth, s.cameraHeight,
            window);
    }

    unsigned number() const { return port; }
    const ConnectionPtr &shared() const { return connection; }

private:
    client::ZoomVideoOutcome call(client::ZoomVideoOutcome (*operation)(unsigned)) const {
        client::ZoomVideoOutcome outcome;
        callWithoutGil(*connection, [&] {
            outcome = operation(port);
            return 0;
        });
        return outcome;
    }

    void raiseFailed(const client::ZoomVideoOutcome &outcome, const char *doing) const {
        switch (outcome.step) {
        case client::ZoomVideoStep::Done: return;
        case client::ZoomVideoStep::NotSetUp:
            raiseError(py::str("zoom video port {} is not set up: call init() first").format(port));
        case client::ZoomVideoStep::NoCamera:
            raiseError(py::str("zoom video port {} sees no camera: give the width and height").format(port));
        case client::ZoomVideoStep::Argument: raise(PyExc_ValueError, py::str(outcome.message));
        default:
            raiseDeviceError(outcome.errnum ? outcome.errnum : EIO,
                             py::str("{} zoom video port {}").format(doing, port));
        }
    }

    ConnectionPtr connection;
    unsigned port;
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
