// The register map: the device's blocks, their instances, registers and
// fields, as the map files describe them (see tekvaro-regmap(5)).
#ifndef TKV_CLIENT_REGMAP_H
#define TKV_CLIENT_REGMAP_H

#include <stdint.h>

#include <string>
#include <string_view>
#include <vector>

namespace regmap {

enum class Access : uint8_t { ReadWrite, ReadOnly, WriteOnly };
enum class Space : uint8_t { Reg, Crtc, Pci, I2c };

const char *accessName(Access access);  // "rw", "ro", "wo"
const char *spaceName(Space space);     // "reg", "crtc", "pci", "i2c"
// The offsets a space has: 0 to spaceSize - 1.
uint32_t spaceSize(Space space);
// Whether the space has requests of `bits` (8, 16, 32 or 64), and the width
// of a register that gives none.
bool spaceTakes(Space space, unsigned bits);
unsigned naturalWidth(Space space);

struct NamedValue {
    uint64_t value;
    std::string name;
};

struct Field {
    std::string name;
    unsigned lsb = 0, msb = 0;  // bit range, inclusive
    Access access = Access::ReadWrite;
    std::string description;
    std::vector<NamedValue> values;
    unsigned line = 0;

    unsigned bits() const { return msb - lsb + 1; }
    uint64_t mask() const { return (bits() >= 64 ? ~uint64_t{0} : (uint64_t{1} << bits()) - 1) << lsb; }
    uint64_t extract(uint64_t registerValue) const { return (registerValue & mask()) >> lsb; }
    // The name of a value, or null.
    const char *valueName(uint64_t value) const;
};

struct Register {
    std::string name;
    uint32_t offset = 0;
    unsigned width = 32;  // bits: 8, 16, 32 or 64, as the space takes them
    Access access = Access::ReadWrite;
    bool hasReset = false;
    uint64_t reset = 0;
    std::string description;
    std::vector<Field> fields;
    unsigned line = 0;

    unsigned bytes() const { return width / 8; }
};

struct Instance {
    std::string name;
    uint32_t base = 0;
    unsigned line = 0;
};

struct Block {
    std::string name;
    Space space = Space::Reg;
    std::string description;
    std::vector<Instance> instances;  // a block without any has one: its own name at 0
    std::vector<Register> registers;
    std::vector<uint8_t> i2cAddresses;  // an i2c device type's usual addresses
    std::string file;
    unsigned line = 0;

    // One past the last byte its registers take: what one run reads whole.
    unsigned span() const {
        unsigned end = 0;
        for (const Register &r : registers) end = r.offset + r.bytes() > end ? r.offset + r.bytes() : end;
        return end;
    }
};

// A fault found in a map file: "FILE:LINE: MESSAGE" ("FILE: MESSAGE" when
// it is the whole file's).  A note tells what loading does, and is no fault.
struct Fault {
    std::string file;
    unsigned line = 0;
    std::string message;
    bool note = false;
};

struct Map {
    std::vector<Block> blocks;
};

// Reads the blocks of one map file's text; false, with the faults, when it
// is not a valid map.  `file` names it in the faults.  The blocks read
// without a fault are added either way, so that a check goes on with them.
bool parseMap(std::string_view text, const std::string &file, std::vector<Block> &blocks,
              std::vector<Fault> &faults);
// The same for a file, which must be a regular file of at most 1 MiB.
bool loadMapFile(const std::string &path, std::vector<Block> &blocks, std::vector<Fault> &faults);

// Adds blocks to the map; a block replaces the map's block of the same name.
void addBlocks(Map &map, std::vector<Block> &&blocks);

// The faults of a set of blocks taken together: a register outside its
// space, overlapping registers, a field beyond its register, overlapping
// fields, a name given twice.
void checkBlocks(const std::vector<Block> &blocks, std::vector<Fault> &faults);

// What `tkvtool regmap check` reports of files taken together as loading
// takes them: each file's faults, a note for a block that replaces one of an
// earlier file, and the faults of the blocks that loading would keep.  True
// when there is no fault (notes aside).
bool checkFiles(const std::vector<std::string> &files, std::vector<Fault> &faults);

bool sameName(std::string_view a, std::string_view b);  // case-insensitive
std::string foldedName(std::string_view name);          // the key sameName compares

// "FILE:LINE: MESSAGE", or "FILE: MESSAGE", escaped for a terminal.
std::string faultText(const Fault &fault);

}  // namespace regmap

#endif
