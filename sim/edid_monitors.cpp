// The built-in monitors: a 1920x1080 monitor with a CTA-861 extension on
// port 0, a 1280x1024 monitor on port 1, nothing on port 2, and on port 3 a
// 1366x768 panel whose EDID arrives with a broken checksum.  The EDIDs are
// version 1.3 base blocks assembled from the descriptions below.
#include "edid_monitors.h"

#include <string.h>

#include "device_state.h"

namespace sim {
namespace {

// A detailed timing descriptor's contents.
struct Timing {
    uint32_t pixelClockKHz;
    uint16_t hActive, hBlank, hFrontPorch, hSync;
    uint16_t vActive, vBlank, vFrontPorch, vSync;
    uint16_t widthMm, heightMm;
};

struct RangeLimits {
    uint8_t minVerticalHz, maxVerticalHz, minHorizontalKHz, maxHorizontalKHz, maxClockMHz;
};

// Standard timing aspect ratios, as the two top bits of the second byte.
enum Aspect : uint8_t { k16x10 = 0, k4x3 = 1, k5x4 = 2, k16x9 = 3 };
struct StandardTiming {
    uint16_t width;  // 0: unused slot
    Aspect aspect;
    uint8_t refreshHz;
};

struct Monitor {
    uint16_t productCode;
    uint8_t week;
    uint16_t year;
    uint8_t widthCm, heightCm;
    uint8_t established[3];
    StandardTiming standard[8];
    Timing preferred;
    RangeLimits range;
    const char *name;  // at most 13 characters
    const char *serialText;
    bool ctaExtension;
    bool badChecksum;
};

// CEA/VESA timings of the formats the monitors prefer.
constexpr Timing k1080p60{148500, 1920, 280, 88, 44, 1080, 45, 4, 5, 531, 299};
constexpr Timing k720p60{74250, 1280, 370, 110, 40, 720, 30, 5, 5, 531, 299};
constexpr Timing kSxga60{108000, 1280, 408, 48, 112, 1024, 42, 1, 3, 376, 301};
constexpr Timing kWxga60{85500, 1366, 426, 70, 143, 768, 30, 3, 3, 344, 194};

// One monitor a paragraph reads better than one field a line.
// clang-format off
constexpr Monitor kFullHd{0x1080, 12, 2024, 53, 30, {0x21, 0x08, 0x00},
    {{1920, k16x9, 60}, {1280, k16x9, 60}, {1280, k5x4, 60}, {1680, k16x10, 60}},
    k1080p60, {50, 76, 30, 83, 170}, "TKVSIM 1080", "ZZS01080", true, false};
constexpr Monitor kSxga{0x1024, 30, 2019, 38, 30, {0x21, 0x0B, 0x00},
    {{1280, k5x4, 60}, {1152, k4x3, 75}, {1024, k4x3, 75}},
    kSxga60, {50, 75, 30, 82, 140}, "TKVSIM SXGA", "ZZS01024", false, false};
constexpr Monitor kWxgaBroken{0x0768, 5, 2015, 34, 19, {0x21, 0x08, 0x00},
    {{1280, k16x9, 60}},
    kWxga60, {55, 65, 30, 50, 90}, "TKVSIM WXGA", "ZZS00768", false, true};
// clang-format on

constexpr const Monitor *kAttached[kDdcPorts] = {&kFullHd, &kSxga, nullptr, &kWxgaBroken};

constexpr char kManufacturer[] = "ZZS";  // a PNP ID nobody holds
constexpr uint8_t kDigitalInput = 0x80;
constexpr uint8_t kGamma22 = 120;  // (gamma - 1) * 100
constexpr uint8_t kSrgbRgbPreferredTiming = 0x0E;
// sRGB primaries and D65 white point, 10-bit fractions packed as the block stores them.
constexpr uint8_t kSrgbChromaticity[10] = {0xEE, 0x91, 0xA3, 0x54, 0x4C, 0x99, 0x26, 0x0F, 0x50, 0x54};
constexpr uint8_t kDigitalSeparateSyncPositive = 0x1E;
constexpr uint8_t kTagSerial = 0xFF, kTagRange = 0xFD, kTagName = 0xFC;
constexpr size_t kDescriptorSize = 18;

// The CTA-861 data block collection: video (1080p60, 720p60,
// 1080p50, 720p50, 480p 16:9 and 4:3, VGA), two-channel LPCM audio at
// 32/44.1/48 kHz and 16/20/24 bits, front left/right speakers, and video
// capabilities (selectable RGB quantization range, underscanned).
constexpr uint8_t kCtaDataBlocks[] = {
    0x47, 16, 4, 31, 19, 3, 2, 1, 0x23, 0x09, 0x07, 0x07, 0x83, 0x01, 0x00, 0x00, 0xE2, 0x00, 0x4A,
};
constexpr uint8_t kCtaTag = 0x02, kCtaRevision = 0x03;
constexpr uint8_t kCtaUnderscanBasicAudioOneNative = 0xC1;

constexpr uint8_t low(uint32_t v) { return static_cast<uint8_t>(v & 0xFF); }
constexpr uint8_t high(uint32_t v, unsigned shift, uint32_t mask) {
    return static_cast<uint8_t>((v >> shift) & mask);
}

void putTiming(uint8_t *d, const Timing &t) {
    const uint32_t clock = t.pixelClockKHz / 10;
    d[0] = low(clock);
    d[1] = high(clock, 8, 0xFF);
    d[2] = low(t.hActive);
    d[3] = low(t.hBlank);
    d[4] = static_cast<uint8_t>(high(t.hActive, 8, 0xF) << 4 | high(t.hBlank, 8, 0xF));
    d[5] = low(t.vActive);
    d[6] = low(t.vBlank);
    d[7] = static_cast<uint8_t>(high(t.vActive, 8, 0xF) << 4 | high(t.vBlank, 8, 0xF));
    d[8] = low(t.hFrontPorch);
    d[9] = low(t.hSync);
    d[10] = static_cast<uint8_t>((t.vFrontPorch & 0xF) << 4 | (t.vSync & 0xF));
    d[11] = static_cast<uint8_t>(high(t.hFrontPorch, 8, 3) << 6 | high(t.hSync, 8, 3) << 4 |
                                 high(t.vFrontPorch, 4, 3) << 2 | high(t.vSync, 4, 3));
    d[12] = low(t.widthMm);
    d[13] = low(t.heightMm);
    d[14] = static_cast<uint8_t>(high(t.widthMm, 8, 0xF) << 4 | high(t.heightMm, 8, 0xF));
    d[15] = d[16] = 0;  // no border
    d[17] = kDigitalSeparateSyncPositive;
}

// A display descriptor's text: ended by a line feed, padded with blanks.
void putText(uint8_t *d, uint8_t tag, const char *text) {
    memset(d, 0, 5);
    d[3] = tag;
    size_t n = strnlen(text, 13);
    memcpy(d + 5, text, n);
    if (n < 13) {
        d[5 + n] = 0x0A;
        memset(d + 6 + n, 0x20, 13 - n - 1);
    }
}

void putRange(uint8_t *d, const RangeLimits &r) {
    memset(d, 0, 5);
    d[3] = kTagRange;
    d[5] = r.minVerticalHz;
    d[6] = r.maxVerticalHz;
    d[7] = r.minHorizontalKHz;
    d[8] = r.maxHorizontalKHz;
    d[9] = static_cast<uint8_t>(r.maxClockMHz / 10);
    d[10] = 0x00;  // default GTF
    d[11] = 0x0A;
    memset(d + 12, 0x20, 6);
}

void putStandard(uint8_t *d, const StandardTiming &s) {
    if (s.width == 0) {
        d[0] = d[1] = 0x01;
        return;
    }
    d[0] = static_cast<uint8_t>(s.width / 8 - 31);
    d[1] = static_cast<uint8_t>(s.aspect << 6 | (s.refreshHz - 60));
}

void sealBlock(uint8_t *block) {
    uint8_t sum = 0;
    for (uint32_t i = 0; i + 1 < kEdidBlockSize; ++i) sum = static_cast<uint8_t>(sum + block[i]);
    block[kEdidBlockSize - 1] = static_cast<uint8_t>(0x100 - sum);
}

void putBaseBlock(uint8_t *b, const Monitor &m) {
    memcpy(b, kEdidHeader, sizeof kEdidHeader);
    const uint32_t id = uint32_t(kManufacturer[0] - 'A' + 1) << 10 |
                        uint32_t(kManufacturer[1] - 'A' + 1) << 5 | uint32_t(kManufacturer[2] - 'A' + 1);
    b[8] = high(id, 8, 0xFF);  // big-endian, unlike the rest
    b[9] = low(id);
    b[10] = low(m.productCode);
    b[11] = high(m.productCode, 8, 0xFF);
    memset(b + 12, 0, 4);  // the serial number is given as text
    b[16] = m.week;
    b[17] = static_cast<uint8_t>(m.year - 1990);
    b[18] = 1;  // version 1.3
    b[19] = 3;
    b[20] = kDigitalInput;
    b[21] = m.widthCm;
    b[22] = m.heightCm;
    b[23] = kGamma22;
    b[24] = kSrgbRgbPreferredTiming;
    memcpy(b + 25, kSrgbChromaticity, sizeof kSrgbChromaticity);
    memcpy(b + 35, m.established, sizeof m.established);
    for (int i = 0; i < 8; ++i) putStandard(b + 38 + 2 * i, m.standard[i]);
    putTiming(b + 54, m.preferred);
    putRange(b + 54 + kDescriptorSize, m.range);
    putText(b + 54 + 2 * kDescriptorSize, kTagName, m.name);
    putText(b + 54 + 3 * kDescriptorSize, kTagSerial, m.serialText);
    b[126] = m.ctaExtension ? 1 : 0;
    sealBlock(b);
    if (m.badChecksum) ++b[127];
}

void putCtaExtension(uint8_t *b) {
    b[0] = kCtaTag;
    b[1] = kCtaRevision;
    b[2] = static_cast<uint8_t>(4 + sizeof kCtaDataBlocks);  // where the detailed timings start
    b[3] = kCtaUnderscanBasicAudioOneNative;
    memcpy(b + 4, kCtaDataBlocks, sizeof kCtaDataBlocks);
    putTiming(b + b[2], k720p60);
    sealBlock(b);
}

}  // namespace

uint32_t builtinEdid(int port, uint8_t (&edid)[kEdidMaxSize]) {
    memset(edid, 0, sizeof edid);
    const Monitor *m = port >= 0 && port < kDdcPorts ? kAttached[port] : nullptr;
    if (!m) return 0;
    putBaseBlock(edid, *m);
    if (!m->ctaExtension) return kEdidBlockSize;
    putCtaExtension(edid + kEdidBlockSize);
    return 2 * kEdidBlockSize;
}

}  // namespace sim
