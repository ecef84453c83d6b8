// The faults a map can have beyond its syntax, over all the blocks given
// together: what `tkvtool regmap check` reports and every load refuses.
#include <stdio.h>

#include <algorithm>
#include <tuple>

#include "regmap.h"

namespace regmap {
namespace {

std::string hex(uint64_t value) {
    char text[24];
    snprintf(text, sizeof text, "0x%llx", static_cast<unsigned long long>(value));
    return text;
}

std::string where(const std::string &file, unsigned line) { return file + ":" + std::to_string(line); }

// One register of one instance, where it lies.
struct Placed {
    const Block *block;
    const Instance *instance;
    const Register *reg;
    uint64_t start, end;  // [start, end)
};

// A register that is only read and one that is only written may share an
// address: the read reaches the one, the write the other.
bool readWritePair(const Register &a, const Register &b) {
    return (a.access == Access::ReadOnly && b.access == Access::WriteOnly) ||
           (a.access == Access::WriteOnly && b.access == Access::ReadOnly);
}

void checkPlacement(const std::vector<Block> &blocks, std::vector<Fault> &faults) {
    std::vector<Placed> placed;
    for (const Block &b : blocks)
        for (const Instance &i : b.instances)
            for (const Register &r : b.registers) {
                const uint64_t start = uint64_t{i.base} + r.offset, end = start + r.bytes();
                if (end > spaceSize(b.space))
                    faults.push_back({b.file, r.line,
                                      i.name + "." + r.name + " at " + hex(start) + " is outside " +
                                          spaceName(b.space) + " (0 to " + hex(spaceSize(b.space) - 1) +
                                          ")"});
                placed.push_back({&b, &i, &r, start, end});
            }
    // i2c device types each have their own registers; the other spaces are one each.
    std::stable_sort(placed.begin(), placed.end(), [](const Placed &a, const Placed &b) {
        if (a.block->space != b.block->space) return a.block->space < b.block->space;
        if (a.block->space == Space::I2c && a.block != b.block) return a.block < b.block;
        return a.start < b.start;
    });
    for (size_t i = 0; i < placed.size(); ++i)
        for (size_t j = i + 1; j < placed.size(); ++j) {
            const Placed &a = placed[i], &b = placed[j];
            const bool sameSpace =
                a.block->space == b.block->space && (a.block->space != Space::I2c || a.block == b.block);
            if (!sameSpace || b.start >= a.end) break;
            if (readWritePair(*a.reg, *b.reg) && a.start == b.start && a.end == b.end) continue;
            faults.push_back({b.block->file, b.reg->line,
                              b.instance->name + "." + b.reg->name + " at " + hex(b.start) + " overlaps " +
                                  a.instance->name + "." + a.reg->name + " at " + hex(a.start)});
        }
}

void checkFields(const Block &b, const Register &r, std::vector<Fault> &faults) {
    for (size_t i = 0; i < r.fields.size(); ++i) {
        const Field &f = r.fields[i];
        if (f.msb >= r.width)
            faults.push_back({b.file, f.line,
                              b.name + "." + r.name + "." + f.name + " (bits " + std::to_string(f.lsb) + "-" +
                                  std::to_string(f.msb) + ") is beyond the register's " +
                                  std::to_string(r.width) + " bits"});
        for (const NamedValue &v : f.values)
            if (f.bits() < 64 && v.value >> f.bits())
                faults.push_back({b.file, f.line,
                                  "value " + hex(v.value) + " ('" + v.name + "') does not fit in " + f.name});
        for (size_t j = 0; j < i; ++j) {
            const Field &g = r.fields[j];
            if (sameName(f.name, g.name))
                faults.push_back({b.file, f.line,
                                  "duplicate name " + b.name + "." + r.name + "." + f.name +
                                      " (also at line " + std::to_string(g.line) + ")"});
            else if (f.mask() & g.mask())
                faults.push_back(
                    {b.file, f.line,
                     "field " + f.name + " overlaps field " + g.name + " of " + b.name + "." + r.name});
        }
    }
}

void checkNames(const std::vector<Block> &blocks, std::vector<Fault> &faults) {
    // Blocks and instances: the names users type first.
    std::vector<std::pair<const Block *, const Instance *>> instances;
    for (size_t i = 0; i < blocks.size(); ++i) {
        const Block &b = blocks[i];
        for (size_t j = 0; j < i; ++j)
            if (sameName(b.name, blocks[j].name))
                faults.push_back({b.file, b.line,
                                  "duplicate name " + b.name + " (also at " +
                                      where(blocks[j].file, blocks[j].line) + ")"});
        for (const Instance &in : b.instances) {
            for (const auto &[otherBlock, other] : instances)
                // A block given twice is reported once, as a block.
                if (sameName(in.name, other->name) &&
                    (otherBlock == &b || !sameName(b.name, otherBlock->name)))
                    faults.push_back({b.file, in.line,
                                      "duplicate name " + in.name + " (also at " +
                                          where(otherBlock->file, other->line) + ")"});
            instances.push_back({&b, &in});
        }
        for (size_t r = 0; r < b.registers.size(); ++r)
            for (size_t s = 0; s < r; ++s)
                if (sameName(b.registers[r].name, b.registers[s].name))
                    faults.push_back({b.file, b.registers[r].line,
                                      "duplicate name " + b.name + "." + b.registers[r].name +
                                          " (also at line " + std::to_string(b.registers[s].line) + ")"});
    }
}

}  // namespace

void checkBlocks(const std::vector<Block> &blocks, std::vector<Fault> &faults) {
    const size_t first = faults.size();
    checkNames(blocks, faults);
    checkPlacement(blocks, faults);
    for (const Block &b : blocks)
        for (const Register &r : b.registers) checkFields(b, r, faults);
    std::stable_sort(
        faults.begin() + static_cast<std::ptrdiff_t>(first), faults.end(),
        [](const Fault &a, const Fault &b) { return std::tie(a.file, a.line) < std::tie(b.file, b.line); });
}

}  // namespace regmap
