/* tekvaro.h - the C interface of libutil_tekvaro.
 *
 * Every function turns one operation into requests on the driver's device
 * node /dev/tkvrw.  Results: 0 success, -22 an argument refused before any
 * request, -1 a failed driver request (errno tells why).  tkvOpen returns
 * the descriptor or the negated error number; the I2C transactions return
 * their own codes (see tkvI2cErrString).
 */
#ifndef TEKVARO_H
#define TEKVARO_H

#include <linux/ioctl.h>
#include <stddef.h>
#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

#ifndef TKV_API
#define TKV_API __attribute__((visibility("default")))
#endif

/* Address spaces of mmio_rw_t.region. */
#define REGION_VRAM 0u
#define REGION_REG  2u

/* Directions of mmio_rw_t and pci_op_t. */
#define DIR_READ  0u
#define DIR_WRITE 1u

/* Memory access: one register space or video memory access of 1, 2, 4 or 8 bytes. */
typedef struct {
    uint32_t region;
    uint32_t direction;
    uint32_t size;
    uint32_t offset;
    uint64_t value; /* low `size` bytes are meaningful, the rest are 0 */
} mmio_rw_t;

/* A monitor's EDID read over DDC channel `port` (0 to 3). */
typedef struct {
    uint32_t port;
    uint32_t reserved;
    uint32_t length;
    uint8_t data[512];
    uint32_t valid;
} ddc_edid_t;

/* The driver core's version, four numbers. */
typedef struct {
    int32_t ver[4];
} core_ver_t;

/* One 32-bit word of PCI configuration space. */
typedef struct {
    uint32_t direction;
    uint32_t offset;
    uint32_t value;
} pci_op_t;

#define IOCTL_MMIO_RW  _IOWR('d', 1, mmio_rw_t)
#define IOCTL_DDC_EDID _IOWR('d', 2, ddc_edid_t)
#define IOCTL_CORE_VER _IOWR('d', 3, core_ver_t)
#define IOCTL_PCI_OP   _IOWR('d', 4, pci_op_t)

/* Connection to device `id` (kept for the whole process). */
TKV_API int tkvOpen(int id);
TKV_API int tkvClose(void);

/* Register space (offsets up to 0xFFFFFF). */
TKV_API int tkvRegReadByte(uint32_t offset, uint8_t *value);
TKV_API int tkvRegWriteByte(uint32_t offset, uint8_t value);
TKV_API int tkvRegReadWord(uint32_t offset, uint16_t *value);
TKV_API int tkvRegWriteWord(uint32_t offset, uint16_t value);
TKV_API int tkvRegReadLong(uint32_t offset, uint32_t *value);
TKV_API int tkvRegWriteLong(uint32_t offset, uint32_t value);
TKV_API int tkvRegReadQuad(uint32_t offset, uint64_t *value);
TKV_API int tkvRegWriteQuad(uint32_t offset, uint64_t value);

/* Video memory (offsets up to 0xFFFFFFF). */
TKV_API int tkvVramReadByte(uint32_t offset, uint8_t *value);
TKV_API int tkvVramWriteByte(uint32_t offset, uint8_t value);
TKV_API int tkvVramReadWord(uint32_t offset, uint16_t *value);
TKV_API int tkvVramWriteWord(uint32_t offset, uint16_t value);
TKV_API int tkvVramReadLong(uint32_t offset, uint32_t *value);
TKV_API int tkvVramWriteLong(uint32_t offset, uint32_t value);
TKV_API int tkvVramReadQuad(uint32_t offset, uint64_t *value);
TKV_API int tkvVramWriteQuad(uint32_t offset, uint64_t value);

/* CRT controller 0 through its index/data pair (indices 0 to 0xFE). */
TKV_API int tkvCrtcReadByte(uint32_t index, uint8_t *value);
TKV_API int tkvCrtcWriteByte(uint32_t index, uint8_t value);

/* I2C master channels 0 and 1. */
TKV_API int tkvI2cRead(int channel, int devadr, int subadr, int length, uint8_t *buffer);
TKV_API int tkvI2cWrite(int channel, int devadr, int subadr, int length, const uint8_t *buffer);
TKV_API int tkvI2cWriteByte(int channel, int devadr, int subadr, int value);
TKV_API const char *tkvI2cErrString(int code);

/* Zoom video capture ports 0 and 1. */
TKV_API int tkvZoomVideoInit(int id, int i2c_channel, int i2c_sa, int layer);
TKV_API int tkvZoomVideoStart(int id, int x, int y, int w, int h, int cut_left, int zoomw, int zoomh,
                              int connector);
TKV_API int tkvZoomVideoStop(int id);
TKV_API int tkvZoomVideoRestart(int id);
TKV_API int tkvZoomVideoGetParm(int id, int *x, int *y, int *w, int *h, int *cut_left, int *zoomw, int *zoomh,
                                int *connector, int *camera_w, int *camera_h);

/* EDID, driver core version and PCI configuration space. */
TKV_API int tkvDDCRead(uint32_t port, uint32_t *length, uint8_t **data, uint32_t *valid);
TKV_API int tkvTkvcoreVer(int *ver0, int *ver1, int *ver2, int *ver3);
TKV_API int tkvPciRead(uint32_t offset, uint32_t *value);
TKV_API int tkvPciWrite(uint32_t offset, uint32_t value);

#ifdef __cplusplus
}
#endif

/* The record layouts and request codes are the driver's contract. */
#ifdef __cplusplus
#define TKV_STATIC_ASSERT static_assert
#else
#define TKV_STATIC_ASSERT _Static_assert
#endif
TKV_STATIC_ASSERT(sizeof(mmio_rw_t) == 24, "mmio_rw_t is 24 bytes");
TKV_STATIC_ASSERT(offsetof(mmio_rw_t, region) == 0, "mmio_rw_t.region");
TKV_STATIC_ASSERT(offsetof(mmio_rw_t, direction) == 4, "mmio_rw_t.direction");
TKV_STATIC_ASSERT(offsetof(mmio_rw_t, size) == 8, "mmio_rw_t.size");
TKV_STATIC_ASSERT(offsetof(mmio_rw_t, offset) == 12, "mmio_rw_t.offset");
TKV_STATIC_ASSERT(offsetof(mmio_rw_t, value) == 16, "mmio_rw_t.value");
TKV_STATIC_ASSERT(sizeof(ddc_edid_t) == 528, "ddc_edid_t is 528 bytes");
TKV_STATIC_ASSERT(offsetof(ddc_edid_t, reserved) == 4, "ddc_edid_t.reserved");
TKV_STATIC_ASSERT(offsetof(ddc_edid_t, length) == 8, "ddc_edid_t.length");
TKV_STATIC_ASSERT(offsetof(ddc_edid_t, data) == 12, "ddc_edid_t.data");
TKV_STATIC_ASSERT(offsetof(ddc_edid_t, valid) == 524, "ddc_edid_t.valid");
TKV_STATIC_ASSERT(sizeof(core_ver_t) == 16, "core_ver_t is 16 bytes");
TKV_STATIC_ASSERT(sizeof(pci_op_t) == 12, "pci_op_t is 12 bytes");
TKV_STATIC_ASSERT(offsetof(pci_op_t, offset) == 4, "pci_op_t.offset");
TKV_STATIC_ASSERT(offsetof(pci_op_t, value) == 8, "pci_op_t.value");
TKV_STATIC_ASSERT(IOCTL_MMIO_RW == 0xC0186401u, "IOCTL_MMIO_RW");
TKV_STATIC_ASSERT(IOCTL_DDC_EDID == 0xC2106402u, "IOCTL_DDC_EDID");
TKV_STATIC_ASSERT(IOCTL_CORE_VER == 0xC0106403u, "IOCTL_CORE_VER");
TKV_STATIC_ASSERT(IOCTL_PCI_OP == 0xC00C6404u, "IOCTL_PCI_OP");
#undef TKV_STATIC_ASSERT

#endif /* TEKVARO_H */
