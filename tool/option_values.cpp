#include "option_values.h"

#include <string.h>

#include "i2c_channel.h"
#include "numbers.h"
#include "report.h"

namespace {

constexpr int kLargestDeviceId = 0xFF;  // the library opens the node ID + 1 times
// The window's numbers: 16-bit fields of the layer's registers.
constexpr uint64_t kLargestWindowNumber = 0xFFFF;

int hex(const char *topic, const char *word, uint64_t max, const char *noun, const char *range,
        uint64_t &value) {
    if (parseHex(word, max, value)) return kExitOk;
    return usageError(topic, "invalid %s '%s'%s", noun, word, range);
}

int decimal(const char *topic, const char *word, uint64_t max, const char *noun, const char *range,
            uint32_t &value) {
    uint64_t v = 0;
    if (!parseDecimal(word, max, v)) return usageError(topic, "invalid %s '%s'%s", noun, word, range);
    value = static_cast<uint32_t>(v);
    return kExitOk;
}

int windowNumber(const char *topic, const char *word, const char *noun, uint32_t &value) {
    return decimal(topic, word, kLargestWindowNumber, noun, " (0 to 65535)", value);
}

}  // namespace

int parseWidth(Invocation &in, const char *topic, const char *value) {
    uint64_t v = 0;
    if (!parseHex(value, 8, v) || v == 0 || (v & (v - 1)) != 0)
        return usageError(topic, "invalid width '%s' (1, 2, 4 or 8)", value);
    in.width = static_cast<unsigned>(v);
    return kExitOk;
}

int parseCount(Invocation &in, const char *topic, const char *value) {
    uint64_t v = 0;
    if (int status = hex(topic, value, UINT32_MAX, "count", "", v)) return status;
    if (v == 0) return usageError(topic, "invalid count '%s'", value);
    in.count = static_cast<uint32_t>(v);
    return kExitOk;
}

int parseMask(Invocation &in, const char *topic, const char *value) {
    in.maskGiven = in.masked = true;
    return hex(topic, value, UINT64_MAX, "mask", "", in.mask);
}

// Gathered before the operands, so that names before it find its registers.
int parseMapFile(Invocation &, const char *, const char *) { return kExitOk; }

int parseIgnore(Invocation &in, const char *, const char *value) {
    in.ignore.push_back(value);
    return kExitOk;
}

int parseInterval(Invocation &in, const char *topic, const char *value) {
    uint32_t ms = 0;
    if (int status = decimal(topic, value, 3600000, "interval", " (1 to 3600000 ms)", ms)) return status;
    if (ms == 0) return usageError(topic, "invalid interval '%s' (1 to 3600000 ms)", value);
    in.intervalMs = ms;
    return kExitOk;
}

int parseChanges(Invocation &in, const char *topic, const char *value) {
    if (int status = decimal(topic, value, UINT32_MAX, "count", "", in.changes)) return status;
    return in.changes == 0 ? usageError(topic, "invalid count '%s'", value) : kExitOk;
}

int parseOutput(Invocation &in, const char *, const char *value) {
    in.output = value;
    return kExitOk;
}

int parseDevice(Invocation &in, const char *topic, const char *value) {
    uint64_t id = 0;
    if (int status = hex(topic, value, kLargestDeviceId, "device", " (0 to ff)", id)) return status;
    in.deviceId = static_cast<int>(id);
    return kExitOk;
}

int parseDecoderChannel(Invocation &in, const char *topic, const char *value) {
    uint64_t v = 0;
    if (int status = hex(topic, value, kI2cChannels - 1, "channel", " (0 or 1)", v)) return status;
    in.zv.decoderChannel = static_cast<int>(v);
    return kExitOk;
}

int parseDecoderAddress(Invocation &in, const char *topic, const char *value) {
    uint64_t v = 0;
    if (!parseHex(value, 0xFF, v) || (v != kDecoderAddressLow && v != kDecoderAddressHigh))
        return usageError(topic, "invalid decoder address '%s' (%x or %x)", value, kDecoderAddressLow,
                          kDecoderAddressHigh);
    in.zv.decoderAddress = static_cast<uint8_t>(v);
    return kExitOk;
}

int parseLayer(Invocation &in, const char *topic, const char *value) {
    if (strcmp(value, "1") != 0 && strcmp(value, "3") != 0)
        return usageError(topic, "invalid layer '%s' (1 or 3)", value);
    in.zv.layer = static_cast<uint8_t>(value[0] - '0');
    return kExitOk;
}

int parseWindowX(Invocation &in, const char *topic, const char *value) {
    return windowNumber(topic, value, "x", in.zv.x);
}
int parseWindowY(Invocation &in, const char *topic, const char *value) {
    return windowNumber(topic, value, "y", in.zv.y);
}
int parseWindowWidth(Invocation &in, const char *topic, const char *value) {
    return windowNumber(topic, value, "width", in.zv.width);
}
int parseWindowHeight(Invocation &in, const char *topic, const char *value) {
    return windowNumber(topic, value, "height", in.zv.height);
}
int parseCutLeft(Invocation &in, const char *topic, const char *value) {
    return windowNumber(topic, value, "cut", in.zv.cutLeft);
}

int parseCrtc(Invocation &in, const char *topic, const char *value) {
    return decimal(topic, value, 1, "CRTC", " (0 or 1)", in.zv.crtc);
}

int parseFormat(Invocation &in, const char *topic, const char *value) {
    if (pixelFormatNamed(value, in.pixelFormat)) return kExitOk;
    return usageError(topic, "invalid format '%s' (uyvy, yuyv or rgb565)", value);
}
