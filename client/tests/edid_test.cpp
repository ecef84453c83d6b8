// Reading each DDC port of the simulated device, and the identity of an EDID.
#include "edid.h"

#include <errno.h>
#include <gtest/gtest.h>

#include "device_test.h"

#include "tekvaro.h"
#include "tkvsim.h"

namespace {

using client::Failure;

using ClientEdid = ClientDeviceTest;

TEST_F(ClientEdid, EachPortsMonitorOrItsAbsence) {
    const struct {
        unsigned port;
        Failure failure;
        size_t length;
        bool valid;
        int badBlock;
        const char *message;
    } cases[] = {
        {0, Failure::None, 256, true, -1, ""},
        {1, Failure::None, 128, true, -1, ""},
        {2, Failure::Absent, 0, false, -1, "no monitor (No such device or address)"},
        {3, Failure::None, 128, false, 0, ""},
        {4, Failure::Usage, 0, false, -1, "DDC port 4 does not exist (0 to 3)"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.port);
        client::Edid edid;
        const client::Outcome outcome = client::readEdid(c.port, edid);
        EXPECT_EQ(outcome.failure, c.failure);
        EXPECT_EQ(outcome.message, c.message);
        EXPECT_EQ(edid.bytes.size(), c.length);
        EXPECT_EQ(edid.valid, c.valid);
        EXPECT_EQ(edid.badBlock, c.badBlock);
    }
    tkvsim::failEveryRequest(EIO);
    client::Edid edid;
    const client::Outcome failed = client::readEdid(0, edid);
    EXPECT_EQ(failed.failure, Failure::Device);
    EXPECT_EQ(failed.errnum, EIO);
    tkvsim::failEveryRequest(0);
}

TEST_F(ClientEdid, TheIdentityAPersonLooksFor) {
    client::Edid edid;
    ASSERT_TRUE(client::readEdid(0, edid).ok());
    client::EdidIdentity id;
    ASSERT_TRUE(client::decodeEdidIdentity(edid.bytes, id));
    EXPECT_EQ(client::toJson(id).dump(),
              R"({"manufacturer":"ZZS","product":4224,"serial":0,"serial_text":"ZZS01080","week":12,)"
              R"("year":2024,"version":"1.3","name":"TKVSIM 1080","preferred":{"width":1920,"height":1080,)"
              R"("refresh_hz":60.0,"pixel_clock_khz":148500}})");

    // Without descriptors, date or a known manufacturer's letters.
    std::vector<uint8_t> bare(edid.bytes.begin(), edid.bytes.begin() + 128);
    std::fill(bare.begin() + 54, bare.begin() + 126, 0);
    bare[8] = bare[9] = 0;
    bare[16] = 0xFF;  // a model year
    ASSERT_TRUE(client::decodeEdidIdentity(bare, id));
    EXPECT_EQ(client::toJson(id).dump(),
              R"({"manufacturer":"???","product":4224,"serial":0,"serial_text":null,"week":null,)"
              R"("year":2024,"version":"1.3","name":null,"preferred":null})");

    // No base block.
    EXPECT_FALSE(
        client::decodeEdidIdentity(std::vector<uint8_t>(edid.bytes.begin(), edid.bytes.begin() + 127), id));
    bare[1] = 0;
    EXPECT_FALSE(client::decodeEdidIdentity(bare, id));
}

}  // namespace
