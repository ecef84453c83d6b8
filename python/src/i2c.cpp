// The I2C master channels: reads and writes of a device's registers, and a
// scan for the devices that answer.  Each first makes sure the channel's core
// is enabled: a disabled core would report every transaction as done.
#include <string.h>

#include <array>

#include "errors.h"
#include "i2c_channel.h"
#include "parts.h"

namespace tkvpy {

namespace {

// Registers 0 to 0xff; a transaction moves at most one run of them, and never wraps.
constexpr unsigned kRegisters = kI2cRegisters;

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
        transact(device, [&] { return client::i2cRead(channel, device, at, length, bytes.data()); });
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
        transact(device, [&] {
            return client::i2cWrite(channel, device, at, static_cast<unsigned>(length), copy.data());
        });
    }

    py::list detect() const {
        bool present[0x80];
        unsigned failedAt = 0;
        transact(failedAt, [&] { return client::detectDevices(channel, present, failedAt); });
        py::list found;
        for (unsigned device = kFirstI2cAddress; device <= kLastI2cAddress; ++device)
            if (present[device]) found.append(device);
        return found;
    }

    unsigned number() const { return channel; }

private:
    // Runs `transaction` (0 or the library's I2C result) without the GIL once
    // the channel's core is found enabled, and raises for what failed.
    template <typename Transaction>
    void transact(const unsigned &device, Transaction &&transaction) const {
        client::ChannelCheck check;
        int result = 0;
        callWithoutGil(*connection, [&] {
            check = client::checkChannel(channel);
            if (check.ok()) result = transaction();
            return 0;
        });
        if (check.disabled) raiseI2cDisabled(channel, check.control);
        if (!check.ok())
            raiseDeviceError(check.errnum,
                             py::str("reading the control register of I2C channel {}").format(channel));
        if (result != 0) raiseI2cError(result, channel, device);
    }

    static unsigned checkedAddress(const Integer &address) {
        const auto device = static_cast<unsigned>(
            checked(address, 0x7F, PyExc_ValueError, "I2C address {0:#04x} is not a 7-bit address"));
        if (device < kFirstI2cAddress || device > kLastI2cAddress)
            raise(PyExc_ValueError, py::str("I2C address {:#04x} is reserved (use {:#04x} to {:#04x})")
                                        .format(device, kFirstI2cAddress, kLastI2cAddress));
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
        checked(channel, kI2cChannels - 1, PyExc_ValueError, "I2C channel {0} does not exist (0 to {1})"));
    return py::cast(I2cChannel(connection, number));
}

}  // namespace tkvpy
