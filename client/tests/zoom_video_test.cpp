// The zoom video operations on a fresh simulated device: the defaults, the
// refusals and each failure's kind.
#include "zoom_video.h"

#include <errno.h>
#include <gtest/gtest.h>

#include "device_test.h"

#include "regmap_offsets.h"
#include "tekvaro.h"
#include "tkvsim.h"

namespace {

using client::Failure;
using client::ZoomVideoStep;

using ClientZoomVideo = ClientDeviceTest;

TEST_F(ClientZoomVideo, EachPortStartsWithTheDefaultsOnItsOwnDecoder) {
    for (unsigned port : {0u, 1u}) {
        SCOPED_TRACE(port);
        const client::ZoomVideoOutcome init = client::zoomVideoInit(port, {});
        ASSERT_TRUE(init.ok()) << init.message;
        EXPECT_EQ(init.channel, port);
        EXPECT_EQ(tkvsim::decoderRegister(static_cast<int>(port), 0x02), 0xC0);  // programmed
        ASSERT_TRUE(client::zoomVideoStart(port, {}).ok());
        ZoomVideoState state;
        ASSERT_TRUE(client::zoomVideoInfo(port, state).ok());
        EXPECT_TRUE(state.capturing);
        EXPECT_EQ(state.layer, 1);
        EXPECT_EQ(state.width, 720);  // the camera's size
        EXPECT_EQ(state.height, 576);
        ASSERT_TRUE(client::zoomVideoStop(port).ok());
        ASSERT_TRUE(client::zoomVideoInfo(port, state).ok());
        EXPECT_FALSE(state.capturing);
    }
}

TEST_F(ClientZoomVideo, ArgumentsOutOfRangeAreUsageErrorsThatAskNothingOfTheDevice) {
    client::ZoomVideoSetup channel, address, layer;
    channel.decoderChannel = 2;
    address.decoderAddress = 0x26;
    layer.layer = 2;
    client::ZoomVideoWindow wide, zoom, crtc;
    wide.width = 0x10000;
    zoom.zoomHeight = 3;
    crtc.crtc = 2;
    const struct {
        client::ZoomVideoOutcome outcome;
        const char *message;
    } cases[] = {
        {client::zoomVideoInit(2, {}), "zoom video port 2 does not exist (0 to 1)"},
        {client::zoomVideoInit(0, channel), "I2C channel 2 does not exist (0 to 1)"},
        {client::zoomVideoInit(0, address), "decoder address 0x26 is not 0x24 or 0x25"},
        {client::zoomVideoInit(0, layer), "layer 2 is not 1 or 3"},
        {client::zoomVideoStart(0, wide), "width 65536 is out of range (0 to 65535)"},
        {client::zoomVideoStart(0, zoom), "zoom factor 3 is not 1, 2, 4 or 8"},
        {client::zoomVideoStart(0, crtc), "CRTC 2 does not exist (0 to 1)"},
        {client::zoomVideoStop(5), "zoom video port 5 does not exist (0 to 1)"},
    };
    for (const auto &c : cases) {
        EXPECT_EQ(c.outcome.failure, Failure::Usage) << c.message;
        EXPECT_EQ(c.outcome.message, c.message);
    }
    EXPECT_EQ(tkvsim::decoderRegister(0, 0x02), 0x00);  // nothing was programmed
}

TEST_F(ClientZoomVideo, FailuresSayWhichStepAndWhatKind) {
    // A port that was never set up, and one that sees no camera.
    client::ZoomVideoOutcome outcome = client::zoomVideoStart(0, {});
    EXPECT_EQ(outcome.step, ZoomVideoStep::NotSetUp);
    EXPECT_EQ(outcome.failure, Failure::Absent);
    ASSERT_TRUE(client::zoomVideoInit(1, {}).ok());
    tkvsim::setCameraSize(1, 0, 0);
    outcome = client::zoomVideoStart(1, {});
    EXPECT_EQ(outcome.step, ZoomVideoStep::NoCamera);
    client::ZoomVideoWindow given;
    given.width = 320;
    given.height = 240;
    EXPECT_TRUE(client::zoomVideoStart(1, given).ok());

    // The decoder's channel disabled, then the decoder gone.
    ASSERT_EQ(tkvRegWriteByte(regmap_offsets::I2C0_CTR, 0), 0);
    outcome = client::zoomVideoInit(0, {});
    EXPECT_EQ(outcome.step, ZoomVideoStep::ChannelDisabled);
    EXPECT_EQ(outcome.failure, Failure::Device);
    EXPECT_EQ(outcome.message, "I2C channel 0 is disabled (control 0x00)");
    ASSERT_EQ(tkvRegWriteByte(regmap_offsets::I2C0_CTR, 0x80), 0);
    tkvsim::removeI2cSlave(0, 0x24);
    outcome = client::zoomVideoInit(0, {});
    EXPECT_EQ(outcome.step, ZoomVideoStep::Decoder);
    EXPECT_EQ(outcome.failure, Failure::Absent);
    EXPECT_EQ(outcome.i2cResult, -2);
    EXPECT_EQ(outcome.message, "the decoder at 0x24 on I2C channel 0: no device answers");

    // Every request failing.
    tkvsim::failEveryRequest(EIO);
    for (const client::ZoomVideoOutcome &failedRequest :
         {client::zoomVideoStart(1, {}), client::zoomVideoStop(1), client::zoomVideoRestart(1)}) {
        EXPECT_EQ(failedRequest.step, ZoomVideoStep::Request);
        EXPECT_EQ(failedRequest.failure, Failure::Device);
        EXPECT_EQ(failedRequest.errnum, EIO);
    }
    EXPECT_EQ(client::zoomVideoInit(1, {}).step, ZoomVideoStep::ChannelState);
    tkvsim::failEveryRequest(0);
}

}  // namespace
