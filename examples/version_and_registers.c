/* Prints the driver core's version and the register block of I2C master 0
 * (prescale, control, data, command/status), using only the installed
 * libutil_tekvaro.
 *
 * Build: see CMakeLists.txt (find_package) or Makefile (pkg-config).
 * Without a board, run it on the simulated controller:
 *   LD_PRELOAD=<prefix>/lib/tekvaro/libtkvsim.so ./version_and_registers
 */
#include <stdint.h>
#include <stdio.h>

#include <tekvaro.h>

enum { I2C0_FIRST = 0x00, I2C0_LAST = 0x04 };

int main(void) {
    int ver[4];
    if (tkvOpen(0) < 0) {
        fputs("cannot open the device\n", stderr);
        return 1;
    }
    if (tkvTkvcoreVer(&ver[0], &ver[1], &ver[2], &ver[3]) != 0) {
        fputs("cannot read the core version\n", stderr);
        tkvClose();
        return 1;
    }
    printf("core version %d.%d.%d.%d\n", ver[0], ver[1], ver[2], ver[3]);

    for (uint32_t offset = I2C0_FIRST; offset <= I2C0_LAST; ++offset) {
        uint8_t value = 0;
        if (tkvRegReadByte(offset, &value) != 0) {
            fprintf(stderr, "cannot read register %08x\n", (unsigned)offset);
            tkvClose();
            return 1;
        }
        printf("%08x: %02x\n", (unsigned)offset, (unsigned)value);
    }
    tkvClose();
    return 0;
}
