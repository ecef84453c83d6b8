// The driver core's version, as every front end reports it.
#ifndef TKV_CLIENT_CORE_VERSION_H
#define TKV_CLIENT_CORE_VERSION_H

#include <string>

#include "outcome.h"

namespace client {

struct CoreVersion {
    int parts[4] = {};         // most significant first
    std::string text() const;  // "1.0.0.0"
};

Outcome readCoreVersion(CoreVersion &version);

}  // namespace client

#endif
