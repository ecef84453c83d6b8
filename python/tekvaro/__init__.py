"""Register-level access to the display controller behind /dev/tkvrw.

A Python interface to libutil_tekvaro: register space, video memory, CRT
controller 0, the two I2C master channels, the two zoom video capture ports,
monitors' EDID, PCI configuration space and the driver core's version.
Numbers are Python ints, data is bytes, and failures are exceptions.

    import tekvaro

    with tekvaro.open() as dev:                 # device 0
        print(dev.version)                      # (1, 0, 0, 0)
        dev.reg.write(0x100, 0x12345678)        # 4 bytes by default
        value = dev.reg.read(0x100, width=2)    # widths 1, 2, 4, 8
        frame = dev.vram.read_bytes(0, 4096)    # bulk, without the GIL
        dev.crtc[0x11] = 0x20
        print(dev.i2c(0).detect())              # [36, 80]: 0x24 and 0x50
        eeprom = dev.i2c(0).read(0x50, 0, 16)   # 1 to 256 bytes
        dev.i2c(0).write(0x50, 0x10, [1, 2, 3])
        camera = dev.zv(0)
        camera.init()                           # decoder on the port's channel; layer 1
        camera.start(x=100, y=50)               # the camera's size
        print(camera.info())
        camera.capture().save_png("frame.png")  # the decoder's UYVY as RGB
        edid = dev.edid(0)
        device_id = dev.pci.read(0x02, width=2)
        control = dev.regs["ZV0.PORT_CTRL"]     # registers by name
        control.write(capture=1)                # only that field
        print(control.decode())                 # {'capture': 1, ...}
        print(dev.regs.find("LAYER1.*"))
        before = dev.snapshot()                 # the whole board, as a dict
        dev.regs["LAYER3.POS"].write(x=5)
        print(tekvaro.diff(before))             # [{'name': 'LAYER3.POS', ...}]

The library keeps one connection per process: open one device at a time.
Calls may come from several threads; they take turns.  A child made with
os.fork() can go on using the device.

Errors: tekvaro.Error is the base of the module's errors.  A failed driver
request raises DeviceError (an OSError with errno and strerror, and action:
what was done), a failed I2C transaction I2cError (code: the library's
result code, text: what happened), a disabled I2C core I2cDisabled (an
I2cError), a missing monitor NoMonitor (a DeviceError), an EDID the driver
finds not valid InvalidEdid (with the bytes as data).  Bad arguments raise
ValueError, IndexError (CRTC index), OverflowError (a value wider than the
access) or TypeError before anything reaches the device.

Without a board, run Python on the simulated controller:

    tkvsim-run python3 script.py

(or LD_PRELOAD=<libdir>/tekvaro/libtkvsim.so python3 script.py).
"""

import json as _json
import os as _os
import weakref as _weakref

from . import _tekvaro
from ._tekvaro import (
    Crtc,
    Device,
    DeviceError,
    Error,
    Frame,
    I2cChannel,
    I2cDisabled,
    I2cError,
    InvalidEdid,
    Memory,
    NoMonitor,
    PciConfig,
    Register,
    RegisterField,
    Registers,
    ZoomVideoInfo,
    ZoomVideoPort,
    ZoomVideoWindow,
    __version__,
    decode_edid,
)


def open(device=0, maps=()):
    """Opens device `device` (0 to 0xff; 0 is the first) and returns its Device.

    Use it in a with block to close it at the end.  The library keeps one
    connection per process: opening a second device while one is open raises
    Error.  Device n keeps n further descriptors of the driver's node open for
    the life of the process; a failed open leaves none behind.

    Device.regs names the registers of the shipped register maps, those in
    $XDG_DATA_HOME/tekvaro/regmaps (or TEKVARO_REGMAP_PATH's directories), and
    the map files `maps` (paths), each block replacing an earlier one of its
    name.  A map that is not sound raises Error with its faults, one a line
    ("FILE:LINE: what"), before the device is opened.
    """
    if isinstance(maps, (str, bytes)):
        raise TypeError("maps is a list of paths, not one path")
    global _opened, _opened_maps
    paths = [_os.fsdecode(path) for path in maps]
    device = _tekvaro._open(device, paths)
    _opened, _opened_maps = _weakref.ref(device), paths
    return device


_opened = None  # the Device open() returned last, as a weak reference
_opened_maps = []


def diff(a, b=None, ignore=()):
    """The differences from snapshot `a` to snapshot `b`, as tkvtool diff finds them.

    `a` and `b` are snapshots (dicts from Device.snapshot() or json.load of a
    `tkvtool snapshot` file); `b` may be a Device, or None for the device that
    is open now.  Returns a list of dicts: name, before, after, and fields
    ({field: [before, after]}) for a register whose fields changed; an empty
    list when they are the same.  The first dict is {name: "maps", before,
    after} (their map files) when they were taken with different maps; a
    register that the two put at different places has before_register and
    after_register ({space, address, width in bits}) instead of fields, and
    fields are decoded only where both were taken with the maps open() loaded.
    A name only one has carries before_absent or after_absent.  `ignore` is a
    shell glob of names to leave out, or a list of them (TypeError
    otherwise).  Raises ValueError, naming the place of the first fault
    ('registers."ZV0.PORT_CTRL": not a number from 0 to 2^64-1'), when one
    is not a sound snapshot.
    """
    if b is None:
        device = _opened() if _opened else None
        if device is None or device.closed:
            raise Error("diff(a) compares a with the open device: open one, or give b")
        b = device
    if isinstance(b, Device):
        b = b.snapshot()
    if isinstance(ignore, str):
        ignore = [ignore]
    try:
        ignore = list(ignore)
    except TypeError:
        ignore = None
    if ignore is None or not all(isinstance(pattern, str) for pattern in ignore):
        raise TypeError("ignore is a shell glob (str) or a list of them")
    return _tekvaro._diff(_json.dumps(a), _json.dumps(b), list(ignore), _opened_maps)
