// The JSON documents of the front ends (tkvtool --json, tkvweb's API): one
// function per document, which reads the device and builds it.  A document
// that a failed request cut short holds what was read before it, and the
// failure says where; the front end decides how to report it.
#ifndef TKV_CLIENT_DOCUMENTS_H
#define TKV_CLIENT_DOCUMENTS_H

#include <stdint.h>

#include <nlohmann/json.hpp>
#include <string>
#include <string_view>
#include <vector>

#include "edid.h"
#include "outcome.h"
#include "regmap_names.h"
#include "spaces.h"

namespace client {

// Objects keep their keys in the order the document puts them.
using Document = nlohmann::ordered_json;

// The request a document stopped at: error 0 when none failed.
struct RequestFailure {
    int error = 0;
    const char *space = "";
    uint32_t address = 0;
    unsigned bytes = 0;

    bool failed() const { return error != 0; }
};
// "OPERATION SPACE 0xADDRESS (N bytes): REASON".
std::string requestFailureText(const char *operation, const RequestFailure &failure);

// regs: every register whose name (or bare register name) matches the
// shell pattern, in any case; an empty array when none does.
Document registerListDocument(const regmap::Map &map, const char *pattern);

// Whether show shows the block's instance for `blocks` (no names: every
// block that is not an I2C device's).
bool blockChosen(const regmap::Block &block, const regmap::Instance &instance,
                 const std::vector<std::string> &blocks);
// The block a name (a block's or an instance's) means, or null; `known` gets
// every name, for a hint.
const regmap::Block *findBlock(const regmap::Map &map, std::string_view name,
                               std::vector<std::string> *known);
// show: the chosen blocks read through the map.
Document showDocument(const regmap::Map &map, const std::vector<std::string> &blocks,
                      RequestFailure &failure);

// read (with -D, `decode`): `count` items of `width` bytes from `address`,
// or a named register or field (`name`, null for an address).
Document readDocument(const Space &space, uint32_t address, unsigned width, uint32_t count,
                      const regmap::Name *name, bool decode, RequestFailure &failure);
// read NAME -D's document for a register or a field, read from the device.
Document namedReadDocument(const regmap::Name &name, RequestFailure &failure);
// One item of read -D's document: a register's value with its fields, or a field's.
Document namedValue(const regmap::Name &name, uint64_t registerValue);
// read -D's whole document for a register (never its field) holding `registerValue`.
Document registerDocument(const regmap::Name &name, uint64_t registerValue);

// i2c list: the masters' state; a Device failure names the channel, and the
// document holds the channels before it.
Outcome i2cListDocument(Document &document);
// i2c detect: the addresses that answer on a channel (checked enabled).
Outcome i2cDetectDocument(unsigned channel, Document &document);
// i2c dump: every register, null from the failed transaction on; `result`
// and `failedAt` are the library's code and the first register of it.
Document i2cDumpDocument(unsigned channel, unsigned address, int &result, unsigned &failedAt);
// The I2C device type the maps know at `address`, or null; `known` lists
// the types and their addresses, for a hint.
const regmap::Block *i2cDeviceType(const regmap::Map &map, unsigned address, std::string &known);
// i2c show: the type's registers read in one transaction; `result` is the
// library's code of a failed one (the document is then empty).
Document i2cShowDocument(const regmap::Block &type, unsigned channel, unsigned address, int &result);

// pci dump: the 256 bytes of the header, null where a read failed.
Document pciDumpDocument(RequestFailure &failure);

// edid: a port's EDID as read (readEdid), its bytes in hex, and its identity.
Document edidDocument(unsigned port, const Edid &edid);

// version: the driver's and the front end's (`program`).
Outcome versionDocument(const char *program, Document &document);

}  // namespace client

#endif
