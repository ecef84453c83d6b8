// What an operation of the client layer tells its front end when it fails:
// the kind of failure, which decides the exit status or the exception, a
// plain-English message, and the numbers behind it.  The layer never prints.
#ifndef TKV_CLIENT_OUTCOME_H
#define TKV_CLIENT_OUTCOME_H

#include <stdint.h>

#include <string>

namespace client {

enum class Failure : uint8_t {
    None,
    Usage,   // a bad argument or range: nothing was asked of the device
    Device,  // a request failed (errnum), or an I2C transaction did (i2cResult)
    Absent,  // nothing there: no monitor, no answer, no camera, a port not set up
};

struct Outcome {
    Failure failure = Failure::None;
    std::string message;  // without the front end's own prefix (its command, say)
    int errnum = 0;       // the failed request's error number, or 0
    int i2cResult = 0;    // the failed I2C transaction's library result, or 0

    bool ok() const { return failure == Failure::None; }
};

inline Outcome succeeded() { return {}; }
inline Outcome failed(Failure failure, std::string message, int errnum = 0, int i2cResult = 0) {
    return {failure, std::move(message), errnum, i2cResult};
}

}  // namespace client

#endif
