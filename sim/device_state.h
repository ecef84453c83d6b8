// The simulated controller's whole state, in one block that lives either in
// anonymous memory or in a shared sparse file (TKVSIM_STATE), so that separate
// processes see each other's writes.  Memory is reserved lazily.
#ifndef TKVSIM_DEVICE_STATE_H
#define TKVSIM_DEVICE_STATE_H

#include <stddef.h>
#include <stdint.h>

namespace sim {

constexpr size_t kRegisterSpaceSize = size_t{16} << 20;
constexpr size_t kVideoMemorySize = size_t{256} << 20;
constexpr int kI2cChannels = 2;
constexpr int kCapturePorts = 2;
constexpr int kDdcPorts = 4;

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

struct DeviceState {
    uint32_t magic;
    uint32_t layoutSize;
    uint8_t crtc[256];
    I2cMaster i2c[kI2cChannels];
    I2cSlave slaves[kI2cSlaveCount];
    uint8_t pciConfig[256];
};

// The mapping: the state block, then register space, then video memory.
constexpr size_t kPage = 4096;
constexpr size_t kHeaderSize = (sizeof(DeviceState) + kPage - 1) / kPage * kPage;
constexpr size_t kMappingSize = kHeaderSize + kRegisterSpaceSize + kVideoMemorySize;

// The mapped device, created on first use.  Inline: every request of a long
// dump passes here.
extern uint8_t *mapping;
void mapDevice();
inline DeviceState &state() {
    if (!mapping) mapDevice();
    return *reinterpret_cast<DeviceState *>(mapping);
}
inline uint8_t *registerSpace() { return reinterpret_cast<uint8_t *>(&state()) + kHeaderSize; }
inline uint8_t *videoMemory() { return registerSpace() + kRegisterSpaceSize; }

// Puts every model into its power-on state.
void powerOn(DeviceState &device);

struct AbsentSlave {
    int channel, address;
};

// Run-time settings from the TKVSIM_* variables and the test API: the
// surroundings of the device, not part of its shared state.
struct Settings {
    int openError;          // errno of a failing open, 0 when opens succeed
    int requestError;       // errno of failing requests, 0 when they succeed
    unsigned long failNth;  // the n-th request fails (1-based), 0: none
    int hungChannel;        // I2C channel that never finishes a transfer, -1: none
    AbsentSlave absent[8];
    int absentCount;
    bool monitorRemoved[kDdcPorts];
    uint16_t cameraWidth[kCapturePorts], cameraHeight[kCapturePorts];
    int32_t coreVersion[4];
    const char *traceFile;
    const char *edidFile[kDdcPorts];
    // EDID bytes set through the test API replace a port's content.
    uint8_t edid[kDdcPorts][512];
    uint32_t edidLength[kDdcPorts];
    bool edidSet[kDdcPorts];
};
extern Settings current;
extern bool settingsRead;
void readSettings();
inline Settings &settings() {
    if (!settingsRead) readSettings();
    return current;
}

}  // namespace sim

#endif
