// I2C transactions: the exact register accesses, the result codes, and the
// bounded status wait.
#include <errno.h>

#include "i2c_trace.h"
#include "lib_fixture.h"

using Script = std::vector<std::string>;
using I2c = LibTest;

TEST_F(I2c, OneByteReadIsAddressSubaddressRepeatedStartThenLastByte) {
    ASSERT_EQ(tkvI2cWriteByte(0, 0x24, 0x05, 0xA7), 0);
    tkvsim::clearTrace();
    uint8_t byte = 0;
    ASSERT_EQ(tkvI2cRead(0, 0x24, 0x05, 1, &byte), 0);
    EXPECT_EQ(byte, 0xA7);
    const Script expected = sent(0x03, 0x48, 0x90) + sent(0x03, 0x05, 0x10) + sent(0x03, 0x49, 0x90) +
                            Script{"W04=68", "wait", "R03"};
    EXPECT_EQ(busScript(), expected);
    // Each wait polls until "transfer in progress" clears: busy, busy, done.
    auto r = mmio();
    ASSERT_GE(r.size(), 5u);
    EXPECT_EQ(r[2].offset, 0x04u);
    EXPECT_EQ(r[2].returned & 0x02, 0x02u);
    EXPECT_EQ(r[3].returned & 0x02, 0x02u);
    EXPECT_EQ(r[4].returned & 0x82, 0x00u);
}

TEST_F(I2c, MultiByteReadAcknowledgesAllButTheLast) {
    uint8_t bytes[3] = {};
    ASSERT_EQ(tkvI2cRead(0, 0x50, 0x40, 3, bytes), 0);
    EXPECT_EQ(bytes[0], 0x40);
    EXPECT_EQ(bytes[1], 0x41);
    EXPECT_EQ(bytes[2], 0x42);
    const Script script = busScript();
    ASSERT_GE(script.size(), 9u);
    const Script tail(script.end() - 9, script.end());
    EXPECT_EQ(tail, (Script{"W04=20", "wait", "R03", "W04=20", "wait", "R03", "W04=68", "wait", "R03"}));
}

TEST_F(I2c, ThreeByteWriteOnChannelOne) {
    const uint8_t bytes[] = {0x11, 0x22, 0x33};
    ASSERT_EQ(tkvI2cWrite(1, 0x24, 0x0B, 3, bytes), 0);
    const Script expected = sent(0x13, 0x48, 0x90) + sent(0x13, 0x0B, 0x10) + sent(0x13, 0x11, 0x10) +
                            sent(0x13, 0x22, 0x10) + sent(0x13, 0x33, 0x50);
    EXPECT_EQ(busScript(), expected);
    EXPECT_EQ(tkvsim::decoderRegister(1, 0x0B), 0x11);
    EXPECT_EQ(tkvsim::decoderRegister(1, 0x0C), 0x22);
    EXPECT_EQ(tkvsim::decoderRegister(1, 0x0D), 0x33);
    EXPECT_EQ(tkvsim::decoderRegister(0, 0x0B), 0x00);  // the other channel's decoder
}

TEST_F(I2c, WriteByteSendsOnlyTheLowByte) {
    ASSERT_EQ(tkvI2cWriteByte(0, 0x24, 0x0A, 0x1FF), 0);
    EXPECT_EQ(busScript(), sent(0x03, 0x48, 0x90) + sent(0x03, 0x0A, 0x10) + sent(0x03, 0xFF, 0x50));
    EXPECT_EQ(tkvsim::decoderRegister(0, 0x0A), 0xFF);
}

TEST_F(I2c, AddressByteKeepsSevenBitsOfTheDeviceAddress) {
    // 0xD0 loses its top bit and reaches the EEPROM at 0x50.
    uint8_t byte = 0;
    ASSERT_EQ(tkvI2cRead(0, 0xD0, 0x10, 1, &byte), 0);
    EXPECT_EQ(byte, 0x10);
    Script script = busScript();
    EXPECT_EQ(script[0], "W03=A0");
    EXPECT_EQ(script[6], "W03=A1");
    tkvsim::clearTrace();
    EXPECT_EQ(tkvI2cWriteByte(0, 0x80, 0, 0), -2);  // nobody at 0x00
    EXPECT_EQ(busScript()[0], "W03=00");
    tkvsim::clearTrace();
    tkvI2cRead(1, 0x80, 0, 1, &byte);
    EXPECT_EQ(busScript()[0], "W13=00");
}

TEST_F(I2c, UnknownChannelSendsNoRequest) {
    uint8_t byte = 0x5A;
    for (int channel : {2, -1, 0x10}) {
        EXPECT_EQ(tkvI2cRead(channel, 0x24, 0, 1, &byte), -1);
        EXPECT_EQ(tkvI2cWrite(channel, 0x24, 0, 1, &byte), -1);
        EXPECT_EQ(tkvI2cWriteByte(channel, 0x24, 0, 1), -1);
    }
    EXPECT_EQ(byte, 0x5A);
    EXPECT_EQ(tkvsim::traceSize(), 0u);
}

TEST_F(I2c, EmptyTransfersStopWithoutData) {
    uint8_t byte = 0x5A;
    for (int length : {0, -3}) {
        tkvsim::clearTrace();
        EXPECT_EQ(tkvI2cRead(0, 0x50, 0x07, length, &byte), 0);
        EXPECT_EQ(busScript(), sent(0x03, 0xA0, 0x90) + sent(0x03, 0x07, 0x10) + sent(0x03, 0xA1, 0x90));
        tkvsim::clearTrace();
        EXPECT_EQ(tkvI2cWrite(0, 0x50, 0x07, length, &byte), 0);
        EXPECT_EQ(busScript(), sent(0x03, 0xA0, 0x90) + sent(0x03, 0x07, 0x10));
    }
    EXPECT_EQ(byte, 0x5A);
}

TEST_F(I2c, MissingSlaveEndsAfterTheAddressWithoutStop) {
    tkvsim::removeI2cSlave(0, 0x24);
    uint8_t byte = 0x5A;
    EXPECT_EQ(tkvI2cRead(0, 0x24, 0x05, 1, &byte), -2);
    EXPECT_EQ(byte, 0x5A);
    EXPECT_EQ(busScript(), sent(0x03, 0x48, 0x90));
    tkvsim::clearTrace();
    EXPECT_EQ(tkvI2cWriteByte(0, 0x24, 0x05, 1), -2);
    EXPECT_EQ(busScript(), sent(0x03, 0x48, 0x90));
    EXPECT_EQ(tkvsim::decoderRegister(0, 0x05), 0);
}

TEST_F(I2c, HungChannelIsGivenUpWithinTheBound) {
    tkvsim::hangI2cChannel(1);
    EXPECT_EQ(tkvI2cWriteByte(1, 0x24, 0x02, 0xC0), -1);
    // It polls again while the transfer stays in progress, a few times at
    // once, then with pauses that grow to 1 ms, until 300 ms have passed: at
    // most about 330 polls however fast the machine is (spinning would make
    // hundreds of thousands), and however slow it is, more than one.
    size_t polls = 0;
    for (const tkvsim::Request &r : mmio()) polls += r.direction == 0 && r.offset == 0x14;
    EXPECT_GT(polls, 1u);
    EXPECT_LT(polls, 350u);
    EXPECT_EQ(busScript(), sent(0x13, 0x48, 0x90));  // abandoned in the first wait
    uint8_t byte = 0;
    EXPECT_EQ(tkvI2cRead(1, 0x24, 0x02, 1, &byte), -1);
    // The other channel still works.
    EXPECT_EQ(tkvI2cRead(0, 0x50, 0x33, 1, &byte), 0);
    EXPECT_EQ(byte, 0x33);
}

TEST_F(I2c, UnreachableRegistersAreNoSuccess) {
    uint8_t bytes[2] = {0x11, 0x22};
    tkvsim::failEveryRequest(EIO);
    EXPECT_EQ(tkvI2cRead(0, 0x50, 0, 2, bytes), -1);
    EXPECT_EQ(tkvI2cWriteByte(1, 0x24, 2, 0xC0), -1);
    EXPECT_EQ(mmio().size(), 2u);  // given up at the first failed access
    tkvsim::failEveryRequest(0);
    tkvsim::clearTrace();
    // A status poll fails midway: the transaction stops and stores nothing.
    tkvsim::failNthRequest(15);
    EXPECT_EQ(tkvI2cRead(0, 0x50, 0, 1, bytes), -1);
    EXPECT_EQ(bytes[0], 0x11);
    EXPECT_EQ(tkvI2cRead(0, 0x50, 0, 1, bytes), 0);
    EXPECT_EQ(bytes[0], 0x00);
}

TEST_F(I2c, ErrStringTextsOfTheCodes) {
    EXPECT_STREQ(tkvI2cErrString(0), "Succeed");
    EXPECT_STREQ(tkvI2cErrString(-1), "I2c channel is not exist");
    EXPECT_STREQ(tkvI2cErrString(-2), "I2c slave device is not exist");
    EXPECT_STREQ(tkvI2cErrString(-3), "I2c slave device acknowledge none");
    EXPECT_STREQ(tkvI2cErrString(-4), "Invalid argument");
    for (int code : {1, -5, -22, 0x7FFFFFFF, -0x7FFFFFFF - 1})
        EXPECT_STREQ(tkvI2cErrString(code), "Unkown error");
}
