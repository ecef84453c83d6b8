// The memory request: plain little-endian memory, except the few registers
// that are hardware (I2C masters, the CRTC data port, the camera size).
#include <errno.h>
#include <string.h>

#include "device_state.h"
#include "models.h"
#include "requests.h"

namespace sim {
namespace {

constexpr uint32_t kCrtcIndexPort = 0x103D4;
constexpr uint32_t kCrtcDataPort = 0x103D5;

enum class Hook { I2c0, I2c1, CrtcData, PortSize0, PortSize1 };
struct HookRange {
    uint32_t first, length;
    Hook hook;
};
constexpr HookRange kHooks[] = {
    {0x00, 5, Hook::I2c0},         {0x10, 5, Hook::I2c1},         {kCrtcDataPort, 1, Hook::CrtcData},
    {0x100CC, 4, Hook::PortSize0}, {0x100DC, 4, Hook::PortSize1},
};

template <typename T>
T load(const uint8_t *at) {
    T value;
    memcpy(&value, at, sizeof value);  // little-endian host
    return value;
}

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

uint8_t readRegisterByte(const uint8_t *space, uint32_t offset) {
    const HookRange *h = hookAt(offset);
    if (!h) return space[offset];
    uint32_t at = offset - h->first;
    switch (h->hook) {
    case Hook::I2c0: return i2cReadRegister(0, at);
    case Hook::I2c1: return i2cReadRegister(1, at);
    case Hook::CrtcData: return state().crtc[space[kCrtcIndexPort]];
    case Hook::PortSize0: return static_cast<uint8_t>(capturePortSize(0) >> (8 * at));
    case Hook::PortSize1: return static_cast<uint8_t>(capturePortSize(1) >> (8 * at));
    }
    return 0;
}

void writeRegisterByte(uint8_t *space, uint32_t offset, uint8_t value) {
    const HookRange *h = hookAt(offset);
    if (!h) {
        space[offset] = value;
        return;
    }
    uint32_t at = offset - h->first;
    switch (h->hook) {
    case Hook::I2c0: i2cWriteRegister(0, at, value); break;
    case Hook::I2c1: i2cWriteRegister(1, at, value); break;
    case Hook::CrtcData: state().crtc[space[kCrtcIndexPort]] = value; break;
    case Hook::PortSize0:
    case Hook::PortSize1: break;  // read-only
    }
}

// One load of the access's own width: assembling a narrow copy into a wide
// variable would stall the following wide read on every byte of a dump.
uint64_t loadLittleEndian(const uint8_t *at, uint32_t size) {
    switch (size) {
    case 1: return *at;
    case 2: return load<uint16_t>(at);
    case 4: return load<uint32_t>(at);
    default: return load<uint64_t>(at);
    }
}

}  // namespace

int memoryAccess(mmio_rw_t &record) {
    const uint32_t size = record.size;
    if (size != 1 && size != 2 && size != 4 && size != 8) return EINVAL;
    if (record.direction != DIR_READ && record.direction != DIR_WRITE) return EINVAL;
    size_t limit;
    uint8_t *space;
    if (record.region == REGION_REG) {
        limit = kRegisterSpaceSize;
        space = registerSpace();
    } else if (record.region == REGION_VRAM) {
        limit = kVideoMemorySize;
        space = videoMemory();
    } else {
        return EINVAL;
    }
    if (record.offset >= limit || limit - record.offset < size) return EINVAL;

    const bool hooked = record.region == REGION_REG && touchesHook(record.offset, size);
    if (record.direction == DIR_READ) {
        uint64_t value = 0;
        if (hooked) {
            for (uint32_t i = 0; i < size; ++i)
                value |= uint64_t{readRegisterByte(space, record.offset + i)} << (8 * i);
        } else {
            value = loadLittleEndian(space + record.offset, size);
        }
        record.value = value;
    } else if (hooked) {
        for (uint32_t i = 0; i < size; ++i)
            writeRegisterByte(space, record.offset + i, static_cast<uint8_t>(record.value >> (8 * i)));
    } else {
        memcpy(space + record.offset, &record.value, size);
    }
    return 0;
}

}  // namespace sim
