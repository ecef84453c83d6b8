// The simulated controller's whole state, in one block that lives either in
// anonymous memory or in a shared sparse file (TKVSIM_STATE), so that separate
// processes see each other's writes.
#ifndef TKVSIM_DEVICE_STATE_H
#define TKVSIM_DEVICE_STATE_H

#include <stddef.h>
#include <stdint.h>

#include "device_facts.h"

namespace sim {

constexpr size_t kRegisterSpaceSize = device_facts::kRegisterSpaceSize;
constexpr size_t kVideoMemorySize = device_facts::kVideoMemorySize;
constexpr int kI2cChannels = device_facts::kI2cChannels;
constexpr int kCapturePorts = device_facts::kZoomVideoPorts;
constexpr int kDdcPorts = device_facts::kDdcPorts;

// One OpenCores-style I2C master and the bus transaction it is running.
struct I2cMaster {
    uint8_t prescaleLow, prescaleHigh, control;  // plain registers
    uint8_t transmit;                            // the byte the next write command sends
    uint8_t receive;                             // the byte last received
    uint8_t status;        // acknowledge and bus-busy bits; "in progress" comes from pendingPolls
    uint8_t pendingPolls;  // status reads left that still show "transfer in progress"
    int8_t slave;          // index of the addressed slave, -1 when none is addressed
    uint8_t slaveSends;    // the addressed slave is in a read phase
};

enum class I2cSlaveKind : uint8_t { Decoder, Eeprom };

// A byte-register slave: SAA7111A decoder or 24C02-style EEPROM.
struct I2cSlave {
    uint8_t channel;
    uint8_t address;  // 7-bit
    I2cSlaveKind kind;
    uint8_t pointer;     // current sub-address
    uint8_t pointerSet;  // the first byte of this write phase has set the pointer
    uint8_t programmed;  // a register has been written
    uint8_t registers[256];
};
constexpr int kI2cSlaveCount = 3;

// The pages of register space and video memory, one bit each: set once the
// page holds data.  A clear page reads as 0 without being touched, so that
// reading never takes storage.
constexpr size_t kPage = 4096;
constexpr size_t kDataSize = kRegisterSpaceSize + kVideoMemorySize;
constexpr size_t kDataPages = kDataSize / kPage;

// What a state file must begin with to be the simulator's.
struct StateLayout {
    uint32_t magic;
    uint32_t version;
    uint64_t headerSize, registerSpaceSize, videoMemorySize;
};

struct DeviceState {
    StateLayout layout;
    uint8_t crtc[256];
    I2cMaster i2c[kI2cChannels];
    I2cSlave slaves[kI2cSlaveCount];
    uint8_t pciConfig[256];
    uint64_t writtenPages[kDataPages / 64];
    uint32_t framesCaptured[kCapturePorts];  // the camera's frame numbers
};

// The mapping: the state block, then register space, then video memory.
constexpr size_t kHeaderSize = (sizeof(DeviceState) + kPage - 1) / kPage * kPage;
constexpr size_t kMappingSize = kHeaderSize + kDataSize;
// A field added at the end of the state block reads as 0 in an older file,
// as long as the header keeps its size.
static_assert(kHeaderSize == 3 * kPage, "the state file's layout changes: raise its version");
constexpr StateLayout kStateLayout = {0x544b5653, 2, kHeaderSize, kRegisterSpaceSize, kVideoMemorySize};

}  // namespace sim

#endif
