// The faults a map can have beyond its syntax, over all the blocks given
// together: what `tkvtool regmap check` reports and every load refuses.
#include <stdio.h>

#include <algorithm>
#include <tuple>
#include <unordered_map>

#include "regmap.h"
#include "spaces.h"

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

// The bytes of a request in a space whose items lie inside one word (PCI
// configuration space is read a dword at a time).
unsigned wordBytes(Space space) {
    if (space == Space::I2c) return 0;
    return findSpace(spaceName(space))->wordBytes;
}

void checkPlacement(const std::vector<Block> &blocks, std::vector<Fault> &faults) {
    std::vector<Placed> placed;
    for (const Block &b : blocks)
        for (const Instance &i : b.instances)
            for (const Register &r : b.registers) {
                const uint64_t start = uint64_t{i.base} + r.offset, end = start + r.bytes();
                const unsigned word = wordBytes(b.space);
                if (end > spaceSize(b.space))
                    faults.push_back({b.file, r.line,
                                      i.name + "." + r.name + " at " + hex(start) + " is outside " +
                                          spaceName(b.space) + " (0 to " + hex(spaceSize(b.space) - 1) +
                                          ")"});
                else if (word && start % word + r.bytes() > word)
                    faults.push_back({b.file, r.line,
                                      i.name + "." + r.name + " at " + hex(start) + " crosses a " +
                                          std::to_string(word) + "-byte " + spaceName(b.space) + " word"});
                placed.push_back({&b, &i, &r, start, end});
            }
    // i2c device types each have their own registers; the other spaces are one each.
    std::stable_sort(placed.begin(), placed.end(), [](const Placed &a, const Placed &b) {
        if (a.block->space != b.block->space) return a.block->space < b.block->space;
        if (a.block->space == Space::I2c && a.block != b.block) return a.block < b.block;
        return a.start < b.start;
    });
    // Each register against the one before it that reaches furthest: a
    // register is reported once, however many it overlaps, so that the check
    // stays linear after the sort.
    const Placed *reach = nullptr;
    for (const Placed &b : placed) {
        const bool sameSpace = reach && reach->block->space == b.block->space &&
                               (b.block->space != Space::I2c || reach->block == b.block);
        if (!sameSpace || b.start >= reach->end) {
            reach = &b;
            continue;
        }
        const Placed &a = *reach;
        if (!(readWritePair(*a.reg, *b.reg) && a.start == b.start && a.end == b.end))
            faults.push_back({b.block->file, b.reg->line,
                              b.instance->name + "." + b.reg->name + " at " + hex(b.start) + " overlaps " +
                                  a.instance->name + "." + a.reg->name + " at " + hex(a.start)});
        if (b.end > a.end) reach = &b;
    }
}

void checkFields(const Block &b, const Register &r, std::vector<Fault> &faults) {
    std::unordered_map<std::string, const Field *> names;
    const Field *owner[64] = {};  // the first field of each bit
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
        const auto [first, added] = names.emplace(foldedName(f.name), &f);
        if (!added) {
            faults.push_back({b.file, f.line,
                              "duplicate name " + b.name + "." + r.name + "." + f.name + " (also at line " +
                                  std::to_string(first->second->line) + ")"});
            continue;
        }
        const Field *overlapped = nullptr;
        for (unsigned bit = f.lsb; bit <= f.msb && bit < 64; ++bit) {
            if (owner[bit] && !overlapped) overlapped = owner[bit];
            if (!owner[bit]) owner[bit] = &f;
        }
        if (overlapped)
            faults.push_back(
                {b.file, f.line,
                 "field " + f.name + " overlaps field " + overlapped->name + " of " + b.name + "." + r.name});
    }
}

// Each name against the first of its spelling, found by its folded key.
void checkNames(const std::vector<Block> &blocks, std::vector<Fault> &faults) {
    // Blocks and instances: the names users type first.
    std::unordered_map<std::string, const Block *> blockNames;
    std::unordered_map<std::string, std::pair<const Block *, const Instance *>> instances;
    for (const Block &b : blocks) {
        const auto [firstBlock, newBlock] = blockNames.emplace(foldedName(b.name), &b);
        if (!newBlock)
            faults.push_back({b.file, b.line,
                              "duplicate name " + b.name + " (also at " +
                                  where(firstBlock->second->file, firstBlock->second->line) + ")"});
        for (const Instance &in : b.instances) {
            const auto [first, added] = instances.emplace(foldedName(in.name), std::make_pair(&b, &in));
            const auto &[otherBlock, other] = first->second;
            // A block given twice is reported once, as a block.
            if (!added && (otherBlock == &b || !sameName(b.name, otherBlock->name)))
                faults.push_back({b.file, in.line,
                                  "duplicate name " + in.name + " (also at " +
                                      where(otherBlock->file, other->line) + ")"});
        }
        std::unordered_map<std::string, const Register *> registers;
        registers.reserve(b.registers.size());
        for (const Register &r : b.registers) {
            const auto [first, added] = registers.emplace(foldedName(r.name), &r);
            if (!added)
                faults.push_back({b.file, r.line,
                                  "duplicate name " + b.name + "." + r.name + " (also at line " +
                                      std::to_string(first->second->line) + ")"});
        }
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

bool checkFiles(const std::vector<std::string> &files, std::vector<Fault> &faults) {
    std::vector<Block> blocks;
    std::unordered_map<std::string, size_t> byName;  // the block of each name that loading keeps
    std::vector<bool> replaced;
    for (const std::string &file : files) {
        std::vector<Block> read;
        loadMapFile(file, read, faults);
        const size_t firstOfFile = blocks.size();
        for (Block &b : read) {
            const auto [at, added] = byName.emplace(foldedName(b.name), blocks.size());
            // Within one file, a name given twice is a fault of the file.
            if (!added && at->second < firstOfFile) {
                const Block &old = blocks[at->second];
                faults.push_back({b.file, b.line,
                                  "block " + b.name + " replaces the one at " + where(old.file, old.line),
                                  true});
                replaced[at->second] = true;
                at->second = blocks.size();
            }
            blocks.push_back(std::move(b));
            replaced.push_back(false);
        }
    }
    std::vector<Block> kept;
    for (size_t i = 0; i < blocks.size(); ++i)
        if (!replaced[i]) kept.push_back(std::move(blocks[i]));
    checkBlocks(kept, faults);
    // In the order of the files given, each by line.
    std::unordered_map<std::string, size_t> order;
    for (const std::string &file : files) order.emplace(file, order.size());
    std::stable_sort(faults.begin(), faults.end(), [&order](const Fault &x, const Fault &y) {
        return std::make_pair(order[x.file], x.line) < std::make_pair(order[y.file], y.line);
    });
    return std::none_of(faults.begin(), faults.end(), [](const Fault &f) { return !f.note; });
}

}  // namespace regmap
