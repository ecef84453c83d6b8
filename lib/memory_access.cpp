// Register space, video memory and CRTC access: one request per access,
// sixteen exported functions generated from one table of spaces and widths.
#include <errno.h>
#include <stdio.h>

#include "driver.h"
#include "regmap_offsets.h"
#include "tekvaro.h"

namespace {

struct Space {
    uint32_t region;
    uint32_t limit;  // largest accepted offset
};
constexpr Space kReg{REGION_REG, 0xFFFFFFu};
constexpr Space kVram{REGION_VRAM, 0xFFFFFFFu};

constexpr uint32_t kCrtcIndexLimit = 0xFE;
constexpr uint32_t kCrtcIndexPort = regmap_offsets::CRTC_PORT_INDEX;
constexpr uint32_t kCrtcDataPort = regmap_offsets::CRTC_PORT_DATA;

int refuseOffset() {
    fputs("Invalid argument: offset is out of range\n", stderr);
    return -EINVAL;
}

// The request's result, and the record's value field after it.
struct Answer {
    int result;
    uint64_t value;
};

// Every call fills a record of its own: calls from two threads never meet.
Answer transfer(uint32_t region, uint32_t direction, uint32_t size, uint32_t offset, uint64_t value) {
    mmio_rw_t record{region, direction, size, offset, value};
    const int result = tkv::request(IOCTL_MMIO_RW, &record);
    return {result, record.value};
}

// The value is stored whatever the request's result: the caller looks at the
// result.  A null output makes the request and stores nothing.
template <typename T>
int readAt(const Space &space, uint32_t offset, T *value) {
    if (offset > space.limit) return refuseOffset();
    const Answer answer = transfer(space.region, DIR_READ, sizeof(T), offset, 0);
    if (value) *value = static_cast<T>(answer.value);
    return answer.result;
}

template <typename T>
int writeAt(const Space &space, uint32_t offset, T value) {
    if (offset > space.limit) return refuseOffset();
    return transfer(space.region, DIR_WRITE, sizeof(T), offset, value).result;
}

}  // namespace

#define TKV_MEMORY_FUNCTIONS(X)    \
    X(Reg, Byte, uint8_t, kReg)    \
    X(Reg, Word, uint16_t, kReg)   \
    X(Reg, Long, uint32_t, kReg)   \
    X(Reg, Quad, uint64_t, kReg)   \
    X(Vram, Byte, uint8_t, kVram)  \
    X(Vram, Word, uint16_t, kVram) \
    X(Vram, Long, uint32_t, kVram) \
    X(Vram, Quad, uint64_t, kVram)

// NOLINTBEGIN(bugprone-macro-parentheses): `type *` names a pointer type, not an expression
#define TKV_DEFINE_ACCESS(area, width, type, space)                               \
    extern "C" TKV_API int tkv##area##Read##width(uint32_t offset, type *value) { \
        return readAt(space, offset, value);                                      \
    }                                                                             \
    extern "C" TKV_API int tkv##area##Write##width(uint32_t offset, type value) { \
        return writeAt(space, offset, value);                                     \
    }
// NOLINTEND(bugprone-macro-parentheses)
TKV_MEMORY_FUNCTIONS(TKV_DEFINE_ACCESS)
#undef TKV_DEFINE_ACCESS

// The index phase's result is not looked at: only the data phase counts.
extern "C" TKV_API int tkvCrtcReadByte(uint32_t index, uint8_t *value) {
    if (index > kCrtcIndexLimit) return refuseOffset();
    transfer(REGION_REG, DIR_WRITE, 1, kCrtcIndexPort, index);
    const Answer answer = transfer(REGION_REG, DIR_READ, 1, kCrtcDataPort, 0);
    if (value) *value = static_cast<uint8_t>(answer.value);
    return answer.result;
}

extern "C" TKV_API int tkvCrtcWriteByte(uint32_t index, uint8_t value) {
    if (index > kCrtcIndexLimit) return refuseOffset();
    transfer(REGION_REG, DIR_WRITE, 1, kCrtcIndexPort, index);
    return transfer(REGION_REG, DIR_WRITE, 1, kCrtcDataPort, value).result;
}
