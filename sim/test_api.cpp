// The in-process test API's view into the model.
#include "device_state.h"
#include "models.h"
#include "tkvsim.h"

namespace tkvsim {

uint8_t *registerSpace() { return sim::deviceMapped() ? sim::deviceData() : nullptr; }
uint8_t *videoMemory() { return sim::deviceMapped() ? sim::deviceData() + sim::kRegisterSpaceSize : nullptr; }
uint8_t crtcRegister(unsigned index) { return sim::deviceMapped() ? sim::state().crtc[index & 0xFF] : 0; }

uint8_t decoderRegister(int port, unsigned subaddress) {
    sim::I2cSlave *decoder = sim::deviceMapped() ? sim::decoderOfPort(port) : nullptr;
    return decoder ? decoder->registers[subaddress & 0xFF] : 0;
}

void hangI2cChannel(int channel) { sim::settings().hungChannel = channel; }

void removeI2cSlave(int channel, int address) {
    sim::Settings &s = sim::settings();
    if (s.absentCount < static_cast<int>(sizeof s.absent / sizeof s.absent[0]))
        s.absent[s.absentCount++] = {channel, address};
}

void removeMonitor(int port) {
    if (port >= 0 && port < sim::kDdcPorts) sim::settings().monitorRemoved[port] = true;
}

void setCameraSize(int port, uint16_t width, uint16_t height) {
    if (port < 0 || port >= sim::kCapturePorts) return;
    sim::settings().cameraWidth[port] = width;
    sim::settings().cameraHeight[port] = height;
}

void setEdid(int port, const uint8_t *bytes, size_t length) {
    if (port >= 0 && port < sim::kDdcPorts) sim::setPortEdid(port, bytes, length);
}

void keepStateInDefaultFile() { sim::useDefaultStateFile(); }

void setCoreVersion(int v0, int v1, int v2, int v3) {
    int32_t *v = sim::settings().coreVersion;
    v[0] = v0;
    v[1] = v1;
    v[2] = v2;
    v[3] = v3;
}

}  // namespace tkvsim
