"""Register-level access to the display controller behind /dev/tkvrw.

A Python interface to libutil_tekvaro: register space, video memory, CRT
controller 0, the two I2C master channels, monitors' EDID, PCI configuration
space and the driver core's version.  Numbers are Python ints, data is bytes,
and failures are exceptions.

    import tekvaro

    with tekvaro.open() as dev:                 # device 0
        print(dev.version)                      # (1, 0, 0, 0)
        dev.reg.write(0x100, 0x12345678)        # 4 bytes by default
        value = dev.reg.read(0x100, width=2)    # widths 1, 2, 4, 8
        frame = dev.vram.read_bytes(0, 4096)    # bulk, without the GIL
        dev.crtc[0x11] = 0x20
        print(dev.i2c(0).detect())              # [36, 80]: 0x24 and 0x50
        eeprom = dev.i2c(0).read(0x50, 0, 16)
        edid = dev.edid(0)
        device_id = dev.pci.read(0x02, width=2)

The library keeps one connection per process: open one device at a time.
Calls may come from several threads; they take turns.

Errors: tekvaro.Error is the base of the module's errors.  A failed driver
request raises DeviceError (an OSError with errno), a failed I2C transaction
I2cError (code and text), a missing monitor NoMonitor (a DeviceError), an
EDID the driver finds not valid InvalidEdid (with the bytes as data).  Bad
arguments raise ValueError, IndexError (CRTC index), OverflowError (a value
wider than the access) or TypeError before anything reaches the device.

Without a board, run Python on the simulated controller:

    tkvsim-run python3 script.py

(or LD_PRELOAD=<libdir>/tekvaro/libtkvsim.so python3 script.py).
"""

from ._tekvaro import (
    Crtc,
    Device,
    DeviceError,
    Error,
    I2cChannel,
    I2cError,
    InvalidEdid,
    Memory,
    NoMonitor,
    PciConfig,
    __version__,
    open,
)
