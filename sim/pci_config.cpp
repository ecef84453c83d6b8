// PCI configuration space: the type-0 header of a VGA-class device as the
// firmware left it after enumeration.  Identity, class and header-layout
// fields are read-only; the command register, cache line size and interrupt
// line are writable; BAR0 (video memory) and BAR1 (register space) answer the
// sizing protocol; the other BARs, the expansion ROM and everything past the
// header are not implemented and read as 0.  There is no capability list.
#include "pci_config.h"

#include <errno.h>
#include <string.h>

#include "state_mapping.h"

namespace sim {
namespace {

constexpr uint16_t kVendorId = 0x6B7A;  // assigned to no vendor
constexpr uint16_t kDeviceId = 0x5A10;
constexpr uint16_t kSubsystemId = 0x0001;
constexpr uint8_t kRevision = 0x01;
constexpr uint32_t kClassVga = 0x030000;  // display controller, VGA compatible
constexpr uint8_t kInterruptPinA = 1;
constexpr uint32_t kLastOffset = 0xFC;

constexpr uint32_t kVendorDevice = 0x00, kCommand = 0x04, kClassRevision = 0x08, kCacheLineSize = 0x0C,
                   kSubsystem = 0x2C, kInterrupt = 0x3C;

constexpr uint16_t kIoMemoryBusMaster = 0x0007;
constexpr uint8_t kFirmwareIrq = 16;

// 32-bit memory BARs; the address bits below the size always read as 0.
struct Bar {
    uint32_t offset, size, typeBits, firmwareAddress;
};
constexpr uint32_t kPrefetchable = 0x8;
constexpr Bar kBars[] = {
    {0x10, uint32_t{256} << 20, kPrefetchable, 0xC0000000},  // video memory
    {0x14, uint32_t{16} << 20, 0, 0xD0000000},               // register space
};

// The bits a write can change, for the dwords other than the BARs.
struct Writable {
    uint32_t offset, mask;
};
constexpr Writable kWritable[] = {
    {kCommand, 0x00000547},        // I/O, memory, bus master, parity, SERR#, INTx disable
    {kCacheLineSize, 0x000000FF},  // cache line size
    {kInterrupt, 0x000000FF},      // interrupt line
};

uint32_t load(const uint8_t *config, uint32_t offset) {
    uint32_t value;
    memcpy(&value, config + offset, sizeof value);  // little-endian host
    return value;
}

void store(uint8_t *config, uint32_t offset, uint32_t value) {
    memcpy(config + offset, &value, sizeof value);
}

const Bar *barAt(uint32_t offset) {
    for (const Bar &bar : kBars)
        if (bar.offset == offset) return &bar;
    return nullptr;
}

uint32_t writableBits(uint32_t offset) {
    for (const Writable &w : kWritable)
        if (w.offset == offset) return w.mask;
    return 0;
}

void write(uint8_t *config, uint32_t offset, uint32_t value) {
    if (const Bar *bar = barAt(offset)) {
        store(config, offset, (value & ~(bar->size - 1)) | bar->typeBits);
        return;
    }
    uint32_t mask = writableBits(offset);
    store(config, offset, (load(config, offset) & ~mask) | (value & mask));
}

}  // namespace

void pciPowerOn(DeviceState &device) {
    uint8_t *config = device.pciConfig;
    memset(config, 0, sizeof device.pciConfig);
    store(config, kVendorDevice, uint32_t{kDeviceId} << 16 | kVendorId);
    store(config, kCommand, kIoMemoryBusMaster);
    store(config, kClassRevision, kClassVga << 8 | kRevision);
    store(config, kSubsystem, uint32_t{kSubsystemId} << 16 | kVendorId);
    store(config, kInterrupt, uint32_t{kInterruptPinA} << 8 | kFirmwareIrq);
    for (const Bar &bar : kBars) store(config, bar.offset, bar.firmwareAddress | bar.typeBits);
}

int pciRequest(pci_op_t &record) {
    if (record.direction != DIR_READ && record.direction != DIR_WRITE) return EINVAL;
    if (record.offset > kLastOffset || record.offset % 4 != 0) return EINVAL;
    uint8_t *config = state().pciConfig;
    if (record.direction == DIR_READ)
        record.value = load(config, record.offset);
    else
        write(config, record.offset, record.value);
    return 0;
}

}  // namespace sim
