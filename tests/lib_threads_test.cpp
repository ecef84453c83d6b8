// Two threads on one connection.  Its own executable: the simulator's
// in-memory trace, which the other library tests switch on, is for one thread.
#include <gtest/gtest.h>

#include <string.h>

#include <thread>

#include "tekvaro.h"
#include "tkvsim.h"

namespace {

constexpr uint64_t kRounds = 200000;

uint64_t storedAt(uint32_t offset) {
    uint64_t value = 0;
    memcpy(&value, tkvsim::videoMemory() + offset, sizeof value);
    return value;
}

// Writes changing values at `offset` and reads each back; the reads that
// came back with anything else (another thread's value or offset).
int wrongReadsAt(uint32_t offset, uint64_t seed) {
    int wrong = 0;
    for (uint64_t i = 0; i < kRounds; ++i) {
        uint64_t value = 0;
        tkvVramWriteQuad(offset, seed + i);
        if (tkvVramReadQuad(offset, &value) != 0 || value != seed + i) ++wrong;
    }
    return wrong;
}

}  // namespace

TEST(Threads, MemoryCallsOfTwoThreadsKeepTheirOwnRequests) {
    ASSERT_GE(tkvOpen(0), 0);
    int otherWrong = -1;
    std::thread other([&] { otherWrong = wrongReadsAt(0x2000, 0xB000000000000000u); });
    EXPECT_EQ(wrongReadsAt(0x1000, 0xA000000000000000u), 0);
    other.join();
    EXPECT_EQ(otherWrong, 0);
    // Each offset holds its own thread's last value.
    EXPECT_EQ(storedAt(0x1000), 0xA000000000000000u + kRounds - 1);
    EXPECT_EQ(storedAt(0x2000), 0xB000000000000000u + kRounds - 1);
    tkvClose();
}
