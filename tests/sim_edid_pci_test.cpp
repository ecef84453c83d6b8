// The simulated monitors and PCI configuration space, asked directly with
// driver requests so that what the library never sends is covered too.
#include "lib_fixture.h"

#include <errno.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <string>

// Outside the anonymous namespace: the tests derive from it, and the unity
// build compiles this file inside another unit.
class SimRequests : public LibTest {
protected:
    // 0, or the errno the driver answered with.
    template <typename Record>
    int ask(unsigned long code, Record &record) {
        return ioctl(fd, code, &record) == 0 ? 0 : errno;
    }
    int edid(uint32_t port, ddc_edid_t &record) {
        record.port = port;
        return ask(IOCTL_DDC_EDID, record);
    }
    uint32_t pciRead(uint32_t offset) {
        pci_op_t op{DIR_READ, offset, 0};
        EXPECT_EQ(ask(IOCTL_PCI_OP, op), 0) << "offset " << offset;
        return op.value;
    }
    void pciWrite(uint32_t offset, uint32_t value) {
        pci_op_t op{DIR_WRITE, offset, value};
        EXPECT_EQ(ask(IOCTL_PCI_OP, op), 0) << "offset " << offset;
    }
};
using SimEdid = SimRequests;
using SimPci = SimRequests;

namespace {

bool blockSumsToZero(const uint8_t *block) {
    unsigned sum = 0;
    for (int i = 0; i < 128; ++i) sum += block[i];
    return sum % 256 == 0;
}

struct DetailedTiming {
    unsigned clockKHz, width, height;
};
DetailedTiming decodeTiming(const uint8_t *d) {
    return {static_cast<unsigned>(d[0] | d[1] << 8) * 10u, d[2] | (d[4] & 0xF0u) << 4,
            d[5] | (d[7] & 0xF0u) << 4};
}

// The text of the display descriptor tagged `tag`, up to its line feed.
std::string descriptorText(const uint8_t *base, uint8_t tag) {
    for (int at = 54; at < 126; at += 18) {
        const uint8_t *d = base + at;
        if (d[0] == 0 && d[1] == 0 && d[3] == tag) {
            std::string text(reinterpret_cast<const char *>(d + 5), 13);
            return text.substr(0, text.find('\n'));
        }
    }
    return "";
}

}  // namespace

TEST_F(SimEdid, FullHdMonitorOnPortZero) {
    ddc_edid_t r{};
    ASSERT_EQ(edid(0, r), 0);
    ASSERT_EQ(r.length, 256u);
    EXPECT_EQ(r.valid, 1u);
    EXPECT_TRUE(blockSumsToZero(r.data));
    EXPECT_TRUE(blockSumsToZero(r.data + 128));
    const uint8_t header[8] = {0, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0};
    EXPECT_EQ(memcmp(r.data, header, 8), 0);
    const unsigned id = static_cast<unsigned>(r.data[8] << 8 | r.data[9]);
    const char maker[] = {char('@' + (id >> 10 & 31)), char('@' + (id >> 5 & 31)), char('@' + (id & 31)), 0};
    EXPECT_STREQ(maker, "ZZS");
    EXPECT_EQ(r.data[126], 1);  // one extension
    DetailedTiming preferred = decodeTiming(r.data + 54);
    EXPECT_EQ(preferred.clockKHz, 148500u);
    EXPECT_EQ(preferred.width, 1920u);
    EXPECT_EQ(preferred.height, 1080u);
    EXPECT_EQ(descriptorText(r.data, 0xFC), "TKVSIM 1080");
    EXPECT_NE(descriptorText(r.data, 0xFD), "");

    // CTA-861: the data blocks run from byte 4 to the timing offset.
    const uint8_t *cta = r.data + 128;
    ASSERT_EQ(cta[0], 0x02);
    bool vic16 = false, audio = false, speakers = false;
    for (int at = 4; at < cta[2]; at += 1 + (cta[at] & 0x1F)) {
        const int tag = cta[at] >> 5;
        if (tag == 2) vic16 = (cta[at + 1] & 0x7F) == 16;
        audio |= tag == 1;
        speakers |= tag == 4;
    }
    EXPECT_TRUE(vic16);
    EXPECT_TRUE(audio);
    EXPECT_TRUE(speakers);
}

TEST_F(SimEdid, OtherPortsAndTheirVerdicts) {
    ddc_edid_t r{};
    ASSERT_EQ(edid(1, r), 0);
    EXPECT_EQ(r.length, 128u);
    EXPECT_EQ(r.valid, 1u);
    EXPECT_TRUE(blockSumsToZero(r.data));
    EXPECT_EQ(r.data[126], 0);
    EXPECT_EQ(decodeTiming(r.data + 54).width, 1280u);
    EXPECT_EQ(decodeTiming(r.data + 54).height, 1024u);

    ASSERT_EQ(edid(3, r), 0);
    EXPECT_EQ(r.length, 128u);
    EXPECT_EQ(r.valid, 0u);
    EXPECT_FALSE(blockSumsToZero(r.data));
    EXPECT_EQ(r.data[1], 0xFF);  // only the checksum is wrong

    // Failures leave the record alone, and the driver never writes port or reserved.
    memset(&r, 0x5A, sizeof r);
    EXPECT_EQ(edid(2, r), ENXIO);
    EXPECT_EQ(r.length, 0x5A5A5A5Au);
    EXPECT_EQ(edid(4, r), EINVAL);
    EXPECT_EQ(r.data[0], 0x5A);
    ASSERT_EQ(edid(1, r), 0);
    EXPECT_EQ(r.reserved, 0x5A5A5A5Au);
    EXPECT_EQ(r.port, 1u);
    EXPECT_EQ(r.data[200], 0);  // nothing stale past the length

    tkvsim::removeMonitor(0);
    EXPECT_EQ(edid(0, r), ENXIO);
}

TEST_F(SimEdid, ReplacedEdidIsJudgedByItsChecksums) {
    ddc_edid_t good{};
    ASSERT_EQ(edid(0, good), 0);
    ddc_edid_t r{};
    tkvsim::setEdid(2, good.data, 256);  // a monitor appears on the empty port
    ASSERT_EQ(edid(2, r), 0);
    EXPECT_EQ(r.length, 256u);
    EXPECT_EQ(r.valid, 1u);
    EXPECT_EQ(memcmp(r.data, good.data, 256), 0);

    uint8_t bytes[256];
    memcpy(bytes, good.data, sizeof bytes);
    bytes[200] ^= 1;  // the extension's sum breaks
    tkvsim::setEdid(2, bytes, 256);
    ASSERT_EQ(edid(2, r), 0);
    EXPECT_EQ(r.valid, 0u);

    tkvsim::setEdid(2, good.data, 100);  // not whole blocks
    ASSERT_EQ(edid(2, r), 0);
    EXPECT_EQ(r.length, 100u);
    EXPECT_EQ(r.valid, 0u);

    memcpy(bytes, good.data, 128);
    bytes[0] = 0xFF;  // header wrong, sum repaired
    bytes[127] = static_cast<uint8_t>(bytes[127] - 0xFF);
    tkvsim::setEdid(2, bytes, 128);
    ASSERT_EQ(edid(2, r), 0);
    EXPECT_EQ(r.valid, 0u);

    tkvsim::setEdid(2, bytes, 0);
    ASSERT_EQ(edid(2, r), 0);
    EXPECT_EQ(r.length, 0u);
    EXPECT_EQ(r.valid, 0u);
}

TEST_F(SimEdid, EdidFileReplacesAPortUpTo512Bytes) {
    char path[] = "/tmp/tkvsim-edid-XXXXXX";
    int file = mkstemp(path);
    ASSERT_GE(file, 0);
    uint8_t bytes[600];
    for (size_t i = 0; i < sizeof bytes; ++i) bytes[i] = static_cast<uint8_t>(i);
    ASSERT_EQ(write(file, bytes, sizeof bytes), static_cast<ssize_t>(sizeof bytes));
    close(file);

    setenv("TKVSIM_EDID1", path, 1);
    setenv("TKVSIM_EDID3", "/nonexistent/edid.bin", 1);
    tkvsim::reset();  // settings come from the environment again
    ddc_edid_t r{};
    EXPECT_EQ(edid(1, r), 0);
    EXPECT_EQ(r.length, 512u);
    EXPECT_EQ(r.valid, 0u);
    EXPECT_EQ(r.data[511], 0xFF);
    EXPECT_EQ(edid(3, r), ENXIO);
    unsetenv("TKVSIM_EDID1");
    unsetenv("TKVSIM_EDID3");
    unlink(path);
    tkvsim::reset();
}

TEST_F(SimPci, IdentityIsReadOnly) {
    const uint32_t ids = pciRead(0x00), classRevision = pciRead(0x08), subsystem = pciRead(0x2C);
    EXPECT_NE(ids & 0xFFFF, 0xFFFFu);
    EXPECT_EQ(classRevision >> 8, 0x030000u);
    EXPECT_EQ(pciRead(0x0C) >> 16 & 0xFF, 0u);  // header type 0
    EXPECT_EQ(pciRead(0x3C) >> 8 & 0xFF, 1u);   // interrupt pin A
    EXPECT_EQ(pciRead(0x34) & 0xFF, 0u);        // no capability list
    EXPECT_EQ(pciRead(0x04) >> 16 & 0x10, 0u);
    for (uint32_t offset : {0x00u, 0x08u, 0x2Cu, 0x34u, 0x80u, 0xFCu}) pciWrite(offset, 0xFFFFFFFF);
    EXPECT_EQ(pciRead(0x00), ids);
    EXPECT_EQ(pciRead(0x08), classRevision);
    EXPECT_EQ(pciRead(0x2C), subsystem);
    EXPECT_EQ(pciRead(0x80), 0u);
    EXPECT_EQ(pciRead(0xFC), 0u);
}

TEST_F(SimPci, CommandAndInterruptLineKeepOnlyTheirWritableBits) {
    pciWrite(0x04, 0xFFFFFFFF);
    EXPECT_EQ(pciRead(0x04), 0x00000547u);  // status unchanged
    pciWrite(0x04, 0x2);
    EXPECT_EQ(pciRead(0x04), 0x2u);
    pciWrite(0x3C, 0xFFFFFF0B);
    EXPECT_EQ(pciRead(0x3C), 0x0000010Bu);
}

TEST_F(SimPci, BarsAnswerTheSizingProtocol) {
    const uint32_t bar0 = pciRead(0x10), bar1 = pciRead(0x14);
    EXPECT_EQ(bar0 & 0xFFFFFFF, 0x8u);  // 256 MiB aligned, prefetchable
    EXPECT_EQ(bar1 & 0xFFFFFF, 0x0u);
    pciWrite(0x10, 0xFFFFFFFF);
    pciWrite(0x14, 0xFFFFFFFF);
    pciWrite(0x18, 0xFFFFFFFF);
    pciWrite(0x30, 0xFFFFFFFF);
    EXPECT_EQ(pciRead(0x10), 0xF0000008u);
    EXPECT_EQ(pciRead(0x14), 0xFF000000u);
    EXPECT_EQ(pciRead(0x18), 0u);  // not implemented
    EXPECT_EQ(pciRead(0x30), 0u);
    pciWrite(0x10, 0xE1234567);
    EXPECT_EQ(pciRead(0x10), 0xE0000008u);
    pciWrite(0x14, bar1 | 0xFFF);
    EXPECT_EQ(pciRead(0x14), bar1);
}

TEST_F(SimPci, RefusesPartialAndUnknownRequests) {
    for (uint32_t offset : {0x01u, 0x02u, 0x03u, 0x100u, 0xFFFFFFFCu}) {
        pci_op_t op{DIR_READ, offset, 0x1234};
        EXPECT_EQ(ask(IOCTL_PCI_OP, op), EINVAL) << offset;
        EXPECT_EQ(op.value, 0x1234u);
    }
    pci_op_t op{2, 0x00, 0x1234};
    EXPECT_EQ(ask(IOCTL_PCI_OP, op), EINVAL);
    op = {DIR_WRITE, 0x06, 0xFFFF};
    EXPECT_EQ(ask(IOCTL_PCI_OP, op), EINVAL);
    EXPECT_EQ(pciRead(0x04), 0x7u);  // nothing was written
}
