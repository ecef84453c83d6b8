#include "spaces.h"

#include <errno.h>
#include <stdio.h>
#include <string.h>

#include "../common/device_facts.h"
#include "library_result.h"
#include "tekvaro.h"

namespace {

// The library's reads and writes of each width, as one uniform signature.
template <typename T, int (*Read)(uint32_t, T *)>
int readAs(uint32_t offset, uint64_t &value) {
    T item = 0;
    int result = Read(offset, &item);
    if (result != 0) return errorOf(result);
    value = item;
    return 0;
}

template <typename T, int (*Write)(uint32_t, T)>
int writeAs(uint32_t offset, uint64_t value) {
    int result = Write(offset, static_cast<T>(value));
    return result == 0 ? 0 : errorOf(result);
}

// PCI configuration space is reached 32 bits at a time: a byte or a word is
// cut out of its dword.  It is written only in whole dwords: writing a part
// would mean writing the rest of the dword back as it was read, and status
// bits that clear when written as 1 would be cleared.
template <unsigned Width>
int pciRead(uint32_t offset, uint64_t &value) {
    uint32_t dword = 0;
    if (int result = tkvPciRead(offset & ~3u, &dword)) return errorOf(result);
    value = (dword >> (8 * (offset & 3))) & widthMask(Width);
    return 0;
}

int pciWrite(uint32_t offset, uint64_t value) {
    int result = tkvPciWrite(offset, static_cast<uint32_t>(value));
    return result == 0 ? 0 : errorOf(result);
}

constexpr unsigned widthIndex(unsigned width) { return width == 8 ? 3 : width == 4 ? 2 : width == 2 ? 1 : 0; }

// One space a paragraph: name, size, widths, write widths, default width,
// word size, readers, writers, bulk reader.
// clang-format off
const Space kSpaces[] = {
    {"reg", device_facts::kRegisterSpaceSize, 1 | 2 | 4 | 8, 1 | 2 | 4 | 8, 4, 0,
     {readAs<uint8_t, tkvRegReadByte>, readAs<uint16_t, tkvRegReadWord>,
      readAs<uint32_t, tkvRegReadLong>, readAs<uint64_t, tkvRegReadQuad>},
     {writeAs<uint8_t, tkvRegWriteByte>, writeAs<uint16_t, tkvRegWriteWord>,
      writeAs<uint32_t, tkvRegWriteLong>, writeAs<uint64_t, tkvRegWriteQuad>},
     tkvRegReadQuad},
    {"vram", device_facts::kVideoMemorySize, 1 | 2 | 4 | 8, 1 | 2 | 4 | 8, 4, 0,
     {readAs<uint8_t, tkvVramReadByte>, readAs<uint16_t, tkvVramReadWord>,
      readAs<uint32_t, tkvVramReadLong>, readAs<uint64_t, tkvVramReadQuad>},
     {writeAs<uint8_t, tkvVramWriteByte>, writeAs<uint16_t, tkvVramWriteWord>,
      writeAs<uint32_t, tkvVramWriteLong>, writeAs<uint64_t, tkvVramWriteQuad>},
     tkvVramReadQuad},
    // Indices 0 to 0xFE: the library refuses 0xFF.
    {"crtc", device_facts::kCrtcRegisters, 1, 1, 1, 0,
     {readAs<uint8_t, tkvCrtcReadByte>}, {writeAs<uint8_t, tkvCrtcWriteByte>}, nullptr},
    // The configuration header: offsets 0 to 0xFF.
    {"pci", device_facts::kPciConfigBytes, 1 | 2 | 4, 4, 4, 4,
     {pciRead<1>, pciRead<2>, pciRead<4>}, {nullptr, nullptr, pciWrite}, nullptr},
};
// clang-format on

}  // namespace

// A width the space has no request for is refused, not called through: the
// register maps' loader refuses such registers, and this keeps any caller
// that slips past it from a call through a null pointer.
int Space::read(uint32_t offset, unsigned width, uint64_t &value) const {
    const ItemReader reader = takes(width) ? readers[widthIndex(width)] : nullptr;
    return reader ? reader(offset, value) : EINVAL;
}

int Space::write(uint32_t offset, unsigned width, uint64_t value) const {
    const ItemWriter writer = writes(width) ? writers[widthIndex(width)] : nullptr;
    return writer ? writer(offset, value) : EINVAL;
}

namespace {

const char *article(unsigned width) { return width == 8 ? "an" : "a"; }

template <typename... Args>
std::string format(const char *pattern, Args... args) {
    char text[200];
    snprintf(text, sizeof text, pattern, args...);
    return text;
}

}  // namespace

std::string Space::widthProblem(uint32_t offset, unsigned width, bool several, bool writing) const {
    if (!takes(width)) return format("%s has no %u-byte items", name, width);
    if (writing && !writes(width))
        return format(
            "%s is written in whole %u-byte words: %s %u-byte write would write back "
            "the rest of its word (use -m MASK to change some bits)",
            name, writeUnit(), article(width), width);
    // A PCI item is cut out of one 32-bit request; a run of them lies at
    // multiples of their width, so that none reaches into the next word.
    if (wordBytes && (offset % wordBytes + width > wordBytes || (several && offset % width != 0)))
        return format("%u-byte %s items from 0x%x cross %u-byte words", width, name, offset,
                      unsigned{wordBytes});
    if (offset >= size) return format("address 0x%x is outside %s (0 to 0x%x)", offset, name, size - 1);
    return {};
}

std::string Space::itemsProblem(uint32_t offset, unsigned width, uint64_t count, bool writing) const {
    std::string problem = widthProblem(offset, width, count > 1, writing);
    if (!problem.empty() || uint64_t{offset} + count * width <= size) return problem;
    if (count == 1)
        return format("%s %u-byte item at 0x%x runs past the end of %s (0x%x)", article(width), width, offset,
                      name, size);
    return format("0x%llx items from 0x%x run past the end of %s (0x%x)",
                  static_cast<unsigned long long>(count), offset, name, size);
}

std::string Space::runProblem(uint32_t offset, uint64_t length, unsigned width, bool writing) const {
    std::string problem = widthProblem(offset, width, length > width, writing);
    if (!problem.empty()) return problem;
    if (uint64_t{offset} + length > size)
        return format("0x%llx bytes from 0x%x run past the end of %s (0x%x)",
                      static_cast<unsigned long long>(length), offset, name, size);
    if (length % width != 0)
        return format("length 0x%llx is not a multiple of the width %u",
                      static_cast<unsigned long long>(length), width);
    return {};
}

const Space *findSpace(const char *name) {
    for (const Space &space : kSpaces)
        if (strcmp(space.name, name) == 0) return &space;
    return nullptr;
}

const Space &pciSpace() { return kSpaces[3]; }
