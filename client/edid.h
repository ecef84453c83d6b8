// A monitor's EDID as every front end reads it: the bytes the driver hands
// back, which block's checksum fails, and the identity a person looks for
// (manufacturer, product, serial, date, version, name, preferred mode).
#ifndef TKV_CLIENT_EDID_H
#define TKV_CLIENT_EDID_H

#include <stdint.h>

#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "../common/device_facts.h"
#include "outcome.h"

namespace client {

constexpr uint32_t kEdidBlockBytes = 128;
constexpr uint32_t kLargestEdid = 512;  // what the driver's record holds
constexpr unsigned kDdcPorts = device_facts::kDdcPorts;

struct Edid {
    std::vector<uint8_t> bytes;
    bool valid = false;  // the driver's word on it
    int badBlock = -1;   // the first block whose bytes do not sum to 0; -1: none
};

// Reads DDC port `port`'s EDID.  No monitor is Failure::Absent; an EDID the
// driver finds not valid is read all the same (edid.valid says so).
Outcome readEdid(unsigned port, Edid &edid);

// The first 128-byte block of `bytes` whose checksum fails, or -1.
int firstBadBlock(const uint8_t *bytes, size_t length);

struct EdidTiming {
    unsigned width = 0, height = 0;  // active pixels and lines
    unsigned pixelClockKhz = 0;
    unsigned refreshMilliHz = 0;  // to the nearest thousandth of a hertz
};

struct EdidIdentity {
    std::string manufacturer;  // three letters
    unsigned product = 0;
    uint32_t serial = 0;
    unsigned week = 0;  // 0: not given (or the year is a model year)
    unsigned year = 0;
    unsigned version = 0, revision = 0;
    std::string name;           // the monitor name descriptor's, or empty
    std::string serialText;     // the serial number descriptor's, or empty
    bool hasPreferred = false;  // the first detailed timing
    EdidTiming preferred;
};

// False when `bytes` hold no base block with its fixed header.
bool decodeEdidIdentity(const std::vector<uint8_t> &bytes, EdidIdentity &identity);

// As `tkvtool edid --json` gives it under "identity".
nlohmann::ordered_json toJson(const EdidIdentity &identity);

}  // namespace client

#endif
