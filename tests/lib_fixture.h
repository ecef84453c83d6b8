// Library tests: a fresh simulated device with connection 0 open, the request
// trace cleared, and helpers to read the trace and the library's stderr.
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

    // Every request since the last clearTrace (opens and closes included).
    static std::vector<tkvsim::Request> trace() {
        std::vector<tkvsim::Request> all;
        for (size_t i = 0; i < tkvsim::traceSize(); ++i) all.push_back(tkvsim::traceAt(i));
        return all;
    }
    // Only the memory requests.
    static std::vector<tkvsim::Request> mmio() {
        std::vector<tkvsim::Request> all;
        for (size_t i = 0; i < tkvsim::traceSize(); ++i)
            if (tkvsim::traceAt(i).kind == tkvsim::Kind::Mmio) all.push_back(tkvsim::traceAt(i));
        return all;
    }

    int fd = -1;
};

// Runs `body` and returns what it wrote to stderr.
template <typename F>
std::string stderrOf(F body) {
    ::testing::internal::CaptureStderr();
    body();
    return ::testing::internal::GetCapturedStderr();
}

#endif
