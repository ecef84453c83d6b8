// The simulated I2C masters and slaves, driven register by register.
#include "lib_fixture.h"

namespace {

constexpr uint32_t kData = 0x03, kCommand = 0x04;  // channel 0

uint8_t regByte(uint32_t offset) {
    uint8_t value = 0;
    EXPECT_EQ(tkvRegReadByte(offset, &value), 0);
    return value;
}

// Issues a command (with a byte to send) and returns the status once it has finished.
uint8_t command(uint8_t cmd, uint8_t byte = 0) {
    tkvRegWriteByte(kData, byte);
    tkvRegWriteByte(kCommand, cmd);
    uint8_t status;
    for (int polls = 0; (status = regByte(kCommand)) & 0x02; ++polls)
        if (polls > 10) return 0xFF;
    return status;
}

}  // namespace

using SimI2cBus = LibTest;

TEST_F(SimI2cBus, TransferInProgressStaysSetForTwoPolls) {
    tkvRegWriteByte(kData, 0xA0);
    tkvRegWriteByte(kCommand, 0x90);
    EXPECT_EQ(regByte(kCommand), 0x42);  // bus busy, transfer in progress
    EXPECT_EQ(regByte(kCommand), 0x42);
    EXPECT_EQ(regByte(kCommand), 0x40);
    EXPECT_EQ(regByte(kCommand), 0x40);
    EXPECT_EQ(command(0x40), 0x00);  // stop frees the bus

    tkvsim::hangI2cChannel(0);
    tkvRegWriteByte(kCommand, 0x40);
    for (int i = 0; i < 20; ++i) ASSERT_EQ(regByte(kCommand) & 0x02, 0x02);
}

TEST_F(SimI2cBus, SetupRegistersArePlainAndADisabledCoreIgnoresCommands) {
    tkvRegWriteByte(0x10, 0x12);
    tkvRegWriteByte(0x11, 0x34);
    EXPECT_EQ(regByte(0x10), 0x12);
    EXPECT_EQ(regByte(0x11), 0x34);
    EXPECT_EQ(regByte(0x12), 0x80);  // enabled at power-on
    tkvRegWriteByte(0x02, 0x00);
    tkvRegWriteByte(kData, 0xA0);
    tkvRegWriteByte(kCommand, 0x90);
    EXPECT_EQ(regByte(kCommand), 0x00);  // nothing happened
}

TEST_F(SimI2cBus, OnlyPresentSlavesAcknowledge) {
    EXPECT_EQ(command(0x90, 0x30 << 1), 0xC0);  // nobody at 0x30: no acknowledge, bus busy
    EXPECT_EQ(command(0x10, 0x00), 0xC0);       // nor for the bytes after it
    EXPECT_EQ(command(0x90, 0x50 << 1), 0x40);  // repeated start to the EEPROM
    EXPECT_EQ(command(0x50, 0x00), 0x00);
    tkvsim::removeI2cSlave(0, 0x50);
    EXPECT_EQ(command(0x90, 0x50 << 1), 0xC0);
    EXPECT_EQ(command(0x90, 0x24 << 1), 0x40);  // the decoder is still there
    EXPECT_EQ(command(0x90, 0x24 << 1 | 1), 0x40);
    EXPECT_EQ(command(0x10, 0x00), 0xC0);  // a slave in a read phase takes no bytes
}

TEST_F(SimI2cBus, EepromReadsAndWritesWithAutoIncrementAndWrap) {
    uint8_t bytes[4] = {};
    ASSERT_EQ(tkvI2cRead(0, 0x50, 0x80, 4, bytes), 0);
    EXPECT_EQ(bytes[0], 0x80);  // power-on content: byte i holds i
    EXPECT_EQ(bytes[3], 0x83);
    const uint8_t data[] = {0xDE, 0xAD, 0xBE, 0xEF};
    ASSERT_EQ(tkvI2cWrite(0, 0x50, 0xFE, 4, data), 0);
    ASSERT_EQ(tkvI2cRead(0, 0x50, 0xFE, 4, bytes), 0);
    EXPECT_EQ(std::vector<uint8_t>(bytes, bytes + 4), std::vector<uint8_t>(data, data + 4));
    ASSERT_EQ(tkvI2cRead(0, 0x50, 0x00, 2, bytes), 0);
    EXPECT_EQ(bytes[0], 0xBE);  // the write wrapped to 0
    EXPECT_EQ(bytes[1], 0xEF);
    EXPECT_EQ(tkvI2cRead(1, 0x50, 0x00, 1, bytes), -2);  // only on channel 0
}

TEST_F(SimI2cBus, ReadAfterTheLastByteFindsNoSlave) {
    EXPECT_EQ(command(0x90, 0xA0), 0x40);
    EXPECT_EQ(command(0x10, 0x20), 0x40);
    EXPECT_EQ(command(0x90, 0xA1), 0x40);
    command(0x28);  // last byte: no acknowledge, no stop
    EXPECT_EQ(regByte(kData), 0x20);
    command(0x20);
    EXPECT_EQ(regByte(kData), 0xFF);  // the slave has let go of the bus
}

TEST_F(SimI2cBus, DecodersKeepWhatWasProgrammedAndDriveTheCameraSize) {
    EXPECT_EQ(tkvsim::decoderRegister(0, 0x00), tkvsim::decoderRegister(1, 0x00));
    const uint8_t version = tkvsim::decoderRegister(0, 0x00);
    EXPECT_NE(version, 0);
    ASSERT_EQ(tkvI2cWriteByte(0, 0x24, 0x00, 0x5A), 0);
    EXPECT_EQ(tkvsim::decoderRegister(0, 0x00), version);  // read-only

    ASSERT_EQ(tkvRegWriteLong(0x100C0, 1), 0);
    ASSERT_EQ(tkvRegWriteLong(0x100D0, 1), 0);
    uint32_t size = 1;
    ASSERT_EQ(tkvRegReadLong(0x100CC, &size), 0);
    EXPECT_EQ(size, 0u);  // the version register write programmed nothing

    const uint8_t setup[] = {0xC0, 0x33};
    ASSERT_EQ(tkvI2cWrite(0, 0x24, 0x02, 2, setup), 0);
    EXPECT_EQ(tkvsim::decoderRegister(0, 0x02), 0xC0);
    EXPECT_EQ(tkvsim::decoderRegister(0, 0x03), 0x33);
    EXPECT_EQ(tkvsim::decoderRegister(1, 0x02), 0x00);
    uint16_t half = 0;
    ASSERT_EQ(tkvRegReadWord(0x100CC, &half), 0);
    EXPECT_EQ(half, 720);
    ASSERT_EQ(tkvRegReadWord(0x100CE, &half), 0);
    EXPECT_EQ(half, 576);
    ASSERT_EQ(tkvRegReadLong(0x100DC, &size), 0);
    EXPECT_EQ(size, 0u);  // port 1's decoder is on channel 1 and untouched

    uint8_t back[2] = {};
    ASSERT_EQ(tkvI2cRead(0, 0x24, 0x02, 2, back), 0);
    EXPECT_EQ(back[0], 0xC0);
    EXPECT_EQ(back[1], 0x33);
}
