// Two OpenCores-style I2C masters and the slaves on their buses: a video
// decoder behind each capture port and an EEPROM on channel 0.
//
// Register block of a channel: 0/1 prescale low/high, 2 control (plain
// registers), 3 transmit (write) / receive (read), 4 command (write) /
// status (read).  A command takes effect at once on the bus; its "transfer in
// progress" bit then stays set for a few status reads, so that callers must poll.
#include "i2c_bus.h"

#include "device_facts.h"
#include "regmap_offsets.h"

#include "settings.h"
#include "state_mapping.h"

namespace sim {
namespace {

// A channel's registers, by their offset in its block (the map's).
using namespace regmap_offsets;
enum Register : unsigned {
    kPrescaleLow = I2C0_PRERLO - I2C0_PRERLO,
    kPrescaleHigh = I2C0_PRERHI - I2C0_PRERLO,
    kControl = I2C0_CTR - I2C0_PRERLO,
    kData = I2C0_TXR - I2C0_PRERLO,  // transmit when written, receive when read
    kCommandStatus = I2C0_CR - I2C0_PRERLO,
};

enum CommandBit : uint8_t {
    kStart = I2C_CR_STA,
    kStop = I2C_CR_STO,
    kRead = I2C_CR_RD,
    kWrite = I2C_CR_WR,
    kNack = I2C_CR_ACK,  // the master answers a received byte with no acknowledge
};

enum StatusBit : uint8_t {
    kNoAcknowledge = I2C_SR_RxACK,
    kBusBusy = I2C_SR_Busy,  // between start and stop
    kTransferInProgress = I2C_SR_TIP,
};

constexpr uint8_t kCoreEnable = I2C_CTR_EN;  // control register
constexpr uint8_t kBusyPolls = 2;
constexpr uint8_t kIdleLine = 0xFF;  // what a read gets when no slave drives the bus

// Power-on slaves: the decoders of capture ports 0 and 1 first, so that the
// port number is the slave's index.
struct SlavePlacement {
    uint8_t channel, address;
    I2cSlaveKind kind;
};
constexpr SlavePlacement kPlacements[kI2cSlaveCount] = {
    {0, device_facts::kDecoderAddressPinLow, I2cSlaveKind::Decoder},
    {1, device_facts::kDecoderAddressPinLow, I2cSlaveKind::Decoder},
    {0, 0x50, I2cSlaveKind::Eeprom},
};

constexpr unsigned kDecoderRegisterCount = 0x20;
constexpr uint8_t kDecoderVersionRegister = 0x00;  // read-only
constexpr uint8_t kDecoderChipVersion = 0x11;

bool isAbsent(int channel, int address) {
    const Settings &s = settings();
    for (int i = 0; i < s.absentCount; ++i)
        if (s.absent[i].channel == channel && s.absent[i].address == address) return true;
    return false;
}

// The address byte after a start: the slave that answers, or -1.
int8_t addressSlave(const DeviceState &device, int channel, uint8_t addressByte) {
    const int address = addressByte >> 1;
    if (isAbsent(channel, address)) return -1;
    for (int i = 0; i < kI2cSlaveCount; ++i) {
        const I2cSlave &slave = device.slaves[i];
        if (slave.channel == channel && slave.address == address) return static_cast<int8_t>(i);
    }
    return -1;
}

void storeInSlave(I2cSlave &slave, uint8_t value) {
    const uint8_t at = slave.pointer++;
    if (slave.kind == I2cSlaveKind::Decoder && (at == kDecoderVersionRegister || at >= kDecoderRegisterCount))
        return;
    slave.registers[at] = value;
    slave.programmed = 1;
}

// A byte of a write phase: the first one sets the pointer, the rest are data.
bool sendToSlave(I2cSlave &slave, uint8_t value) {
    if (!slave.pointerSet) {
        slave.pointer = value;
        slave.pointerSet = 1;
    } else {
        storeInSlave(slave, value);
    }
    return true;
}

void execute(DeviceState &device, int channel, uint8_t command) {
    I2cMaster &master = device.i2c[channel];
    I2cSlave *slave =
        master.slave >= 0 && master.slave < kI2cSlaveCount ? &device.slaves[master.slave] : nullptr;
    if (command & kWrite) {
        bool acknowledged;
        if (command & kStart) {  // start or repeated start, then the address byte
            master.status |= kBusBusy;
            master.slave = addressSlave(device, channel, master.transmit);
            master.slaveSends = master.transmit & 1;
            if (master.slave >= 0) device.slaves[master.slave].pointerSet = 0;
            acknowledged = master.slave >= 0;
        } else {
            acknowledged = slave && !master.slaveSends && sendToSlave(*slave, master.transmit);
        }
        master.status = static_cast<uint8_t>(acknowledged ? master.status & ~kNoAcknowledge
                                                          : master.status | kNoAcknowledge);
    } else if (command & kRead) {
        if (slave && master.slaveSends) {
            master.receive = slave->registers[slave->pointer++];
            if (command & kNack) master.slave = -1;  // the slave lets go of the bus
        } else {
            master.receive = kIdleLine;
        }
    }
    if (command & kStop) {
        master.status &= static_cast<uint8_t>(~kBusBusy);
        master.slave = -1;
    }
    master.pendingPolls = kBusyPolls;
}

uint8_t readStatus(I2cMaster &master, int channel) {
    if (channel == settings().hungChannel) return master.status | kTransferInProgress;
    if (master.pendingPolls == 0) return master.status;
    --master.pendingPolls;
    return master.status | kTransferInProgress;
}

}  // namespace

void i2cPowerOn(DeviceState &device) {
    for (I2cMaster &master : device.i2c) {
        master = I2cMaster{};
        master.prescaleLow = 0x31;  // 100 kHz from the core clock, as the driver sets it up
        master.control = kCoreEnable;
        master.slave = -1;
    }
    for (int i = 0; i < kI2cSlaveCount; ++i) {
        I2cSlave &slave = device.slaves[i];
        slave = I2cSlave{};
        slave.channel = kPlacements[i].channel;
        slave.address = kPlacements[i].address;
        slave.kind = kPlacements[i].kind;
        if (slave.kind == I2cSlaveKind::Decoder) {
            slave.registers[kDecoderVersionRegister] = kDecoderChipVersion;
        } else {
            for (unsigned at = 0; at < sizeof slave.registers; ++at)
                slave.registers[at] = static_cast<uint8_t>(at);  // recognisable content
        }
    }
}

uint8_t i2cReadRegister(int channel, unsigned reg) {
    I2cMaster &master = state().i2c[channel];
    switch (reg) {
    case kPrescaleLow: return master.prescaleLow;
    case kPrescaleHigh: return master.prescaleHigh;
    case kControl: return master.control;
    case kData: return master.receive;
    case kCommandStatus: return readStatus(master, channel);
    default: return 0;
    }
}

void i2cWriteRegister(int channel, unsigned reg, uint8_t value) {
    DeviceState &device = state();
    I2cMaster &master = device.i2c[channel];
    switch (reg) {
    case kPrescaleLow: master.prescaleLow = value; break;
    case kPrescaleHigh: master.prescaleHigh = value; break;
    case kControl: master.control = value; break;
    case kData: master.transmit = value; break;
    case kCommandStatus:
        // A disabled core ignores commands; a hung one never gets anything onto the bus.
        if ((master.control & kCoreEnable) && channel != settings().hungChannel)
            execute(device, channel, value);
        break;
    default: break;
    }
}

I2cSlave *decoderOfPort(int port) {
    if (port < 0 || port >= kCapturePorts) return nullptr;
    return &state().slaves[port];
}

}  // namespace sim
