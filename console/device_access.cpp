#include "device_access.h"

#include "tekvaro.h"

namespace {

template <typename T, int (*Read)(uint32_t, T *)>
int readAs(uint32_t offset, uint64_t *value) {
    T v = 0;
    int result = Read(offset, &v);
    *value = v;
    return result;
}

// A dump's item source that calls the library directly: one indirect call
// per item instead of two.
template <typename T, int (*Read)(uint32_t, T *)>
uint64_t itemAs(const void *, uint32_t address, int32_t) {
    T v = 0;
    Read(address, &v);
    return v;
}

template <typename T, int (*Write)(uint32_t, T)>
int writeAs(uint32_t offset, uint64_t value) {
    return Write(offset, static_cast<T>(value));
}

#define TKV_ACCESS(area, width, type)                                                 \
    Access {                                                                          \
        readAs<type, tkv##area##Read##width>, writeAs<type, tkv##area##Write##width>, \
            itemAs<type, tkv##area##Read##width>                                      \
    }

// Indexed by log2 of the width.
const Access kReg[] = {TKV_ACCESS(Reg, Byte, uint8_t), TKV_ACCESS(Reg, Word, uint16_t),
                       TKV_ACCESS(Reg, Long, uint32_t), TKV_ACCESS(Reg, Quad, uint64_t)};
const Access kVram[] = {TKV_ACCESS(Vram, Byte, uint8_t), TKV_ACCESS(Vram, Word, uint16_t),
                        TKV_ACCESS(Vram, Long, uint32_t), TKV_ACCESS(Vram, Quad, uint64_t)};
const Access kCrtc = TKV_ACCESS(Crtc, Byte, uint8_t);
#undef TKV_ACCESS

int widthIndex(int width) {
    switch (width) {
    case 1: return 0;
    case 2: return 1;
    case 4: return 2;
    case 8: return 3;
    default: return -1;
    }
}

}  // namespace

const Access *deviceAccess(Target target, int width) {
    int index = widthIndex(width);
    if (index < 0) return nullptr;
    switch (target) {
    case Target::Reg: return &kReg[index];
    case Target::Vram: return &kVram[index];
    case Target::Crtc: return index == 0 ? &kCrtc : nullptr;
    }
    return nullptr;
}
