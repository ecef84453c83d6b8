#include "edid.h"

#include <errno.h>
#include <stdio.h>
#include <string.h>

#include "../common/device_facts.h"
#include "library_result.h"
#include "tekvaro.h"

namespace client {
namespace {

constexpr uint8_t kHeader[8] = {0x00, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0x00};
constexpr size_t kFirstDescriptor = 54, kDescriptorBytes = 18, kDescriptors = 4;
constexpr uint8_t kMonitorNameTag = 0xFC, kSerialTextTag = 0xFF;

unsigned le16(const uint8_t *p) { return unsigned(p[0]) | unsigned(p[1]) << 8; }

// A display descriptor's text: up to 13 bytes, ended by a newline, padded
// with spaces.
std::string descriptorText(const uint8_t *d) {
    std::string text(reinterpret_cast<const char *>(d + 5), 13);
    const size_t end = text.find('\n');
    if (end != std::string::npos) text.resize(end);
    while (!text.empty() && text.back() == ' ') text.pop_back();
    return text;
}

EdidTiming detailedTiming(const uint8_t *d) {
    EdidTiming t;
    t.pixelClockKhz = le16(d) * 10;
    t.width = d[2] | unsigned(d[4] >> 4) << 8;
    const unsigned hBlank = d[3] | unsigned(d[4] & 0xF) << 8;
    t.height = d[5] | unsigned(d[7] >> 4) << 8;
    const unsigned vBlank = d[6] | unsigned(d[7] & 0xF) << 8;
    // Integers all the way: the programs need no maths library for it.
    const uint64_t total = uint64_t{t.width + hBlank} * (t.height + vBlank);
    if (total != 0)
        t.refreshMilliHz = static_cast<unsigned>((uint64_t{t.pixelClockKhz} * 1000000 + total / 2) / total);
    return t;
}

}  // namespace

int firstBadBlock(const uint8_t *bytes, size_t length) {
    for (size_t block = 0; block + kEdidBlockBytes <= length; block += kEdidBlockBytes) {
        uint8_t sum = 0;
        for (size_t i = 0; i < kEdidBlockBytes; ++i) sum = static_cast<uint8_t>(sum + bytes[block + i]);
        if (sum != 0) return static_cast<int>(block / kEdidBlockBytes);
    }
    return -1;
}

Outcome readEdid(unsigned port, Edid &edid) {
    edid = Edid{};
    if (port >= static_cast<unsigned>(device_facts::kDdcPorts))
        return failed(Failure::Usage, "DDC port " + std::to_string(port) + " does not exist (0 to " +
                                          std::to_string(device_facts::kDdcPorts - 1) + ")");
    uint32_t length = 0, valid = 0;
    uint8_t *data = nullptr;
    if (int result = tkvDDCRead(port, &length, &data, &valid)) {
        const int errnum = errorOf(result);
        if (errnum == ENXIO)
            return failed(Failure::Absent, std::string("no monitor (") + strerror(errnum) + ")", errnum);
        return failed(Failure::Device, strerror(errnum), errnum);
    }
    if (length == 0 || !data) return failed(Failure::Absent, "no monitor");
    if (length > kLargestEdid) {
        char text[80];
        snprintf(text, sizeof text, "the driver reports 0x%x bytes, more than an EDID has", length);
        return failed(Failure::Device, text);
    }
    edid.bytes.assign(data, data + length);
    edid.valid = valid != 0;
    edid.badBlock = firstBadBlock(data, length);
    return succeeded();
}

bool decodeEdidIdentity(const std::vector<uint8_t> &bytes, EdidIdentity &id) {
    id = EdidIdentity{};
    if (bytes.size() < kEdidBlockBytes || memcmp(bytes.data(), kHeader, sizeof kHeader) != 0) return false;
    const uint8_t *b = bytes.data();
    const unsigned vendor = unsigned(b[8]) << 8 | b[9];
    for (int shift : {10, 5, 0}) {
        const unsigned letter = vendor >> shift & 0x1F;
        id.manufacturer += letter >= 1 && letter <= 26 ? char('A' + letter - 1) : '?';
    }
    id.product = le16(b + 10);
    id.serial = uint32_t(le16(b + 12)) | uint32_t(le16(b + 14)) << 16;
    id.week = b[16] <= 54 ? b[16] : 0;
    id.year = 1990u + b[17];
    id.version = b[18];
    id.revision = b[19];
    for (size_t i = 0; i < kDescriptors; ++i) {
        const uint8_t *d = b + kFirstDescriptor + i * kDescriptorBytes;
        if (le16(d) != 0) {
            if (!id.hasPreferred) {
                id.hasPreferred = true;
                id.preferred = detailedTiming(d);
            }
        } else if (d[3] == kMonitorNameTag) {
            id.name = descriptorText(d);
        } else if (d[3] == kSerialTextTag) {
            id.serialText = descriptorText(d);
        }
    }
    return true;
}

nlohmann::ordered_json toJson(const EdidIdentity &id) {
    using Json = nlohmann::ordered_json;
    Json preferred;  // null without a detailed timing
    if (id.hasPreferred)
        preferred = {{"width", id.preferred.width},
                     {"height", id.preferred.height},
                     {"refresh_hz", id.preferred.refreshMilliHz / 1000.0},
                     {"pixel_clock_khz", id.preferred.pixelClockKhz}};
    return {{"manufacturer", id.manufacturer},
            {"product", id.product},
            {"serial", id.serial},
            {"serial_text", id.serialText.empty() ? Json() : Json(id.serialText)},
            {"week", id.week ? Json(id.week) : Json()},
            {"year", id.year},
            {"version", std::to_string(id.version) + "." + std::to_string(id.revision)},
            {"name", id.name.empty() ? Json() : Json(id.name)},
            {"preferred", preferred}};
}

}  // namespace client
