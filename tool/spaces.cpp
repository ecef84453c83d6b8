#include "spaces.h"

#include <string.h>

#include "report.h"
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
// cut out of its dword, and written back into it.
int pciDword(uint32_t offset, uint32_t &dword) {
    dword = 0;
    int result = tkvPciRead(offset & ~3u, &dword);
    return result == 0 ? 0 : errorOf(result);
}

template <unsigned Width>
int pciRead(uint32_t offset, uint64_t &value) {
    uint32_t dword;
    if (int error = pciDword(offset, dword)) return error;
    value = (dword >> (8 * (offset & 3))) & widthMask(Width);
    return 0;
}

template <unsigned Width>
int pciWrite(uint32_t offset, uint64_t value) {
    uint32_t dword = static_cast<uint32_t>(value);
    if (Width < 4) {
        if (int error = pciDword(offset, dword)) return error;
        const unsigned shift = 8 * (offset & 3);
        const uint32_t mask = static_cast<uint32_t>(widthMask(Width)) << shift;
        dword = (dword & ~mask) | ((static_cast<uint32_t>(value) << shift) & mask);
    }
    int result = tkvPciWrite(offset & ~3u, dword);
    return result == 0 ? 0 : errorOf(result);
}

constexpr unsigned widthIndex(unsigned width) { return width == 8 ? 3 : width == 4 ? 2 : width == 2 ? 1 : 0; }

// One space a paragraph: name, size, widths, default width, word size,
// readers, writers, bulk reader.
// clang-format off
const Space kSpaces[] = {
    {"reg", 0x1000000, 1 | 2 | 4 | 8, 4, 0,
     {readAs<uint8_t, tkvRegReadByte>, readAs<uint16_t, tkvRegReadWord>,
      readAs<uint32_t, tkvRegReadLong>, readAs<uint64_t, tkvRegReadQuad>},
     {writeAs<uint8_t, tkvRegWriteByte>, writeAs<uint16_t, tkvRegWriteWord>,
      writeAs<uint32_t, tkvRegWriteLong>, writeAs<uint64_t, tkvRegWriteQuad>},
     tkvRegReadQuad},
    {"vram", 0x10000000, 1 | 2 | 4 | 8, 4, 0,
     {readAs<uint8_t, tkvVramReadByte>, readAs<uint16_t, tkvVramReadWord>,
      readAs<uint32_t, tkvVramReadLong>, readAs<uint64_t, tkvVramReadQuad>},
     {writeAs<uint8_t, tkvVramWriteByte>, writeAs<uint16_t, tkvVramWriteWord>,
      writeAs<uint32_t, tkvVramWriteLong>, writeAs<uint64_t, tkvVramWriteQuad>},
     tkvVramReadQuad},
    // Indices 0 to 0xFE: the library refuses 0xFF.
    {"crtc", 0xFF, 1, 1, 0,
     {readAs<uint8_t, tkvCrtcReadByte>}, {writeAs<uint8_t, tkvCrtcWriteByte>}, nullptr},
    // The extended configuration space of PCI Express; the driver decides how
    // much of it the device has.
    {"pci", 0x1000, 1 | 2 | 4, 4, 4,
     {pciRead<1>, pciRead<2>, pciRead<4>}, {pciWrite<1>, pciWrite<2>, pciWrite<4>}, nullptr},
};
// clang-format on

}  // namespace

int Space::read(uint32_t offset, unsigned width, uint64_t &value) const {
    return readers[widthIndex(width)](offset, value);
}

int Space::write(uint32_t offset, unsigned width, uint64_t value) const {
    return writers[widthIndex(width)](offset, value);
}

const Space *findSpace(const char *name) {
    for (const Space &space : kSpaces)
        if (strcmp(space.name, name) == 0) return &space;
    return nullptr;
}

const Space &pciSpace() { return kSpaces[3]; }
