// The memory request: plain little-endian memory, except the few registers
// that are hardware (I2C masters, the CRTC data port, the capture ports'
// control and camera size).
#include "register_space.h"

#include <errno.h>
#include <string.h>

#include "capture.h"
#include "i2c_bus.h"
#include "regmap_offsets.h"
#include "state_mapping.h"

namespace sim {
namespace {

using namespace regmap_offsets;

constexpr uint32_t kCrtcIndexPort = CRTC_PORT_INDEX;
constexpr uint32_t kCrtcDataPort = CRTC_PORT_DATA;

// A register that is hardware; `index` tells the channel or port.
enum class Hook { I2c, CrtcData, PortControl, PortSize };
struct HookRange {
    uint32_t first, length;
    Hook hook;
    int index;
};
constexpr HookRange kHooks[] = {
    // An I2C master channel: its byte registers, prescale low to command/status.
    {I2C0_PRERLO, I2C0_CR - I2C0_PRERLO + 1, Hook::I2c, 0},
    {I2C1_PRERLO, I2C1_CR - I2C1_PRERLO + 1, Hook::I2c, 1},
    {kCrtcDataPort, 1, Hook::CrtcData, 0},
    {ZV0_PORT_CTRL, 1, Hook::PortControl, 0},
    {ZV1_PORT_CTRL, 1, Hook::PortControl, 1},
    {ZV0_SIZE, 4, Hook::PortSize, 0},
    {ZV1_SIZE, 4, Hook::PortSize, 1},
};

const HookRange *hookAt(uint32_t offset) {
    for (const auto &h : kHooks)
        if (offset - h.first < h.length) return &h;
    return nullptr;
}

bool touchesHook(uint32_t offset, uint32_t size) {
    for (const auto &h : kHooks)
        if (offset < h.first + h.length && h.first < offset + size) return true;
    return false;
}

uint8_t readRegisterByte(uint32_t offset) {
    const HookRange *h = hookAt(offset);
    if (!h) return static_cast<uint8_t>(loadData(offset, 1));
    uint32_t at = offset - h->first;
    switch (h->hook) {
    case Hook::I2c: return i2cReadRegister(h->index, at);
    case Hook::CrtcData: return state().crtc[loadData(kCrtcIndexPort, 1)];
    case Hook::PortControl: return static_cast<uint8_t>(loadData(offset, 1));
    case Hook::PortSize: return static_cast<uint8_t>(capturePortSize(h->index) >> (8 * at));
    }
    return 0;
}

// 0, or the errno of a byte that found no storage.
int writeRegisterByte(uint32_t offset, uint8_t value) {
    const HookRange *h = hookAt(offset);
    if (!h) return storeData(offset, &value, 1);
    uint32_t at = offset - h->first;
    switch (h->hook) {
    case Hook::I2c: i2cWriteRegister(h->index, at, value); break;
    case Hook::CrtcData: state().crtc[loadData(kCrtcIndexPort, 1)] = value; break;
    case Hook::PortControl: return writePortControl(h->index, offset, value);
    case Hook::PortSize: break;  // read-only
    }
    return 0;
}

// Writes, and reads that touch a hardware register, byte by byte where hooked.
// Kept out of line, so that the plain read needs no stack frame.
__attribute__((noinline)) int writeOrHookedAccess(mmio_rw_t &record, size_t base, bool hooked) {
    const uint32_t size = record.size;
    if (record.direction == DIR_READ) {
        uint64_t value = 0;
        for (uint32_t i = 0; i < size; ++i) value |= uint64_t{readRegisterByte(record.offset + i)} << (8 * i);
        record.value = value;
        return 0;
    }
    if (!hooked) return storeData(base + record.offset, &record.value, size);  // little-endian host
    for (uint32_t i = 0; i < size; ++i)
        if (int err = writeRegisterByte(record.offset + i, static_cast<uint8_t>(record.value >> (8 * i))))
            return err;
    return 0;
}

}  // namespace

int memoryAccess(mmio_rw_t &record) {
    const uint32_t size = record.size;
    constexpr uint32_t kWidths = 1u << 1 | 1u << 2 | 1u << 4 | 1u << 8;  // one bit per access width
    if (size > 8 || !(kWidths >> size & 1)) return EINVAL;
    if (record.direction != DIR_READ && record.direction != DIR_WRITE) return EINVAL;
    size_t limit;
    size_t base;  // of the region in the device data
    if (record.region == REGION_REG) {
        limit = kRegisterSpaceSize;
        base = 0;
    } else if (record.region == REGION_VRAM) {
        limit = kVideoMemorySize;
        base = kRegisterSpaceSize;
    } else {
        return EINVAL;
    }
    if (record.offset >= limit || limit - record.offset < size) return EINVAL;

    const bool hooked = record.region == REGION_REG && touchesHook(record.offset, size);
    if (record.direction == DIR_WRITE || hooked) return writeOrHookedAccess(record, base, hooked);
    record.value = loadData(base + record.offset, size);  // the plain read of a dump
    return 0;
}

}  // namespace sim
