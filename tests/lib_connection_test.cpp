// The connection and the memory/CRTC requests, checked against the trace.
#include "lib_fixture.h"

#include <errno.h>

using tkvsim::Kind;
using MemoryAccess = LibTest;

namespace {

void expectMmio(const tkvsim::Request &r, uint32_t region, uint32_t direction, uint32_t size, uint32_t offset,
                uint64_t value) {
    EXPECT_EQ(r.kind, Kind::Mmio);
    EXPECT_EQ(r.code, 0xC0186401u);
    EXPECT_EQ(r.region, region);
    EXPECT_EQ(r.direction, direction);
    EXPECT_EQ(r.size, size);
    EXPECT_EQ(r.offset, offset);
    EXPECT_EQ(r.value, value);
}

}  // namespace

TEST(Connection, OpenOfDeviceTwoOpensThreeTimesAndKeepsTheThird) {
    tkvsim::reset();
    int fd = tkvOpen(2);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(tkvsim::traceSize(), 3u);
    for (size_t i = 0; i < 3; ++i) EXPECT_EQ(tkvsim::traceAt(i).kind, Kind::Open);
    EXPECT_EQ(tkvsim::traceAt(2).fd, fd);
    EXPECT_NE(tkvsim::traceAt(0).fd, fd);
    tkvsim::clearTrace();
    EXPECT_EQ(tkvClose(), 0);
    ASSERT_EQ(tkvsim::traceSize(), 1u);  // only the connection is closed
    EXPECT_EQ(tkvsim::traceAt(0).fd, fd);
}

TEST(Connection, NegativeIdOpensNothing) {
    tkvsim::reset();
    int result = 0;
    EXPECT_EQ(stderrOf([&] { result = tkvOpen(-1); }), "Invalid argument id (-1)\n");
    EXPECT_EQ(result, -22);
    EXPECT_EQ(tkvsim::traceSize(), 0u);
}

TEST(Connection, FailedOpenReportsTheNegatedErrno) {
    tkvsim::reset();
    tkvsim::failOpen(ENOENT);
    int result = 0;
    EXPECT_EQ(stderrOf([&] { result = tkvOpen(1); }), "Opening device 1 failed with -1\n");
    EXPECT_EQ(result, -ENOENT);
    EXPECT_EQ(stderrOf([&] { result = tkvClose(); }), "No file descriptor is opened\n");
    EXPECT_EQ(result, -22);
}

TEST(Connection, SecondCloseComplains) {
    tkvsim::reset();
    ASSERT_GE(tkvOpen(0), 0);
    EXPECT_EQ(tkvClose(), 0);
    int result = 0;
    EXPECT_EQ(stderrOf([&] { result = tkvClose(); }), "No file descriptor is opened\n");
    EXPECT_EQ(result, -22);
}

TEST(Connection, ReadWithoutConnectionFailsAndStoresZero) {
    tkvsim::reset();
    uint32_t value = 0xdeadbeef;
    EXPECT_EQ(tkvRegReadLong(0x10, &value), -1);
    EXPECT_EQ(value, 0u);
}

TEST_F(MemoryAccess, OffsetLimitsOfBothRegions) {
    uint8_t byte = 0x5a;
    EXPECT_EQ(tkvRegReadByte(0xFFFFFF, &byte), 0);
    EXPECT_EQ(tkvVramReadByte(0xFFFFFFF, &byte), 0);
    EXPECT_EQ(mmio().size(), 2u);
    tkvsim::clearTrace();
    byte = 0x5a;
    const char *line = "Invalid argument: offset is out of range\n";
    int result = 0;
    EXPECT_EQ(stderrOf([&] { result = tkvRegReadByte(0x1000000, &byte); }), line);
    EXPECT_EQ(result, -22);
    EXPECT_EQ(stderrOf([&] { result = tkvVramReadByte(0x10000000, &byte); }), line);
    EXPECT_EQ(result, -22);
    EXPECT_EQ(byte, 0x5a);  // untouched
    EXPECT_EQ(stderrOf([&] { result = tkvRegWriteQuad(0xFFFFFFFFu, 1); }), line);
    EXPECT_EQ(stderrOf([&] { result = tkvVramWriteLong(static_cast<uint32_t>(-4), 1); }), line);
    EXPECT_EQ(stderrOf([&] { result = tkvCrtcReadByte(0xFF, &byte); }), line);
    EXPECT_EQ(stderrOf([&] { result = tkvCrtcWriteByte(0x100, 1); }), line);
    EXPECT_EQ(result, -22);
    EXPECT_EQ(tkvsim::traceSize(), 0u);
}

TEST_F(MemoryAccess, RecordsCarryEveryFieldOfTheAccess) {
    uint16_t word = 0;
    uint64_t quad = 0;
    ASSERT_EQ(tkvRegWriteWord(0x10, 0xABCD), 0);
    ASSERT_EQ(tkvRegReadWord(0x10, &word), 0);
    ASSERT_EQ(tkvVramWriteQuad(0x1001, 0x1122334455667788ull), 0);
    ASSERT_EQ(tkvVramReadQuad(0x1001, &quad), 0);
    ASSERT_EQ(tkvVramWriteByte(7, 0xFF), 0);
    auto r = mmio();
    ASSERT_EQ(r.size(), 5u);
    expectMmio(r[0], 2, 1, 2, 0x10, 0xABCD);
    expectMmio(r[1], 2, 0, 2, 0x10, 0);
    expectMmio(r[2], 0, 1, 8, 0x1001, 0x1122334455667788ull);
    expectMmio(r[3], 0, 0, 8, 0x1001, 0);
    expectMmio(r[4], 0, 1, 1, 7, 0xFF);
    EXPECT_EQ(word, 0xABCD);
    EXPECT_EQ(quad, 0x1122334455667788ull);
}

TEST_F(MemoryAccess, EveryWidthRoundTripsWithoutSpillingIntoNeighbours) {
    uint8_t b = 0;
    uint16_t w = 0;
    uint32_t l = 0;
    uint64_t q = 0;
    ASSERT_EQ(tkvVramWriteQuad(0x200, ~0ull), 0);
    ASSERT_EQ(tkvVramWriteLong(0x200, 0x11223344), 0);
    ASSERT_EQ(tkvVramWriteWord(0x201, 0xAABB), 0);
    ASSERT_EQ(tkvVramWriteByte(0x204, 0x55), 0);
    ASSERT_EQ(tkvVramReadQuad(0x200, &q), 0);
    EXPECT_EQ(q, 0xFFFFFF5511AABB44ull);
    ASSERT_EQ(tkvVramReadLong(0x201, &l), 0);
    EXPECT_EQ(l, 0x5511AABBu);
    ASSERT_EQ(tkvVramReadWord(0x202, &w), 0);
    EXPECT_EQ(w, 0x11AAu);
    ASSERT_EQ(tkvVramReadByte(0x207, &b), 0);
    EXPECT_EQ(b, 0xFFu);
    ASSERT_EQ(tkvRegWriteLong(0xFFFFFC, 0xCAFEF00D), 0);
    ASSERT_EQ(tkvRegReadLong(0xFFFFFC, &l), 0);
    EXPECT_EQ(l, 0xCAFEF00Du);
}

TEST_F(MemoryAccess, CrtcAccessIsIndexThenData) {
    ASSERT_EQ(tkvCrtcWriteByte(0xFE, 0x9C), 0);
    uint8_t value = 0;
    ASSERT_EQ(tkvCrtcReadByte(0xFE, &value), 0);
    EXPECT_EQ(value, 0x9C);
    EXPECT_EQ(tkvsim::crtcRegister(0xFE), 0x9C);
    auto r = mmio();
    ASSERT_EQ(r.size(), 4u);
    expectMmio(r[0], 2, 1, 1, 0x103D4, 0xFE);
    expectMmio(r[1], 2, 1, 1, 0x103D5, 0x9C);
    expectMmio(r[2], 2, 1, 1, 0x103D4, 0xFE);
    expectMmio(r[3], 2, 0, 1, 0x103D5, 0);
}

TEST_F(MemoryAccess, FailedRequestStillStoresTheRecordValue) {
    ASSERT_EQ(tkvRegWriteLong(0x40, 0x12345678), 0);
    tkvsim::failEveryRequest(EIO);
    uint32_t value = 0xFFFFFFFF;
    EXPECT_EQ(tkvRegReadLong(0x40, &value), -1);
    EXPECT_EQ(errno, EIO);
    EXPECT_EQ(value, 0u);
    tkvsim::failEveryRequest(0);
    tkvsim::failNthRequest(2);
    uint8_t byte = 0;
    EXPECT_EQ(tkvCrtcReadByte(1, &byte), -1);  // the data phase fails
    EXPECT_EQ(tkvRegReadLong(0x40, &value), 0);
    EXPECT_EQ(value, 0x12345678u);
}

TEST_F(MemoryAccess, NullOutputsAreRequestedButNotStored) {
    EXPECT_EQ(tkvRegReadLong(0x40, nullptr), 0);
    EXPECT_EQ(tkvVramReadQuad(0x40, nullptr), 0);
    EXPECT_EQ(tkvCrtcReadByte(3, nullptr), 0);
    EXPECT_EQ(mmio().size(), 4u);
    EXPECT_EQ(tkvI2cRead(0, 0x50, 0, 4, nullptr), -4);
    EXPECT_EQ(tkvI2cWrite(0, 0x50, 0, 1, nullptr), -4);
    EXPECT_EQ(tkvI2cWrite(0, 0x50, 0, 0, nullptr), 0);  // nothing to move
}
