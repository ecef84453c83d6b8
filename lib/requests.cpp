// The requests that are not memory accesses: a monitor's EDID, the driver
// core's version, and one word of PCI configuration space.  Nothing here
// prints: the callers report failures.
#include <errno.h>

#include "driver.h"
#include "tekvaro.h"

namespace {

constexpr uint32_t kLastDdcPort = 3;

// The EDID bytes handed out live here until the next EDID request.  The other
// requests fill a record of their own per call, so that threads never meet.
ddc_edid_t ddc;

}  // namespace

// The outputs are stored whatever the result: on failure the record still
// holds the previous answer, as the driver only writes it on success.
extern "C" TKV_API int tkvDDCRead(uint32_t port, uint32_t *length, uint8_t **data, uint32_t *valid) {
    if (port > kLastDdcPort) return -EINVAL;
    ddc.port = port;
    ddc.reserved = 0;
    int result = tkv::request(IOCTL_DDC_EDID, &ddc);
    if (length) *length = ddc.length;
    if (data) *data = ddc.data;
    if (valid) *valid = ddc.valid;
    return result;
}

extern "C" TKV_API int tkvTkvcoreVer(int *ver0, int *ver1, int *ver2, int *ver3) {
    core_ver_t version{};
    int result = tkv::request(IOCTL_CORE_VER, &version);
    int *outputs[] = {ver0, ver1, ver2, ver3};
    for (int i = 0; i < 4; ++i)
        if (outputs[i]) *outputs[i] = version.ver[i];
    return result;
}

// The caller's value travels with the read; a null pointer sends 0 and
// receives nothing rather than crashing.
extern "C" TKV_API int tkvPciRead(uint32_t offset, uint32_t *value) {
    pci_op_t record{DIR_READ, offset, value ? *value : 0};
    const int result = tkv::request(IOCTL_PCI_OP, &record);
    if (value) *value = record.value;
    return result;
}

extern "C" TKV_API int tkvPciWrite(uint32_t offset, uint32_t value) {
    pci_op_t record{DIR_WRITE, offset, value};
    return tkv::request(IOCTL_PCI_OP, &record);
}
