// Threads on one connection: on memory, and on a state file that shrinks under them.
// Its own executable: the simulator's in-memory trace, which the other library
// tests switch on, is for one thread.
#include <gtest/gtest.h>

#include <errno.h>
#include <fcntl.h>
#include <stdlib.h>
#include <string.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "device_state.h"
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

namespace {

constexpr uint32_t kStoredPages = 64;
constexpr uint32_t kPage = 4096;

// Reads the stored pages over and over until `stop`: 0 when every read gave
// the stored value or failed with EIO and at least one failed with EIO;
// 1 for a wrong value or another error, 2 when no read failed.
int readUntilStopped(const std::atomic<bool> &stop, std::atomic<int> &threadsFailed) {
    bool failed = false;
    while (!stop)
        for (uint32_t page = 0; page < kStoredPages; ++page) {
            uint64_t value = 0;
            if (tkvVramReadQuad(page * kPage, &value) != 0) {
                if (errno != EIO) return 1;
                if (!failed) ++threadsFailed;
                failed = true;
            } else if (value != page + 1) {
                return 1;
            }
        }
    return failed ? 0 : 2;
}

// In a child with a state file: threads reading while the file shrinks to its
// header; the child's exit status (128 + the signal when one ended it).
int shrinkUnderReaders(const std::string &stateFile, const std::string &errorsFile, int threads) {
    fflush(nullptr);
    const pid_t child = fork();
    if (child == 0) {
        dup2(creat(errorsFile.c_str(), 0600), STDERR_FILENO);
        setenv("TKVSIM_STATE", stateFile.c_str(), 1);
        tkvsim::reset();
        tkvsim::stopTrace();
        if (tkvOpen(0) < 0) _exit(3);
        for (uint32_t page = 0; page < kStoredPages; ++page)
            if (tkvVramWriteQuad(page * kPage, page + 1) != 0) _exit(3);
        std::atomic<bool> stop{false};
        std::atomic<int> threadsFailed{0};
        std::vector<int> results(static_cast<size_t>(threads));
        std::vector<std::thread> readers;
        for (int &result : results)
            readers.emplace_back([&] { result = readUntilStopped(stop, threadsFailed); });
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        if (truncate(stateFile.c_str(), static_cast<off_t>(sim::kHeaderSize)) != 0) _exit(3);
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
        while (threadsFailed < threads && std::chrono::steady_clock::now() < deadline)
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        stop = true;
        int worst = 0;
        for (size_t i = 0; i < readers.size(); ++i) {
            readers[i].join();
            worst = std::max(worst, results[i]);
        }
        _exit(worst);
    }
    int status = -1;
    waitpid(child, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

}  // namespace

TEST(Threads, AStateFileThatShrinksFailsTheRequestsOfEveryThreadWithEio) {
    std::string dir = std::filesystem::temp_directory_path().string() + "/tkvsim-threads-XXXXXX";
    ASSERT_NE(mkdtemp(dir.data()), nullptr);
    const std::string stateFile = dir + "/state", errorsFile = dir + "/errors";
    for (int threads : {1, 2, 4}) {
        std::filesystem::remove(stateFile);
        EXPECT_EQ(shrinkUnderReaders(stateFile, errorsFile, threads), 0) << threads << " threads";
        std::stringstream errors;
        errors << std::ifstream(errorsFile).rdbuf();
        EXPECT_EQ(errors.str(),
                  "tkvsim: " + stateFile + ": cannot store the device state: " + strerror(EIO) + "\n")
            << threads << " threads";
    }
    std::filesystem::remove_all(dir);
}
