#include "i2c_check.h"

#include "report.h"

int checkChannelEnabled(unsigned channel, const char *what) {
    const client::ChannelCheck check = client::checkChannel(channel);
    if (check.ok()) return kExitOk;
    if (check.disabled)
        complain("%s", check.message.c_str());
    else
        complain("%s %u: %s", what, channel, check.message.c_str());
    return kExitFailed;
}
