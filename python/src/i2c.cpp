// The I2C master channels: reads and writes of a device's registers, and a
// scan for the devices that answer.  Each first makes sure the channel's core
// is enabled: a disabled core would report every transaction as done.
#include <string.h>

#include <array>

#include "../../common/i2c_core.h"
#include "errors.h"
#include "parts.h"
#include "tekvaro.h"

namespace tkvpy {

namespace {

constexpr int kNoSlave = -2;  // the device did not acknowledge its address
// Device addresses: all 7-bit ones but the reserved, as i2cdetect and tkvtool take them.
constexpr unsigned kFirstAddress = 0x03, kLastAddress = 0x77;
// Registers 0 to 0xff; a transaction moves at most one run of them, and never wraps.
constexpr unsigned kRegisters = 256;

class I2cChannel {
public:
    I2cChannel(ConnectionPtr shared, unsigned number) : connection(std::move(shared)), channel(number) {}

    py::bytes read(const Integer &address, const Integer &subaddress, const Integer &n) const {
        const unsigned device = checkedAddress(address);
        const unsigned at = checkedRegister(subaddress);
        const auto length = static_cast<unsigned>(
            checked(n, kRegisters, PyExc_ValueError, "byte count {0} is out of range (1 to {1})", 1));
        checkRun(at, length);
        std::array<uint8_t, kRegisters> bytes{};
        uint8_t control = 0;
        const Outcome outcome = callWithoutGil(*connection, [&] {
            if (const int state = i2cCoreState(channel, &control)) return state;
            return tkvI2cRead(toInt(channel), toInt(device), toInt(at), toInt(length), bytes.data());
        });
        raiseI2cFailed(outcome.result, channel, device, control);
        return py::bytes(reinterpret_cast<const char *>(bytes.data()), length);
    }

    // `data` is bytes-like or a sequence of ints from 0 to 255.
    void write(const Integer &address, const Integer &subaddress, const py::object &data) const {
        const unsigned device = checkedAddress(address);
        const unsigned at = checkedRegister(subaddress);
        PyObject *converted = PyBytes_FromObject(data.ptr());
        if (!converted) throw py::error_already_set();
        const auto bytes = py::reinterpret_steal<py::bytes>(converted);
        const auto length = static_cast<size_t>(PyBytes_GET_SIZE(converted));
        if (length == 0 || length > kRegisters)
            raise(PyExc_ValueError, py::str("{} bytes to write, not 1 to {}").format(length, kRegisters));
        checkRun(at, static_cast<unsigned>(length));
        std::array<uint8_t, kRegisters> copy{};
        memcpy(copy.data(), PyBytes_AS_STRING(converted), length);
        uint8_t control = 0;
        const Outcome outcome = callWithoutGil(*connection, [&] {
            if (const int state = i2cCoreState(channel, &control)) return state;
            return tkvI2cWrite(toInt(channel), toInt(device), toInt(at), toInt(length), copy.data());
        });
        raiseI2cFailed(outcome.result, channel, device, control);
    }

    // Probes each address with a one-byte read of register 0.
    py::list detect() const {
        std::array<bool, 0x80> present{};  // one flag per 7-bit address
        unsigned failedAt = 0;
        uint8_t control = 0;
        const Outcome outcome = callWithoutGil(*connection, [&] {
            if (const int state = i2cCoreState(channel, &control)) return state;
            for (unsigned device = kFirstAddress; device <= kLastAddress; ++device) {
                uint8_t byte = 0;
                const int result = tkvI2cRead(toInt(channel), toInt(device), 0, 1, &byte);
                if (result != 0 && result != kNoSlave) {
                    failedAt = device;
                    return result;
                }
                present[device] = result == 0;
            }
            return 0;
        });
        raiseI2cFailed(outcome.result, channel, failedAt, control);
        py::list found;
        for (unsigned device = kFirstAddress; device <= kLastAddress; ++device)
            if (present[device]) found.append(device);
        return found;
    }

    unsigned number() const { return channel; }

private:
    static int toInt(size_t value) { return static_cast<int>(value); }

    static unsigned checkedAddress(const Integer &address) {
        const auto device = static_cast<unsigned>(
            checked(address, 0x7F, PyExc_ValueError, "I2C address {0:#04x} is not a 7-bit address"));
        if (device < kFirstAddress || device > kLastAddress)
            raise(PyExc_ValueError, py::str("I2C address {:#04x} is reserved (use {:#04x} to {:#04x})")
                                        .format(device, kFirstAddress, kLastAddress));
        return device;
    }

    static unsigned checkedRegister(const Integer &subaddress) {
        return static_cast<unsigned>(checked(subaddress, kRegisters - 1, PyExc_ValueError,
                                             "I2C register {0:#x} is out of range (0 to {1:#x})"));
    }

    // Registers past 0xff do not exist: the device would wrap to 0.
    static void checkRun(unsigned first, unsigned length) {
        if (first + length > kRegisters)
            raise(PyExc_ValueError, py::str("I2C registers {:#x} to {:#x} run past {:#x}")
                                        .format(first, first + length - 1, kRegisters - 1));
    }

    ConnectionPtr connection;
    unsigned channel;
};

}  // namespace

int i2cCoreState(unsigned channel, uint8_t *control) {
    if (tkvRegReadByte(i2c_core::kControl[channel], control) != 0) return -1;
    return (*control & i2c_core::kEnable) != 0 ? 0 : kI2cDisabled;
}

void raiseI2cFailed(int result, unsigned channel, unsigned device, uint8_t control) {
    if (result == kI2cDisabled) raiseI2cDisabled(channel, control);
    if (result != 0) raiseI2cError(result, channel, device);
}

void bindI2c(py::module_ &module) {
    py::class_<I2cChannel>(module, "I2cChannel",
                           "One of the two I2C master channels (Device.i2c(channel)).\n\n"
                           "Devices have 7-bit addresses from 0x03 to 0x77 and registers 0 to 0xff; a\n"
                           "transaction moves 1 to 256 bytes and does not run past register 0xff.  Each\n"
                           "first reads the channel's control register: a disabled core raises I2cDisabled.\n"
                           "A transaction that fails raises I2cError; other Python threads run meanwhile.")
        .def("read", &I2cChannel::read, py::arg("address"), py::arg("register"), py::arg("n") = 1,
             "Reads `n` (1 to 256) bytes from the device's registers from `register` on.")
        .def("write", &I2cChannel::write, py::arg("address"), py::arg("register"), py::arg("data"),
             "Writes `data` (1 to 256 bytes: bytes-like, or a sequence of ints 0 to 255) to the\n"
             "device's registers from `register` on.")
        .def("detect", &I2cChannel::detect,
             "The addresses from 0x03 to 0x77 whose device acknowledges, probed with\n"
             "a one-byte read of register 0.")
        .def_property_readonly("channel", &I2cChannel::number, "The channel number, 0 or 1.")
        .def("__repr__", [](const I2cChannel &channel) {
            return py::str("<tekvaro.I2cChannel {}>").format(channel.number());
        });
}

py::object i2cChannel(const ConnectionPtr &connection, const Integer &channel) {
    const auto number = static_cast<unsigned>(
        checked(channel, 1, PyExc_ValueError, "I2C channel {0} does not exist (0 to {1})"));
    return py::cast(I2cChannel(connection, number));
}

}  // namespace tkvpy
