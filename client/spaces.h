// The four address spaces that clients read and write: register space,
// video memory, the CRTC registers and PCI configuration space, with the
// library's functions of each width and the checks that keep it from
// printing (offsets, widths, whole PCI words).
#ifndef TKV_CLIENT_SPACES_H
#define TKV_CLIENT_SPACES_H

#include <stdint.h>

#include <string>

// Requests return 0 or the error number of their failure.
using ItemReader = int (*)(uint32_t offset, uint64_t &value);
using ItemWriter = int (*)(uint32_t offset, uint64_t value);

struct Space {
    const char *name;
    uint32_t size;          // offsets 0 to size - 1
    uint8_t widths;         // the access widths it takes, as a mask of 1, 2, 4 and 8
    uint8_t writeWidths;    // the widths it is written with: a subset of `widths`
    uint8_t defaultWidth;   // of read and write
    uint8_t wordBytes;      // items must lie inside one aligned word of this size (0: any)
    ItemReader readers[4];  // by width 1, 2, 4, 8 (null where not taken)
    ItemWriter writers[4];
    int (*readQuad)(uint32_t, uint64_t *);  // the library's own, for bulk reads; or null

    bool takes(unsigned width) const { return (widths & width) != 0; }
    bool writes(unsigned width) const { return (writeWidths & width) != 0; }
    // The narrowest write: every write starts and ends on a multiple of it.
    unsigned writeUnit() const { return writeWidths & -writeWidths; }
    int read(uint32_t offset, unsigned width, uint64_t &value) const;
    int write(uint32_t offset, unsigned width, uint64_t value) const;

    // What is wrong with reading (or, `writing`, writing) `count` items of
    // `width` bytes from `offset`, in a usage error's words; empty when
    // nothing is.  Every front end refuses these before a request is made.
    std::string itemsProblem(uint32_t offset, unsigned width, uint64_t count, bool writing) const;
    // The same for a transfer of `length` bytes in items of `width`.
    std::string runProblem(uint32_t offset, uint64_t length, unsigned width, bool writing) const;

private:
    std::string widthProblem(uint32_t offset, unsigned width, bool several, bool writing) const;
};

// The space called `name`, or null.
const Space *findSpace(const char *name);
const Space &pciSpace();

// The value bits of a width in bytes.
constexpr uint64_t widthMask(unsigned width) {
    return width >= 8 ? ~uint64_t{0} : (uint64_t{1} << (8 * width)) - 1;
}

#endif
