// Opening a device as every client wants it: quietly, and leaving nothing
// behind.  The library prints "Opening device N failed with -1" itself when
// the driver's node cannot be opened, so the node is tried first; and a
// failed open leaves the descriptors the library opened before the failure
// open, so they are closed.
#ifndef TKV_CLIENT_QUIET_OPEN_H
#define TKV_CLIENT_QUIET_OPEN_H

// The driver's node, for messages.
constexpr char kDeviceNode[] = "/dev/tkvrw";

// tkvOpen(device): its descriptor, or the negated error number.
int quietOpen(int device);

// Ends the connection quietOpen made: 0, or the error number of the close.
int closeDevice();

#endif
