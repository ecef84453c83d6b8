#include "i2c_check.h"

#include <string.h>

#include "report.h"

int checkChannelEnabled(unsigned channel, const char *what) {
    ChannelState state{};
    if (int error = readChannelState(channel, state)) {
        complain("%s %u: %s", what, channel, strerror(error));
        return kExitFailed;
    }
    if (state.enabled()) return kExitOk;
    complain("I2C channel %u is disabled (control 0x%02x)", channel, state.control);
    return kExitFailed;
}
