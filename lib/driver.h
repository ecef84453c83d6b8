// The library's one connection to the driver, shared by every area.
#ifndef TKV_LIB_DRIVER_H
#define TKV_LIB_DRIVER_H

namespace tkv {

// Issues one driver request on the connection; 0 or -1 as the system call says.
int request(unsigned long code, void *record);

}  // namespace tkv

#endif
