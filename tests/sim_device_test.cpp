// The simulated controller as a driver: lazily reserved memory, requests it
// refuses whatever the record holds, and the trace file.
#include <errno.h>
#include <fcntl.h>
#include <stdio.h>
#include <stdlib.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <fstream>
#include <sstream>
#include <string>

#include "lib_fixture.h"

namespace {

// Resident memory of this process, in KiB.
long residentKiB() {
    std::ifstream statm("/proc/self/statm");
    long size = 0, resident = 0;
    statm >> size >> resident;
    return resident * (sysconf(_SC_PAGESIZE) / 1024);
}

int rawRequest(int fd, uint32_t region, uint32_t direction, uint32_t size, uint32_t offset) {
    mmio_rw_t record{region, direction, size, offset, 0};
    return ioctl(fd, IOCTL_MMIO_RW, &record);
}

using SimDevice = LibTest;

}  // namespace

TEST_F(SimDevice, MemoryIsReservedOnlyWhereItIsTouched) {
    const long before = residentKiB();
    ASSERT_EQ(tkvVramWriteByte(0xFFFFFFF, 0x5A), 0);
    ASSERT_EQ(tkvRegWriteByte(0xFFFFFF, 0xA5), 0);
    uint8_t byte = 0;
    ASSERT_EQ(tkvVramReadByte(0xFFFFFFF, &byte), 0);
    EXPECT_EQ(byte, 0x5A);
    EXPECT_LT(residentKiB() - before, 4 * 1024);  // a few pages, not 272 MiB
}

TEST_F(SimDevice, RecordsTheDriverDoesNotServeAreRefused) {
    EXPECT_EQ(rawRequest(fd, 1, DIR_READ, 4, 0), -1);  // region 1 is never served
    EXPECT_EQ(errno, EINVAL);
    EXPECT_EQ(rawRequest(fd, 7, DIR_READ, 4, 0), -1);
    EXPECT_EQ(rawRequest(fd, REGION_REG, 2, 4, 0), -1);         // direction
    EXPECT_EQ(rawRequest(fd, REGION_REG, DIR_READ, 3, 0), -1);  // width
    EXPECT_EQ(rawRequest(fd, REGION_REG, DIR_READ, 0, 0), -1);
    EXPECT_EQ(rawRequest(fd, REGION_REG, DIR_READ, 2, 0xFFFFFF), -1);  // runs past the end
    EXPECT_EQ(rawRequest(fd, REGION_VRAM, DIR_WRITE, 8, 0xFFFFFFF9), -1);
    EXPECT_EQ(rawRequest(fd, REGION_VRAM, DIR_WRITE, 8, 0xFFFFFF8), 0);
    EXPECT_EQ(ioctl(fd, IOCTL_MMIO_RW, nullptr), -1);
    EXPECT_EQ(errno, EFAULT);
    int unknown = 0;
    EXPECT_EQ(ioctl(fd, _IOWR('d', 9, int), &unknown), -1);
    EXPECT_EQ(errno, ENOTTY);
}

TEST(SimTrace, OneLinePerRequestWithEveryField) {
    char path[] = "/tmp/tkvsim-trace-XXXXXX";
    int file = mkstemp(path);
    ASSERT_GE(file, 0);
    close(file);
    setenv("TKVSIM_TRACE", path, 1);
    tkvsim::reset();  // reads the environment again
    int fd = tkvOpen(0);
    ASSERT_GE(fd, 0);
    tkvRegWriteWord(0x10, 0xABCD);
    tkvsim::failEveryRequest(EIO);
    uint32_t value = 0;
    tkvPciRead(0x10, &value);
    tkvsim::failEveryRequest(0);
    tkvClose();
    unsetenv("TKVSIM_TRACE");
    std::ifstream in(path);
    std::stringstream all;
    all << in.rdbuf();
    unlink(path);
    char expected[512];
    snprintf(expected, sizeof expected,
             "open fd=%d code=0x00000000 result=0\n"
             "mmio fd=%d region=2 direction=1 size=2 offset=0x00000010 value=0x000000000000abcd result=0 "
             "returned=0x000000000000abcd\n"
             "pci fd=%d direction=0 offset=0x00000010 value=0x00000000 result=-1 returned=0x00000000\n"
             "close fd=%d code=0x00000000 result=0\n",
             fd, fd, fd, fd);
    EXPECT_EQ(all.str(), expected);
    tkvsim::reset();
}
