#include "tekvaro.h"
int main() { int fd = tkvOpen(0); uint32_t v = 0; tkvRegReadLong(0x10028, &v); tkvClose(); return fd < 0; }
