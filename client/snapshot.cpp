// Taking a snapshot: every part of the device's state read into one document.
// A part that cannot be read becomes an error entry; the rest go on.
#include "snapshot.h"

#include <stdio.h>
#include <string.h>
#include <time.h>

#include <nlohmann/json.hpp>

#include "i2c_channel.h"
#include "library_result.h"
#include "snapshot_maps.h"
#include "spaces.h"
#include "tekvaro.h"
#include "zoom_video_state.h"

namespace snapshot {
namespace {

using Json = nlohmann::ordered_json;

constexpr unsigned kI2cChannels = 2, kDdcPorts = 4, kZoomVideoPorts = 2;

struct Taker {
    const regmap::Map &map;
    bool complete = true;

    Json error(int number) {
        complete = false;
        return {{"error", strerror(number)}};
    }

    // NAME -> value for the readable registers of the reg, crtc and pci blocks.
    Json registers() {
        Json out = Json::object();
        for (const regmap::Block &b : map.blocks) {
            if (b.space == regmap::Space::I2c) continue;
            const Space &space = *findSpace(regmap::spaceName(b.space));
            for (const regmap::Instance &i : b.instances)
                for (const regmap::Register &r : b.registers) {
                    if (r.access == regmap::Access::WriteOnly) continue;  // nothing to read
                    uint64_t value = 0;
                    const int failed = space.read(i.base + r.offset, r.bytes(), value);
                    out[i.name + "." + r.name] = failed ? error(failed) : Json(value);
                }
        }
        return out;
    }

    // A whole space, byte by byte, read in its widest items up to 4 bytes.
    Json bytesOf(const Space &space, unsigned length) {
        const unsigned width = space.takes(4) ? 4 : 1;
        Json out = Json::array();
        for (uint32_t at = 0; at < length; at += width) {
            uint64_t value = 0;
            const int failed = space.read(at, width, value);
            if (failed) complete = false;
            for (unsigned i = 0; i < width && at + i < length; ++i)
                out.push_back(failed ? Json() : Json(static_cast<uint8_t>(value >> (8 * i))));
        }
        return out;
    }

    // The registers of a device of type `b` at `address`, read in one run.
    Json deviceRegisters(unsigned channel, uint8_t address, const regmap::Block &b) {
        const unsigned end = b.span();
        uint8_t bytes[256] = {};
        const int result =
            end ? tkvI2cRead(static_cast<int>(channel), address, 0, static_cast<int>(end), bytes) : 0;
        Json out = Json::object();
        for (const regmap::Instance &i : b.instances)
            for (const regmap::Register &r : b.registers) {
                uint64_t value = 0;
                for (unsigned k = 0; k < r.bytes(); ++k) value |= uint64_t{bytes[r.offset + k]} << (8 * k);
                if (result == 0)
                    out[i.name + "." + r.name] = value;
                else {
                    complete = false;
                    out[i.name + "." + r.name] = {{"error", i2cReason(result)}};
                }
            }
        return out;
    }

    Json i2c() {
        Json out = Json::array();
        for (unsigned channel = 0; channel < kI2cChannels; ++channel) {
            ChannelState state{};
            if (int failed = readChannelState(channel, state)) {
                out.push_back({{"channel", channel}, {"error", strerror(failed)}});
                complete = false;
                continue;
            }
            Json devices = Json::array();
            for (const regmap::Block &b : map.blocks) {
                if (b.space != regmap::Space::I2c || !state.enabled()) continue;
                for (uint8_t address : b.i2cAddresses) {
                    uint8_t probe;
                    if (tkvI2cRead(static_cast<int>(channel), address, 0, 1, &probe) != 0)
                        continue;  // absent
                    devices.push_back({{"address", address},
                                       {"type", b.name},
                                       {"registers", deviceRegisters(channel, address, b)}});
                }
            }
            out.push_back({{"channel", channel},
                           {"enabled", state.enabled()},
                           {"prescale", state.prescale},
                           {"devices", devices}});
        }
        return out;
    }

    Json edid() {
        Json out = Json::array();
        for (unsigned port = 0; port < kDdcPorts; ++port) {
            uint32_t length = 0, valid = 0;
            uint8_t *data = nullptr;
            const int result = tkvDDCRead(port, &length, &data, &valid);
            if (result != 0 || !data || length == 0 || length > 512) {
                const int number = result ? errorOf(result) : ENXIO;
                // No monitor is a state of the board, not a failure to read it.
                out.push_back({{"port", port}, {"error", number == ENXIO ? "no monitor" : strerror(number)}});
                if (number != ENXIO) complete = false;
                continue;
            }
            std::string hex(2 * length, '0');
            static const char kDigits[] = "0123456789abcdef";
            for (uint32_t i = 0; i < length; ++i) {
                hex[2 * i] = kDigits[data[i] >> 4];
                hex[2 * i + 1] = kDigits[data[i] & 15];
            }
            out.push_back({{"port", port}, {"bytes", hex}, {"valid", valid != 0}});
        }
        return out;
    }

    Json zoomVideo() {
        Json out = Json::array();
        for (unsigned port = 0; port < kZoomVideoPorts; ++port) {
            ZoomVideoState state;
            const int failed = readZoomVideoState(port, state);
            out.push_back(failed ? Json{{"port", port}, {"error", strerror(failed)}} : toJson(port, state));
            if (failed) complete = false;
        }
        return out;
    }
};

std::string utcNow() {
    const time_t now = time(nullptr);
    tm parts{};
    char text[32] = "";
    if (gmtime_r(&now, &parts)) strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%SZ", &parts);
    return text;
}

}  // namespace

std::string take(const regmap::Map &map, int device, const char *toolVersion, bool &complete) {
    Taker taker{map};
    int version[4] = {};
    const bool versionRead = tkvTkvcoreVer(&version[0], &version[1], &version[2], &version[3]) == 0;
    char driver[48];
    snprintf(driver, sizeof driver, "%d.%d.%d.%d", version[0], version[1], version[2], version[3]);
    Json document = {{"format", kFormat},    {"kind", "tekvaro-snapshot"},
                     {"date", utcNow()},     {"device", device},
                     {"tool", toolVersion},  {"driver", versionRead ? Json(driver) : Json()},
                     {"maps", filesOf(map)}, {"map_digest", digestOf(map)}};
    // Reading some parts moves registers of others (the CRTC index, the I2C
    // masters' status): the named registers are read last, so that two
    // snapshots of an unchanged board are the same.
    document["registers"] = Json::object();
    for (const char *space : {"pci", "crtc"})
        document[space] = taker.bytesOf(*findSpace(space), findSpace(space)->size);
    document["i2c"] = taker.i2c();
    document["edid"] = taker.edid();
    document["zv"] = taker.zoomVideo();
    document["registers"] = taker.registers();
    document["layout"] = layoutOf(map);
    complete = taker.complete && versionRead;
    return document.dump(2, ' ', false, Json::error_handler_t::replace) + "\n";
}

}  // namespace snapshot
