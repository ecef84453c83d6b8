// Zoom video ports: decoder set-up, register writes in order, the window that
// start programs, stop/restart, and what get-parameter reads back.
#include <time.h>

#include <utility>

#include "lib_fixture.h"

using ZoomVideo = LibTest;

namespace {

using Access = std::pair<uint32_t, uint32_t>;  // offset, value written
using Accesses = std::vector<Access>;

bool isLong(const tkvsim::Request &r) { return r.kind == tkvsim::Kind::Mmio && r.size == 4; }

// The 32-bit register writes of the trace, in order.
Accesses longWrites() {
    Accesses writes;
    for (const tkvsim::Request &r : requestsWhere(isLong))
        if (r.direction == DIR_WRITE) writes.push_back({r.offset, static_cast<uint32_t>(r.value)});
    return writes;
}

// Every 32-bit access: a read as {offset, value returned} marked by kRead.
constexpr uint32_t kRead = 0x80000000u;
Accesses longAccesses() {
    Accesses all;
    for (const tkvsim::Request &r : requestsWhere(isLong)) {
        if (r.direction == DIR_WRITE)
            all.push_back({r.offset, static_cast<uint32_t>(r.value)});
        else
            all.push_back({r.offset | kRead, static_cast<uint32_t>(r.returned)});
    }
    return all;
}

// The bytes sent through a channel's data register, one transaction after another.
std::vector<uint8_t> bytesSent(uint32_t dataRegister) {
    std::vector<uint8_t> bytes;
    for (const tkvsim::Request &r : mmio())
        if (r.size == 1 && r.direction == DIR_WRITE && r.offset == dataRegister)
            bytes.push_back(static_cast<uint8_t>(r.value));
    return bytes;
}

uint32_t regLong(uint32_t offset) {
    uint32_t value = 0;
    EXPECT_EQ(tkvRegReadLong(offset, &value), 0);
    return value;
}

struct Parameters {
    int x = -1, y = -1, w = -1, h = -1, cut = -1, zoomw = -1, zoomh = -1, connector = -1, cameraW = -1,
        cameraH = -1;
};
Parameters parametersOf(int id) {
    Parameters p;
    EXPECT_EQ(tkvZoomVideoGetParm(id, &p.x, &p.y, &p.w, &p.h, &p.cut, &p.zoomw, &p.zoomh, &p.connector,
                                  &p.cameraW, &p.cameraH),
              0);
    return p;
}

// A decoder's registers 0x02 to 0x17 as init leaves them.  0x14 is not
// written: it keeps the 0x5A that the test puts there first.
constexpr uint8_t kDecoderAfterInit[] = {
    0xC0, 0x34, 0x00, 0x00, 0xEB, 0xE0, 0x88, 0x01, 0x80, 0x47, 0x40,
    0x00, 0x01, 0x00, 0x40, 0x0C, 0x00, 0x00, 0x5A, 0x00, 0x00, 0x00,
};
constexpr uint8_t kNotWritten = kDecoderAfterInit[0x14 - 0x02];

}  // namespace

TEST_F(ZoomVideo, InitProgramsTheDecoderThenPortAndLayer) {
    struct Case {
        int port, layer;
        Accesses writes;
    };
    // Each case: port buffers and control, then the layer's addresses and auxiliaries.
    // clang-format off
    const Case cases[] = {
        {0, 0, {{0x100C4, 0x04000000}, {0x100C8, 0x04800000}, {0x100C0, 0x510},
                {0x10038, 0x04000000}, {0x1003C, 0x04800000}, {0x1006C, 0xFF}, {0x10070, 0}}},
        {0, 1, {{0x100C4, 0x04000000}, {0x100C8, 0x04800000}, {0x100C0, 0x610},
                {0x10048, 0x04000000}, {0x1004C, 0x04800000}, {0x1008C, 0xFF}, {0x10090, 0}}},
        {1, 0, {{0x100D4, 0x05000000}, {0x100D8, 0x05800000}, {0x100D0, 0x510},
                {0x10038, 0x05000000}, {0x1003C, 0x05800000}, {0x1006C, 0xFF}, {0x10070, 0}}},
        {1, 2, {{0x100D4, 0x05000000}, {0x100D8, 0x05800000}, {0x100D0, 0x610},
                {0x10048, 0x05000000}, {0x1004C, 0x05800000}, {0x1008C, 0xFF}, {0x10090, 0}}},
    };
    // clang-format on
    for (const Case &c : cases) {
        SCOPED_TRACE(testing::Message() << "port " << c.port << " layer " << c.layer);
        tkvsim::reset();  // a fresh device behind the same connection
        // Each port's decoder sits on the channel of the same number.
        ASSERT_EQ(tkvI2cWriteByte(c.port, 0x24, 0x14, kNotWritten), 0);
        tkvsim::clearTrace();
        ASSERT_EQ(tkvZoomVideoInit(c.port, c.port, 0, c.layer), 0);

        // 22 one-byte writes, each to the decoder at 0x24: address, sub-address, value.
        const std::vector<uint8_t> bytes = bytesSent(c.port == 0 ? 0x03 : 0x13);
        ASSERT_EQ(bytes.size(), 22u * 3);
        for (size_t i = 0; i < bytes.size(); i += 3) EXPECT_EQ(bytes[i], 0x48) << "write " << i / 3;
        for (unsigned i = 0; i < sizeof kDecoderAfterInit; ++i)
            EXPECT_EQ(tkvsim::decoderRegister(c.port, 0x02 + i), kDecoderAfterInit[i])
                << "register " << 2 + i;
        EXPECT_EQ(longWrites(), c.writes);
        EXPECT_EQ(longAccesses().size(), 7u);  // nothing is read
    }
}

TEST_F(ZoomVideo, InitWithAddressPinHighTalksToTheOtherAddress) {
    // Nobody answers at 0x25: every decoder write fails, the set-up goes on.
    ASSERT_EQ(tkvZoomVideoInit(0, 1, 5, 0), 0);
    const std::vector<uint8_t> bytes = bytesSent(0x13);
    EXPECT_EQ(bytes, std::vector<uint8_t>(22, 0x4A));
    EXPECT_TRUE(bytesSent(0x03).empty());
    EXPECT_EQ(longWrites().size(), 7u);
    EXPECT_EQ(regLong(0x100C0), 0x510u);
}

TEST_F(ZoomVideo, InitRefusesPortOrChannelAboveOneWithoutARequest) {
    for (auto args : {std::pair<int, int>{-1, 0}, {2, 0}, {0, 2}, {1, -1}}) {
        int result = 0;
        testing::internal::CaptureStdout();
        result = tkvZoomVideoInit(args.first, args.second, 0, 0);
        EXPECT_EQ(testing::internal::GetCapturedStdout(), "Zoom video error: invalid argument\n");
        EXPECT_EQ(result, -22);
    }
    EXPECT_EQ(tkvsim::traceSize(), 0u);
}

TEST_F(ZoomVideo, StartEnablesCaptureThenProgramsTheWindow) {
    ASSERT_EQ(tkvZoomVideoInit(0, 0, 0, 0), 0);
    tkvsim::clearTrace();
    timespec before{}, after{};
    clock_gettime(CLOCK_MONOTONIC, &before);
    ASSERT_EQ(tkvZoomVideoStart(0, 0, 0, 720, 572, 8, 0, 0, 0), 0);
    clock_gettime(CLOCK_MONOTONIC, &after);
    EXPECT_GE((after.tv_sec - before.tv_sec) * 1000000000L + after.tv_nsec - before.tv_nsec, 100000000L);
    const Accesses expected = {
        {0x100C0 | kRead, 0x510},      {0x100C0, 0x511},      {0x10064, 0},
        {0x10068, 0x023C02D0},         {0x10038, 0x04000004}, {0x1003C, 0x04800004},
        {0x100CC | kRead, 0x024002D0}, {0x10060, 0x00B41102},
    };
    EXPECT_EQ(longAccesses(), expected);
}

TEST_F(ZoomVideo, StartEncodesZoomConnectorAndCut) {
    ASSERT_EQ(tkvZoomVideoInit(1, 1, 0, 1), 0);
    tkvsim::setCameraSize(1, 0x8123, 480);  // only 15 bits of the width fit
    ASSERT_EQ(tkvZoomVideoStart(1, 16, 32, 320, 240, 3, 2, 3, 7), 0);
    EXPECT_EQ(regLong(0x10080), 0x0048C000u | 2u << 3 | 3u << 5 | 1u << 13 | 0x1102);
    EXPECT_EQ(regLong(0x10048), 0x05000001u);  // 6 bytes in: rounded down to 4
    const Parameters p = parametersOf(1);
    EXPECT_EQ(p.x, 16);
    EXPECT_EQ(p.y, 32);
    EXPECT_EQ(p.w, 320);
    EXPECT_EQ(p.h, 240);
    EXPECT_EQ(p.cut, 2);
    EXPECT_EQ(p.zoomw, 2);
    EXPECT_EQ(p.zoomh, 3);
    EXPECT_EQ(p.connector, 1);
    EXPECT_EQ(p.cameraW, 0x8123);
    EXPECT_EQ(p.cameraH, 480);

    for (int zoom : {4, -1, 0}) {
        ASSERT_EQ(tkvZoomVideoStart(1, 0, 0, 1, 1, 0, zoom, zoom, 0), 0);
        EXPECT_EQ(regLong(0x10080) & 0x207Fu, 0x02u) << "zoom " << zoom;
    }
}

TEST_F(ZoomVideo, StartOfAPortFeedingNoLayerOnlyEnablesCapture) {
    ASSERT_EQ(tkvZoomVideoStart(0, 1, 2, 3, 4, 5, 1, 1, 1), 0);
    EXPECT_EQ(longAccesses(), (Accesses{{0x100C0 | kRead, 0}, {0x100C0, 1}}));
}

TEST_F(ZoomVideo, PortFeedingBothLayersIsShownOnLayerOneButSwitchesBoth) {
    ASSERT_EQ(tkvRegWriteLong(0x100C0, 0x310), 0);
    ASSERT_EQ(tkvRegWriteLong(0x10080, 0x1102), 0);
    tkvsim::clearTrace();
    ASSERT_EQ(tkvZoomVideoStart(0, 0, 0, 64, 48, 0, 0, 0, 0), 0);
    for (const Access &write : longWrites()) EXPECT_FALSE(write.first >= 0x10080 && write.first <= 0x10090);
    EXPECT_EQ(regLong(0x10060) & 0x100, 0x100u);
    tkvsim::clearTrace();
    ASSERT_EQ(tkvZoomVideoStop(0), 0);
    EXPECT_EQ(longWrites(), (Accesses{{0x100C0, 0x310}, {0x10060, regLong(0x10060)}, {0x10080, 0x1002}}));
    ASSERT_EQ(tkvZoomVideoRestart(0), 0);
    EXPECT_EQ(regLong(0x100C0), 0x311u);
    EXPECT_EQ(regLong(0x10080), 0x1102u);
    EXPECT_EQ(regLong(0x10060) & 0x100, 0x100u);
}

TEST_F(ZoomVideo, StopAndRestartKeepTheWindow) {
    ASSERT_EQ(tkvZoomVideoInit(0, 0, 0, 0), 0);
    ASSERT_EQ(tkvZoomVideoStart(0, 10, 20, 360, 288, 4, 1, 1, 0), 0);
    const Parameters started = parametersOf(0);
    tkvsim::clearTrace();
    ASSERT_EQ(tkvZoomVideoStop(0), 0);
    const uint32_t layerControl = 0x00B41102u | 1u << 3 | 1u << 5;
    EXPECT_EQ(longAccesses(), (Accesses{{0x100C0 | kRead, 0x511},
                                        {0x100C0, 0x510},
                                        {0x10060 | kRead, layerControl},
                                        {0x10060, layerControl & ~0x100u}}));
    EXPECT_EQ(parametersOf(0).cameraW, 0);  // capture is off
    tkvsim::clearTrace();
    ASSERT_EQ(tkvZoomVideoRestart(0), 0);
    EXPECT_EQ(longWrites(), (Accesses{{0x100C0, 0x511}, {0x10060, layerControl}}));
    const Parameters restarted = parametersOf(0);
    EXPECT_EQ(restarted.x, started.x);
    EXPECT_EQ(restarted.w, started.w);
    EXPECT_EQ(restarted.cut, 4);
    EXPECT_EQ(restarted.zoomw, 1);
    EXPECT_EQ(restarted.cameraW, 720);
}

TEST_F(ZoomVideo, GetParameterReadsEveryRegisterEvenWithoutPointers) {
    ASSERT_EQ(tkvZoomVideoGetParm(1, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                                  nullptr, nullptr),
              0);
    // Neither layer bit set: layer 3 is read.
    EXPECT_EQ(longAccesses(), (Accesses{{0x100DC | kRead, 0},
                                        {0x100D0 | kRead, 0},
                                        {0x10084 | kRead, 0},
                                        {0x10088 | kRead, 0},
                                        {0x10048 | kRead, 0},
                                        {0x10080 | kRead, 0}}));
}

TEST_F(ZoomVideo, CutIsMeasuredFromTheReadingPortsOwnBase) {
    ASSERT_EQ(tkvZoomVideoInit(0, 0, 0, 0), 0);
    ASSERT_EQ(tkvRegWriteLong(0x100D0, 0x510), 0);  // port 1 claims layer 1 as well
    EXPECT_EQ(parametersOf(0).cut, 0);
    EXPECT_EQ(static_cast<uint32_t>(parametersOf(1).cut), 0x7E000000u);
}

TEST_F(ZoomVideo, AnyIdButZeroMeansPortOne) {
    ASSERT_EQ(tkvZoomVideoInit(1, 1, 0, 1), 0);
    ASSERT_EQ(tkvZoomVideoStart(2, 5, 6, 7, 8, 0, 0, 0, 0), 0);
    EXPECT_EQ(regLong(0x100D0), 0x611u);
    EXPECT_EQ(regLong(0x10084), 0x00060005u);
    EXPECT_EQ(parametersOf(-7).w, 7);
    ASSERT_EQ(tkvZoomVideoStop(2), 0);
    EXPECT_EQ(regLong(0x100D0), 0x610u);
    ASSERT_EQ(tkvZoomVideoRestart(2), 0);
    EXPECT_EQ(regLong(0x100D0), 0x611u);
    EXPECT_EQ(regLong(0x100C0), 0u);  // port 0 untouched
}
