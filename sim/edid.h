// The DDC request: the EDID of the monitor on a port.
#ifndef TKVSIM_EDID_H
#define TKVSIM_EDID_H

#include <stddef.h>
#include <stdint.h>

#include "tekvaro.h"

#pragma GCC visibility push(hidden)

namespace sim {

// 0, or the errno the request fails with.
int ddcRequest(ddc_edid_t &record);
// Bytes that replace a port's content (at most 512), until forgotten.
void setPortEdid(int port, const uint8_t *bytes, size_t length);
void forgetPortEdids();

}  // namespace sim

#pragma GCC visibility pop

#endif
