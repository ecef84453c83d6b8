// The in-process control of the simulator (tkvsim.h), for tests and for
// programs built with it.
#include "tkvsim.h"

#include "device_node.h"
#include "edid.h"
#include "i2c_bus.h"
#include "settings.h"
#include "state_mapping.h"
#include "trace.h"

namespace tkvsim {

void reset() {
    sim::unmapDevice();  // mapped again on first use: fresh, or TKVSIM_STATE's file
    sim::forgetPortEdids();
    sim::readSettings();
    sim::resetTrace();
    sim::resetRequestCount();
}

size_t traceSize() { return sim::traceLength(); }
const Request &traceAt(size_t index) { return sim::traceEntry(index); }
void clearTrace() { sim::clearTrace(); }
void stopTrace() { sim::stopMemoryTrace(); }

void failOpen(int err) { sim::settings().openError = err; }
void failEveryRequest(int err) { sim::settings().requestError = err; }
void failNthRequest(unsigned n) { sim::settings().failNth = n ? sim::requestsSoFar() + n : 0; }
void hangI2cChannel(int channel) { sim::settings().hungChannel = channel; }

void removeI2cSlave(int channel, int address) {
    sim::Settings &s = sim::settings();
    if (s.absentCount < sim::kMaxAbsentSlaves) s.absent[s.absentCount++] = {channel, address};
}

void removeMonitor(int port) {
    if (port >= 0 && port < sim::kDdcPorts) sim::settings().monitorRemoved[port] = true;
}

uint8_t *registerSpace() { return sim::deviceMapped() ? sim::deviceData() : nullptr; }
uint8_t *videoMemory() { return sim::deviceMapped() ? sim::deviceData() + sim::kRegisterSpaceSize : nullptr; }
uint8_t crtcRegister(unsigned index) { return sim::deviceMapped() ? sim::state().crtc[index & 0xFF] : 0; }

uint8_t decoderRegister(int port, unsigned subaddress) {
    sim::I2cSlave *decoder = sim::deviceMapped() ? sim::decoderOfPort(port) : nullptr;
    return decoder ? decoder->registers[subaddress & 0xFF] : 0;
}

void setCameraSize(int port, uint16_t width, uint16_t height) {
    if (port < 0 || port >= sim::kCapturePorts) return;
    sim::settings().cameraWidth[port] = width;
    sim::settings().cameraHeight[port] = height;
}

void setEdid(int port, const uint8_t *bytes, size_t length) {
    if (port >= 0 && port < sim::kDdcPorts) sim::setPortEdid(port, bytes, length);
}

void setCoreVersion(int v0, int v1, int v2, int v3) {
    int32_t *v = sim::settings().coreVersion;
    v[0] = v0;
    v[1] = v1;
    v[2] = v2;
    v[3] = v3;
}

void keepStateInDefaultFile() { sim::useDefaultStateFile(); }

}  // namespace tkvsim
