// The library's one connection to the driver, shared by every area.
#ifndef TKV_LIB_DRIVER_H
#define TKV_LIB_DRIVER_H

#include <sys/ioctl.h>

namespace tkv {

// The descriptor of the open connection; -1 when there is none.
extern int lastfd;

// Issues one driver request on the connection; 0 or -1 as the system call says.
// Inline: a dump makes one request per item.
inline int request(unsigned long code, void *record) { return ioctl(lastfd, code, record); }

}  // namespace tkv

#endif
