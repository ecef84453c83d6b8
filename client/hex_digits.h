// Hexadecimal digits, as the layer and its front ends read them.
#ifndef TKV_CLIENT_HEX_DIGITS_H
#define TKV_CLIENT_HEX_DIGITS_H

#include "../common/hex_digit.h"

#endif
