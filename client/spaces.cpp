#include "spaces.h"

#include <errno.h>
#include <string.h>

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
    {"reg", 0x1000000, 1 | 2 | 4 | 8, 1 | 2 | 4 | 8, 4, 0,
     {readAs<uint8_t, tkvRegReadByte>, readAs<uint16_t, tkvRegReadWord>,
      readAs<uint32_t, tkvRegReadLong>, readAs<uint64_t, tkvRegReadQuad>},
     {writeAs<uint8_t, tkvRegWriteByte>, writeAs<uint16_t, tkvRegWriteWord>,
      writeAs<uint32_t, tkvRegWriteLong>, writeAs<uint64_t, tkvRegWriteQuad>},
     tkvRegReadQuad},
    {"vram", 0x10000000, 1 | 2 | 4 | 8, 1 | 2 | 4 | 8, 4, 0,
     {readAs<uint8_t, tkvVramReadByte>, readAs<uint16_t, tkvVramReadWord>,
      readAs<uint32_t, tkvVramReadLong>, readAs<uint64_t, tkvVramReadQuad>},
     {writeAs<uint8_t, tkvVramWriteByte>, writeAs<uint16_t, tkvVramWriteWord>,
      writeAs<uint32_t, tkvVramWriteLong>, writeAs<uint64_t, tkvVramWriteQuad>},
     tkvVramReadQuad},
    // Indices 0 to 0xFE: the library refuses 0xFF.
    {"crtc", 0xFF, 1, 1, 1, 0,
     {readAs<uint8_t, tkvCrtcReadByte>}, {writeAs<uint8_t, tkvCrtcWriteByte>}, nullptr},
    // The configuration header: offsets 0 to 0xFF.
    {"pci", 0x100, 1 | 2 | 4, 4, 4, 4,
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

const Space *findSpace(const char *name) {
    for (const Space &space : kSpaces)
        if (strcmp(space.name, name) == 0) return &space;
    return nullptr;
}

const Space &pciSpace() { return kSpaces[3]; }
