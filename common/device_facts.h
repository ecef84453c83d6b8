// Facts of the controller that are not register addresses or bits (those
// are generated from the register maps into regmap_offsets.h): how many of
// each unit it has, the sizes of its spaces, where video memory and the
// capture buffers lie, the I2C addresses a device may have.  The library,
// the simulator and the client layer take them from here.  Private to this
// source tree; never installed.
#ifndef TKV_COMMON_DEVICE_FACTS_H
#define TKV_COMMON_DEVICE_FACTS_H

#include <stdint.h>

namespace device_facts {

constexpr int kI2cChannels = 2;
constexpr int kZoomVideoPorts = 2;
constexpr int kDdcPorts = 4;
// The hardware layers a zoom video port can feed.
constexpr int kVideoLayers[] = {1, 3};

// The CRTC registers reached through the index/data pair (the library refuses
// index 0xFF) and the bytes of the PCI configuration header.
constexpr uint32_t kCrtcRegisters = 0xFF;
constexpr uint32_t kPciConfigBytes = 0x100;

// Register space and video memory, in bytes.
constexpr uint32_t kRegisterSpaceSize = uint32_t{16} << 20;
constexpr uint32_t kVideoMemorySize = uint32_t{256} << 20;
// The controller's address of video memory's first byte, as capture buffer
// addresses and layer addresses give it.
constexpr uint32_t kVideoMemoryBase = 0x10000000;
// Each zoom video port captures into two buffers this far apart, port 0 at
// the start of video memory and port 1 two buffers on.
constexpr uint32_t kCaptureBufferBytes = uint32_t{32} << 20;
constexpr uint32_t captureBuffer(int port, int buffer) {
    return kVideoMemoryBase + (uint32_t(port) * 2 + uint32_t(buffer)) * kCaptureBufferBytes;
}

// 7-bit I2C addresses that a device may have: 0x00-0x02 and 0x78-0x7f are
// reserved by the bus.
constexpr uint8_t kFirstI2cAddress = 0x03, kLastI2cAddress = 0x77;
// A zoom video port's decoder answers at one of two addresses, chosen by a pin.
constexpr uint8_t kDecoderAddressPinLow = 0x24, kDecoderAddressPinHigh = 0x25;

// The library's I2C result code for a slave that does not acknowledge.
constexpr int kI2cNoSlave = -2;

}  // namespace device_facts

#endif
