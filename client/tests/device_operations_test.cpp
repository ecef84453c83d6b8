// The layer's other operations on a fresh simulated device: the spaces'
// range checks, the I2C channel check, transactions and scan, the core
// version, and field writes by name.
#include <errno.h>
#include <gtest/gtest.h>

#include "device_test.h"

#include "core_version.h"
#include "field_write.h"
#include "i2c_channel.h"
#include "regmap_files.h"
#include "regmap_offsets.h"
#include "spaces.h"
#include "tekvaro.h"
#include "tkvsim.h"

namespace {

using ClientDevice = ClientDeviceTest;

TEST(ClientSpaces, EachSpaceRefusesWhatLiesOutsideIt) {
    const struct {
        const char *space;
        uint32_t offset;
        unsigned width;
        uint64_t count;
        bool writing;
        const char *problem;
    } cases[] = {
        {"reg", 0xFFFFFC, 4, 1, false, ""},
        {"reg", 0xFFFFFE, 4, 1, false, "a 4-byte item at 0xfffffe runs past the end of reg (0x1000000)"},
        {"vram", 0xFFFFFF8, 8, 2, false, "0x2 items from 0xffffff8 run past the end of vram (0x10000000)"},
        {"vram", 0x10000000, 1, 1, false, "address 0x10000000 is outside vram (0 to 0xfffffff)"},
        {"crtc", 0, 2, 1, false, "crtc has no 2-byte items"},
        {"crtc", 0xFF, 1, 1, false, "address 0xff is outside crtc (0 to 0xfe)"},
        {"pci", 2, 4, 1, false, "4-byte pci items from 0x2 cross 4-byte words"},
        {"pci", 4, 2, 1, true,
         "pci is written in whole 4-byte words: a 2-byte write would write back the rest of its word "
         "(use -m MASK to change some bits)"},
        {"pci", 0xFC, 4, 1, true, ""},
    };
    for (const auto &c : cases)
        EXPECT_EQ(findSpace(c.space)->itemsProblem(c.offset, c.width, c.count, c.writing), c.problem)
            << c.space << " " << c.offset;
    EXPECT_EQ(findSpace("vram")->runProblem(0xFFFFFF0, 0x20, 1, false),
              "0x20 bytes from 0xffffff0 run past the end of vram (0x10000000)");
    EXPECT_EQ(findSpace("reg")->runProblem(0, 6, 4, false), "length 0x6 is not a multiple of the width 4");
}

TEST_F(ClientDevice, AnI2cChannelIsUsedOnlyWithItsCoreEnabled) {
    EXPECT_TRUE(client::checkChannel(0).ok());
    ASSERT_EQ(tkvRegWriteByte(regmap_offsets::I2C1_CTR, 0x7F), 0);
    const client::ChannelCheck off = client::checkChannel(1);
    EXPECT_EQ(off.failure, client::Failure::Device);
    EXPECT_TRUE(off.disabled);
    EXPECT_EQ(off.control, 0x7F);
    EXPECT_EQ(off.message, "I2C channel 1 is disabled (control 0x7f)");
    tkvsim::failEveryRequest(EIO);
    const client::ChannelCheck unread = client::checkChannel(0);
    EXPECT_FALSE(unread.disabled);
    EXPECT_EQ(unread.errnum, EIO);
    tkvsim::failEveryRequest(0);
}

TEST_F(ClientDevice, TransactionsAndTheScanFindTheDevicesThatAnswer) {
    const uint8_t written[] = {0xA5, 0x5A};
    ASSERT_EQ(client::i2cWrite(0, 0x50, 0x10, 2, written), 0);
    uint8_t read[2] = {};
    ASSERT_EQ(client::i2cRead(0, 0x50, 0x10, 2, read), 0);
    EXPECT_EQ(read[0], 0xA5);
    EXPECT_EQ(read[1], 0x5A);
    EXPECT_EQ(client::i2cRead(0, 0x51, 0, 1, read), kI2cNoAcknowledge);

    bool present[0x80];
    unsigned failedAt = 0;
    ASSERT_EQ(client::detectDevices(0, present, failedAt), 0);
    std::vector<unsigned> found;
    for (unsigned a = 0; a < 0x80; ++a)
        if (present[a]) found.push_back(a);
    EXPECT_EQ(found, (std::vector<unsigned>{0x24, 0x50}));
    tkvsim::hangI2cChannel(1);
    EXPECT_EQ(client::detectDevices(1, present, failedAt), kI2cNoChannel);
    EXPECT_EQ(failedAt, kFirstI2cAddress);  // the first probe gives up
    tkvsim::hangI2cChannel(-1);
}

TEST_F(ClientDevice, TheCoreVersionOrWhyItCannotBeRead) {
    tkvsim::setCoreVersion(2, 1, 0, 7);
    client::CoreVersion version;
    ASSERT_TRUE(client::readCoreVersion(version).ok());
    EXPECT_EQ(version.text(), "2.1.0.7");
    tkvsim::failEveryRequest(EPERM);
    const client::Outcome failed = client::readCoreVersion(version);
    EXPECT_EQ(failed.failure, client::Failure::Device);
    EXPECT_EQ(failed.errnum, EPERM);
    tkvsim::failEveryRequest(0);
}

TEST(ClientFieldWrite, FieldsByNameWithTheirRefusals) {
    const regmap::Map map = [] {
        regmap::Map m;
        regmap::addBlocks(m, regmap::shippedBlocks());
        return m;
    }();
    regmap::Name ctrl, size;
    std::string hint;
    ASSERT_EQ(regmap::findName(map, "LAYER1.CTRL", ctrl, hint), regmap::Lookup::Found);
    ASSERT_EQ(regmap::findName(map, "ZV0.SIZE", size, hint), regmap::Lookup::Found);

    const regmap::Field *zoom = nullptr, *enable = nullptr;
    ASSERT_TRUE(client::findField(ctrl, "ZOOM_WIDTH", zoom).ok());  // any case
    ASSERT_TRUE(client::findField(ctrl, "enable", enable).ok());
    const regmap::Field *none = nullptr;
    EXPECT_EQ(client::findField(ctrl, "zoom", none).message,
              "LAYER1.CTRL has no field 'zoom' (zoom_width, zoom_height, enable, connector, camera_width)");

    uint64_t x2 = 0;
    EXPECT_TRUE(client::valueOfName(*zoom, "X2", x2));
    EXPECT_EQ(x2, 1u);
    EXPECT_FALSE(client::valueOfName(*zoom, "x3", x2));
    EXPECT_EQ(client::invalidValue(*zoom, "x3").message, "invalid value 'x3' for zoom_width");

    client::FieldWrite write;
    ASSERT_TRUE(client::addField(write, ctrl, *zoom, x2).ok());
    ASSERT_TRUE(client::addField(write, ctrl, *enable, 1).ok());
    EXPECT_EQ(write.bits, 0x108u);
    EXPECT_EQ(write.mask, 0x118u);
    EXPECT_EQ(client::addField(write, ctrl, *zoom, 4).message,
              "value 0x4 does not fit in zoom_width (2 bits)");
    regmap::Register status = *size.reg;  // its fields, made read-only one by one
    status.fields[0].access = regmap::Access::ReadOnly;
    regmap::Name statusName = size;
    statusName.reg = &status;
    EXPECT_EQ(client::addField(write, statusName, status.fields[0], 1).message,
              "ZV0.SIZE.width is read-only");

    bool merge = false;
    EXPECT_EQ(client::storedValue(*ctrl.reg, write, merge).bits, 0x108u);
    EXPECT_TRUE(merge);  // a register that can be read: one read, one write
}

}  // namespace
