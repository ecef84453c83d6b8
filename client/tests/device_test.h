// The client layer's tests that use the device: a fresh simulated device with
// connection 0 open.  Each area names its suite after itself:
// `using ClientEdid = ClientDeviceTest;`.
#ifndef TKV_CLIENT_TESTS_DEVICE_TEST_H
#define TKV_CLIENT_TESTS_DEVICE_TEST_H

#include <gtest/gtest.h>

#include "tekvaro.h"
#include "tkvsim.h"

class ClientDeviceTest : public ::testing::Test {
protected:
    void SetUp() override {
        tkvsim::reset();
        ASSERT_GE(tkvOpen(0), 0);
    }
    void TearDown() override { tkvClose(); }
};

#endif
