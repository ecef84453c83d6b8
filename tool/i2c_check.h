// The check before every I2C command of tkvtool: the channel's core must be
// enabled.
#ifndef TKVTOOL_I2C_CHECK_H
#define TKVTOOL_I2C_CHECK_H

#include "i2c_channel.h"

// Fails with one line, "I2C channel N is disabled (control 0xNN)" or the
// request's error, unless the channel's core is enabled.  `what` names the
// command in the second case.  Returns the exit status.
int checkChannelEnabled(unsigned channel, const char *what);

#endif
