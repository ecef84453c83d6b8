// The EDID, core version and PCI configuration requests, checked against the trace.
#include "lib_fixture.h"

#include <errno.h>

using tkvsim::Kind;

using Edid = LibTest;
using CoreVersion = LibTest;
using Pci = LibTest;

TEST_F(Edid, PortAboveThreeIsRefusedWithoutARequest) {
    uint32_t length = 0xAAAA, valid = 0xBBBB;
    uint8_t *data = nullptr;
    EXPECT_EQ(tkvDDCRead(3, &length, &data, &valid), 0);
    auto r = ofKind(Kind::Ddc);
    ASSERT_EQ(r.size(), 1u);
    EXPECT_EQ(r[0].code, 0xC2106402u);
    EXPECT_EQ(r[0].region, 3u);  // port
    EXPECT_EQ(r[0].offset, 0u);  // reserved
    EXPECT_EQ(length, 128u);
    EXPECT_EQ(valid, 0u);  // port 3's monitor sends a bad checksum
    ASSERT_NE(data, nullptr);

    tkvsim::clearTrace();
    for (uint32_t port : {4u, static_cast<uint32_t>(-1), 0x80000000u}) {
        uint32_t len = 0xAAAA, ok = 0xBBBB;
        uint8_t *bytes = nullptr;
        int result = 0;
        EXPECT_EQ(stderrOf([&] { result = tkvDDCRead(port, &len, &bytes, &ok); }), "");
        EXPECT_EQ(result, -22);
        EXPECT_EQ(len, 0xAAAAu);
        EXPECT_EQ(ok, 0xBBBBu);
        EXPECT_EQ(bytes, nullptr);
    }
    EXPECT_EQ(tkvsim::traceSize(), 0u);
}

TEST_F(Edid, WithoutOutputsStillAsks) {
    EXPECT_EQ(tkvDDCRead(0, nullptr, nullptr, nullptr), 0);
    EXPECT_EQ(tkvDDCRead(2, nullptr, nullptr, nullptr), -1);  // no monitor there
    EXPECT_EQ(errno, ENXIO);
    auto r = ofKind(Kind::Ddc);
    ASSERT_EQ(r.size(), 2u);
    EXPECT_EQ(r[0].region, 0u);
    EXPECT_EQ(r[1].region, 2u);
}

TEST_F(Edid, BytesLiveInOneRecordThatTheNextReadOverwrites) {
    uint8_t *first = nullptr, *second = nullptr;
    uint32_t length = 0;
    ASSERT_EQ(tkvDDCRead(0, &length, &first, nullptr), 0);
    ASSERT_EQ(length, 256u);
    EXPECT_EQ(first[128], 0x02);  // the CTA-861 extension
    ASSERT_EQ(tkvDDCRead(1, &length, &second, nullptr), 0);
    EXPECT_EQ(second, first);
    EXPECT_EQ(length, 128u);
    EXPECT_EQ(first[128], 0x00);  // port 1 has no extension
    EXPECT_EQ(first[10], 0x24);   // port 1's product code
}

TEST_F(Edid, FailedHandsBackThePreviousContent) {
    uint8_t *data = nullptr;
    uint32_t length = 0, valid = 0;
    ASSERT_EQ(tkvDDCRead(0, &length, &data, &valid), 0);
    const uint8_t extensionTag = data[128];

    tkvsim::failEveryRequest(EIO);
    uint8_t *again = nullptr;
    length = valid = 7;
    int result = 0;
    EXPECT_EQ(stderrOf([&] { result = tkvDDCRead(1, &length, &again, &valid); }), "");
    EXPECT_EQ(result, -1);
    EXPECT_EQ(errno, EIO);
    EXPECT_EQ(again, data);
    EXPECT_EQ(length, 256u);
    EXPECT_EQ(valid, 1u);
    EXPECT_EQ(data[128], extensionTag);
    tkvsim::failEveryRequest(0);

    length = valid = 7;
    EXPECT_EQ(tkvDDCRead(2, &length, nullptr, &valid), -1);
    EXPECT_EQ(length, 256u);
    EXPECT_EQ(valid, 1u);
}

TEST_F(CoreVersion, FillsTheGivenOutputsEvenOnFailure) {
    tkvsim::setCoreVersion(2, -1, 0x7FFFFFFF, 9);
    int v[4] = {0, 0, 0, 0};
    ASSERT_EQ(tkvTkvcoreVer(&v[0], &v[1], &v[2], &v[3]), 0);
    EXPECT_EQ(v[0], 2);
    EXPECT_EQ(v[1], -1);
    EXPECT_EQ(v[2], 0x7FFFFFFF);
    EXPECT_EQ(v[3], 9);
    int only = 0;
    EXPECT_EQ(tkvTkvcoreVer(&only, nullptr, nullptr, nullptr), 0);
    EXPECT_EQ(only, 2);
    auto r = ofKind(Kind::CoreVer);
    ASSERT_EQ(r.size(), 2u);
    EXPECT_EQ(r[0].code, 0xC0106403u);

    tkvsim::failEveryRequest(EIO);
    int w[4] = {5, 5, 5, 5};
    int result = 0;
    EXPECT_EQ(stderrOf([&] { result = tkvTkvcoreVer(&w[0], &w[1], &w[2], &w[3]); }), "");
    EXPECT_EQ(result, -1);
    for (int part : w) EXPECT_EQ(part, 0);
}

TEST_F(Pci, ReadSendsTheCallersValueAndStoresTheAnswer) {
    uint32_t value = 0x1234;
    ASSERT_EQ(tkvPciRead(0x10, &value), 0);
    auto r = ofKind(Kind::Pci);
    ASSERT_EQ(r.size(), 1u);
    EXPECT_EQ(r[0].code, 0xC00C6404u);
    EXPECT_EQ(r[0].direction, 0u);
    EXPECT_EQ(r[0].offset, 0x10u);
    EXPECT_EQ(r[0].value, 0x1234u);
    EXPECT_EQ(value, r[0].returned);
    EXPECT_EQ(value & 0xF, 0x8u);  // BAR0: prefetchable memory

    // Nothing to send and nowhere to store: the read still happens.
    EXPECT_EQ(tkvPciRead(0, nullptr), 0);
    r = ofKind(Kind::Pci);
    ASSERT_EQ(r.size(), 2u);
    EXPECT_EQ(r[1].value, 0u);
}

TEST_F(Pci, WriteSendsOffsetAndValue) {
    ASSERT_EQ(tkvPciWrite(0x04, 0x7), 0);
    auto r = ofKind(Kind::Pci);
    ASSERT_EQ(r.size(), 1u);
    EXPECT_EQ(r[0].direction, 1u);
    EXPECT_EQ(r[0].offset, 0x04u);
    EXPECT_EQ(r[0].value, 0x7u);
}

TEST_F(Pci, FailedReadLeavesTheCallersValue) {
    uint32_t value = 0xABCD;
    EXPECT_EQ(tkvPciRead(0x101, &value), -1);
    EXPECT_EQ(errno, EINVAL);
    EXPECT_EQ(value, 0xABCDu);
    tkvsim::failEveryRequest(EIO);
    int result = 0;
    EXPECT_EQ(stderrOf([&] { result = tkvPciRead(0, &value); }), "");
    EXPECT_EQ(result, -1);
    EXPECT_EQ(value, 0xABCDu);
}
