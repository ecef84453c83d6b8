// What a failed library call's result says: the error number behind it.
#ifndef TKV_CLIENT_LIBRARY_RESULT_H
#define TKV_CLIENT_LIBRARY_RESULT_H

#include <errno.h>

// -1 leaves the error in errno; -22 and the other negative results carry it.
inline int errorOf(int result) {
    if (result == -1) return errno ? errno : EIO;
    return result < 0 ? -result : EIO;
}

#endif
