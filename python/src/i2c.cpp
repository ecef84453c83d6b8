// The I2C master channels: reads and writes of a device's registers, and a
// scan for the devices that answer.
#include <limits.h>

#include <array>

#include "errors.h"
#include "parts.h"
#include "tekvaro.h"

namespace tkvpy {

namespace {

constexpr int kNoSlave = -2;  // the device did not acknowledge its address
// The addresses a scan probes: all but the reserved ones, as i2cdetect does.
constexpr unsigned kFirstScanned = 0x03, kLastScanned = 0x77;

class I2cChannel {
public:
    I2cChannel(ConnectionPtr shared, int number) : connection(std::move(shared)), channel(number) {}

    py::bytes read(const Integer &address, const Integer &subaddress, const Integer &n) const {
        const unsigned device = checkedAddress(address);
        const int at = checkedRegister(subaddress);
        const auto length = static_cast<int>(
            checked(n, INT_MAX, PyExc_ValueError, "byte count {0} is out of range (1 to {1})", 1));
        std::string bytes(static_cast<size_t>(length), '\0');
        auto *buffer = reinterpret_cast<uint8_t *>(&bytes[0]);
        const Outcome outcome = callWithoutGil(
            *connection, [&] { return tkvI2cRead(channel, static_cast<int>(device), at, length, buffer); });
        if (outcome.result != 0) raiseI2cError(outcome.result, channel, device);
        return py::bytes(bytes);
    }

    void write(const Integer &address, const Integer &subaddress, const py::buffer &data) const {
        const unsigned device = checkedAddress(address);
        const int at = checkedRegister(subaddress);
        const ByteView bytes(data);
        if (bytes.size() == 0 || bytes.size() > INT_MAX)
            raise(PyExc_ValueError, py::str("{} bytes to write, not 1 to {}").format(bytes.size(), INT_MAX));
        const Outcome outcome = callWithoutGil(*connection, [&] {
            return tkvI2cWrite(channel, static_cast<int>(device), at, static_cast<int>(bytes.size()),
                               bytes.data());
        });
        if (outcome.result != 0) raiseI2cError(outcome.result, channel, device);
    }

    // Probes each address with a one-byte read of register 0.
    py::list detect() const {
        std::array<bool, 0x80> present{};  // one flag per 7-bit address
        unsigned failedAt = 0;
        const Outcome outcome = callWithoutGil(*connection, [&] {
            for (unsigned device = kFirstScanned; device <= kLastScanned; ++device) {
                uint8_t byte = 0;
                const int result = tkvI2cRead(channel, static_cast<int>(device), 0, 1, &byte);
                if (result != 0 && result != kNoSlave) {
                    failedAt = device;
                    return result;
                }
                present[device] = result == 0;
            }
            return 0;
        });
        if (outcome.result != 0) raiseI2cError(outcome.result, channel, failedAt);
        py::list found;
        for (unsigned device = kFirstScanned; device <= kLastScanned; ++device)
            if (present[device]) found.append(device);
        return found;
    }

    int number() const { return channel; }

private:
    static unsigned checkedAddress(const Integer &address) {
        return static_cast<unsigned>(checked(address, 0x7F, PyExc_ValueError,
                                             "I2C address {0:#x} is not a 7-bit address (0 to {1:#x})"));
    }

    static int checkedRegister(const Integer &subaddress) {
        return static_cast<int>(
            checked(subaddress, 0xFF, PyExc_ValueError, "I2C register {0:#x} is out of range (0 to {1:#x})"));
    }

    ConnectionPtr connection;
    int channel;
};

}  // namespace

void bindI2c(py::module_ &module) {
    py::class_<I2cChannel>(module, "I2cChannel",
                           "One of the two I2C master channels (Device.i2c(channel)).\n\n"
                           "Devices have 7-bit addresses and 8-bit register numbers.  A transaction\n"
                           "that fails raises I2cError; other Python threads run meanwhile.")
        .def("read", &I2cChannel::read, py::arg("address"), py::arg("register"), py::arg("n") = 1,
             "Reads `n` bytes from the device's registers from `register` on.")
        .def("write", &I2cChannel::write, py::arg("address"), py::arg("register"), py::arg("data"),
             "Writes the bytes `data` to the device's registers from `register` on.")
        .def("detect", &I2cChannel::detect,
             "The addresses from 0x03 to 0x77 whose device acknowledges, probed with\n"
             "a one-byte read of register 0.")
        .def_property_readonly("channel", &I2cChannel::number, "The channel number, 0 or 1.")
        .def("__repr__", [](const I2cChannel &channel) {
            return py::str("<tekvaro.I2cChannel {}>").format(channel.number());
        });
}

py::object i2cChannel(const ConnectionPtr &connection, const Integer &channel) {
    const auto number =
        static_cast<int>(checked(channel, 1, PyExc_ValueError, "I2C channel {0} does not exist (0 to {1})"));
    return py::cast(I2cChannel(connection, number));
}

}  // namespace tkvpy
