// Library tests: a fresh simulated device with connection 0 open, the request
// trace cleared, and helpers to read the trace and the library's stderr.
// Each area names its suite after itself: `using I2c = LibTest;`.
#ifndef TKV_TESTS_LIB_FIXTURE_H
#define TKV_TESTS_LIB_FIXTURE_H

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tekvaro.h"
#include "tkvsim.h"

class LibTest : public ::testing::Test {
protected:
    void SetUp() override {
        tkvsim::reset();
        fd = tkvOpen(0);
        ASSERT_GE(fd, 0);
        tkvsim::clearTrace();
    }
    void TearDown() override {
        if (fd >= 0) tkvClose();
    }

    int fd = -1;
};

// The requests since the last clearTrace (opens and closes included) that
// `keep` accepts, in order.
template <typename Keep>
std::vector<tkvsim::Request> requestsWhere(Keep keep) {
    std::vector<tkvsim::Request> kept;
    for (size_t i = 0; i < tkvsim::traceSize(); ++i)
        if (keep(tkvsim::traceAt(i))) kept.push_back(tkvsim::traceAt(i));
    return kept;
}

inline std::vector<tkvsim::Request> ofKind(tkvsim::Kind kind) {
    return requestsWhere([kind](const tkvsim::Request &r) { return r.kind == kind; });
}

// Only the memory requests.
inline std::vector<tkvsim::Request> mmio() { return ofKind(tkvsim::Kind::Mmio); }

// Runs `body` and returns what it wrote to stderr.
template <typename F>
std::string stderrOf(F body) {
    ::testing::internal::CaptureStderr();
    body();
    return ::testing::internal::GetCapturedStderr();
}

#endif
