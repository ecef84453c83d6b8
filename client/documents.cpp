#include "documents.h"

#include <fnmatch.h>
#include <stdio.h>
#include <string.h>

#include "core_version.h"
#include "i2c_channel.h"

namespace client {

namespace {

bool matches(const char *pattern, const std::string &name) {
    return fnmatch(pattern, name.c_str(), FNM_CASEFOLD) == 0;
}

// A register of a block and its decoded fields; a write-only one has no value.
Document shownRegister(const regmap::Register &r, uint32_t address, const uint64_t *value) {
    Document item = {
        {"name", r.name}, {"address", address}, {"value", value ? Document(*value) : Document()}};
    if (value)
        for (const regmap::Field &f : r.fields) item["fields"][f.name] = f.extract(*value);
    return item;
}

Document blockHeading(const std::string &name, const std::string &description, const char *where) {
    return {{"block", name}, {"description", description}, {"at", where}, {"registers", Document::array()}};
}

}  // namespace

std::string requestFailureText(const char *operation, const RequestFailure &failure) {
    char text[256];
    snprintf(text, sizeof text, "%s %s 0x%08x (%u byte%s): %s", operation, failure.space, failure.address,
             failure.bytes, failure.bytes == 1 ? "" : "s", strerror(failure.error));
    return text;
}

Document registerListDocument(const regmap::Map &map, const char *pattern) {
    Document list = Document::array();
    for (const regmap::Block &b : map.blocks)
        for (const regmap::Instance &i : b.instances)
            for (const regmap::Register &r : b.registers) {
                const std::string name = i.name + "." + r.name;
                if (!matches(pattern, name) && !matches(pattern, r.name)) continue;
                list.push_back({{"name", name},
                                {"space", regmap::spaceName(b.space)},
                                {"address", i.base + r.offset},
                                {"width", r.width},
                                {"access", regmap::accessName(r.access)},
                                {"description", r.description}});
            }
    return list;
}

bool blockChosen(const regmap::Block &block, const regmap::Instance &instance,
                 const std::vector<std::string> &blocks) {
    bool chosen = blocks.empty() && block.space != regmap::Space::I2c;
    for (const std::string &word : blocks)
        chosen = chosen || regmap::sameName(word, block.name) || regmap::sameName(word, instance.name);
    return chosen;
}

const regmap::Block *findBlock(const regmap::Map &map, std::string_view name,
                               std::vector<std::string> *known) {
    const regmap::Block *found = nullptr;
    for (const regmap::Block &b : map.blocks) {
        if (known) known->push_back(b.name);
        for (const regmap::Instance &i : b.instances) {
            if (regmap::sameName(name, b.name) || regmap::sameName(name, i.name)) found = &b;
            if (known && i.name != b.name) known->push_back(i.name);
        }
    }
    return found;
}

Document showDocument(const regmap::Map &map, const std::vector<std::string> &blocks,
                      RequestFailure &failure) {
    Document document = Document::array();
    failure = {};
    for (const regmap::Block &b : map.blocks)
        for (const regmap::Instance &i : b.instances) {
            if (!blockChosen(b, i, blocks) || failure.failed()) continue;
            char where[32];
            snprintf(where, sizeof where, "%s 0x%08x", regmap::spaceName(b.space), i.base);
            document.push_back(blockHeading(i.name, b.description, where));
            Document &list = document.back()["registers"];
            const Space &space = *findSpace(regmap::spaceName(b.space));
            for (const regmap::Register &r : b.registers) {
                const uint32_t address = i.base + r.offset;
                if (r.access == regmap::Access::WriteOnly) {
                    list.push_back(shownRegister(r, address, nullptr));
                    continue;
                }
                uint64_t value = 0;
                if (int error = space.read(address, r.bytes(), value)) {
                    failure = {error, space.name, address, r.bytes()};
                    break;
                }
                list.push_back(shownRegister(r, address, &value));
            }
        }
    return document;
}

Document namedValue(const regmap::Name &name, uint64_t registerValue) {
    if (name.field) return {{"name", name.text()}, {"value", name.field->extract(registerValue)}};
    Document item = {{"address", name.address()}, {"value", registerValue}, {"name", name.text()}};
    for (const regmap::Field &f : name.reg->fields) item["fields"][f.name] = f.extract(registerValue);
    return item;
}

Document namedReadDocument(const regmap::Name &name, RequestFailure &failure) {
    const Space &space = *findSpace(regmap::spaceName(name.block->space));
    return readDocument(space, name.address(), name.reg->bytes(), 1, &name, true, failure);
}

Document registerDocument(const regmap::Name &name, uint64_t registerValue) {
    regmap::Name whole = name;
    whole.field = nullptr;
    return {{"space", regmap::spaceName(name.block->space)},
            {"width", name.reg->width},
            {"values", Document::array({namedValue(whole, registerValue)})}};
}

Document readDocument(const Space &space, uint32_t address, unsigned width, uint32_t count,
                      const regmap::Name *name, bool decode, RequestFailure &failure) {
    Document values = Document::array();
    failure = {};
    for (uint32_t i = 0; i < count; ++i, address += width) {
        uint64_t value = 0;
        if (int error = space.read(address, width, value)) {
            failure = {error, space.name, address, width};
            break;
        }
        if (name && (name->field || decode)) {
            values.push_back(namedValue(*name, value));
            continue;
        }
        Document item = {{"address", address}, {"value", value}};
        if (name) item["name"] = name->text();
        values.push_back(item);
    }
    // A value whose request failed is never in it: the document holds those before it.
    return {{"space", space.name}, {"width", 8 * width}, {"values", values}};  // bits, as everywhere
}

Outcome i2cListDocument(Document &document) {
    document = Document::array();
    for (unsigned channel = 0; channel < kI2cChannels; ++channel) {
        ChannelState state{};
        if (int error = readChannelState(channel, state))
            return failed(Failure::Device, "channel " + std::to_string(channel) + ": " + strerror(error),
                          error);
        document.push_back(
            {{"channel", channel}, {"enabled", state.enabled()}, {"prescale", state.prescale}});
    }
    return succeeded();
}

Outcome i2cDetectDocument(unsigned channel, Document &document) {
    bool present[0x80];
    unsigned failedAt = 0;
    if (int result = detectDevices(channel, present, failedAt))
        return failed(Failure::Device, i2cReason(result), 0, result);
    Document found = Document::array();
    for (unsigned address = kFirstI2cAddress; address <= kLastI2cAddress; ++address)
        if (present[address]) found.push_back(address);
    document = {{"channel", channel}, {"addresses", found}};
    return succeeded();
}

Document i2cDumpDocument(unsigned channel, unsigned address, int &result, unsigned &failedAt) {
    constexpr unsigned kRow = 16;
    Document registers = Document::array();  // null where a register could not be read
    result = 0;
    failedAt = 0;
    for (unsigned row = 0; row < kI2cRegisters; row += kRow) {
        uint8_t bytes[kRow] = {};
        const int rowResult = result ? result : i2cRead(channel, address, row, kRow, bytes);
        if (rowResult != 0 && !result) {
            result = rowResult;
            failedAt = row;
        }
        for (uint8_t byte : bytes) registers.push_back(rowResult ? Document() : Document(byte));
    }
    return {{"channel", channel}, {"address", address}, {"registers", registers}};
}

const regmap::Block *i2cDeviceType(const regmap::Map &map, unsigned address, std::string &known) {
    const regmap::Block *type = nullptr;
    known.clear();
    for (const regmap::Block &b : map.blocks) {
        if (b.space != regmap::Space::I2c) continue;
        known += (known.empty() ? "" : "; ") + b.name + " at";
        for (uint8_t a : b.i2cAddresses) {
            char text[16];
            snprintf(text, sizeof text, "%s 0x%02x", a == b.i2cAddresses[0] ? "" : ",", a);
            known += text;
            if (a == address && !type) type = &b;
        }
    }
    return type;
}

Document i2cShowDocument(const regmap::Block &type, unsigned channel, unsigned address, int &result) {
    uint8_t bytes[kI2cRegisters] = {};
    Document document = Document::array();
    if ((result = i2cRead(channel, address, 0, type.span(), bytes))) return document;
    char where[48];
    snprintf(where, sizeof where, "I2C channel %u address 0x%02x", channel, address);
    document.push_back(blockHeading(type.name, type.description, where));
    Document &list = document.back()["registers"];
    for (const regmap::Register &r : type.registers) {
        uint64_t value = 0;
        for (unsigned k = 0; k < r.bytes(); ++k) value |= uint64_t{bytes[r.offset + k]} << (8 * k);
        list.push_back(shownRegister(r, r.offset, r.access == regmap::Access::WriteOnly ? nullptr : &value));
    }
    return document;
}

Document pciDumpDocument(RequestFailure &failure) {
    const Space &space = pciSpace();
    failure = {};
    Document header = Document::array();  // null where a byte could not be read
    for (uint32_t offset = 0; offset < pciSpace().size; offset += 4) {
        uint64_t dword = 0;
        const int error = space.read(offset, 4, dword);
        if (error && !failure.failed()) failure = {error, space.name, offset, 4};
        for (int i = 0; i < 4; ++i, dword >>= 8)
            header.push_back(error ? Document() : Document(static_cast<uint8_t>(dword)));
    }
    return {{"header", header}};
}

Document edidDocument(unsigned port, const Edid &edid) {
    static constexpr char kDigits[] = "0123456789abcdef";
    std::string hex;
    hex.reserve(2 * edid.bytes.size());
    for (uint8_t byte : edid.bytes) {
        hex += kDigits[byte >> 4];
        hex += kDigits[byte & 15];
    }
    const int block = edid.valid ? -1 : edid.badBlock;
    EdidIdentity identity;
    const bool decoded = decodeEdidIdentity(edid.bytes, identity);
    return {{"port", port},
            {"length", edid.bytes.size()},
            {"bytes", hex},
            {"valid", edid.valid},
            {"bad_block", block >= 0 ? Document(block) : Document()},
            {"identity", decoded ? Document(toJson(identity)) : Document()}};
}

Outcome versionDocument(const char *program, Document &document) {
    CoreVersion version;
    Outcome read = readCoreVersion(version);
    if (!read.ok()) return read;
    document = {{"driver", version.text()}, {"tool", program}};
    return succeeded();
}

}  // namespace client
