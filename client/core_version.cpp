#include "core_version.h"

#include <string.h>

#include "library_result.h"
#include "tekvaro.h"

namespace client {

std::string CoreVersion::text() const {
    return std::to_string(parts[0]) + "." + std::to_string(parts[1]) + "." + std::to_string(parts[2]) + "." +
           std::to_string(parts[3]);
}

Outcome readCoreVersion(CoreVersion &version) {
    version = CoreVersion{};
    int *v = version.parts;
    if (int result = tkvTkvcoreVer(&v[0], &v[1], &v[2], &v[3])) {
        const int errnum = errorOf(result);
        return failed(Failure::Device, strerror(errnum), errnum);
    }
    return succeeded();
}

}  // namespace client
