"""Arguments the library would refuse are refused first, with a Python
exception and a clear message; the library prints nothing."""
import pytest

import tekvaro

REFUSED = [
    (lambda d: d.reg.read(0x1000000), ValueError, "offset 0x1000000 is outside register space"),
    (lambda d: d.vram.write(0x10000000, 0), ValueError, "outside video memory"),
    (lambda d: d.reg.read(-1), ValueError, "offset -0x1 is outside"),
    (lambda d: d.reg.read(0, 3), ValueError, "width 3 is not 1, 2, 4 or 8"),
    (lambda d: d.reg.read(0xFFFFFE, 4), ValueError, "a 4-byte item at 0xfffffe runs past the end of reg"),
    (lambda d: d.vram.write(0xFFFFFFC, 0, 8), ValueError, "an 8-byte item at 0xffffffc runs past the end"),
    (lambda d: d.reg.read(1.0), TypeError, "incompatible function arguments"),
    (lambda d: d.reg.write(0, 0x100, 1), OverflowError, "value 0x100 does not fit"),
    (lambda d: d.vram.write(0, -1), OverflowError, "value -0x1 does not fit"),
    (lambda d: d.vram.write(0, 1 << 64, 8), OverflowError, "does not fit"),
    (lambda d: d.vram.read_bytes(0xFFFFFFF, 2), ValueError, "0x2 bytes at 0xfffffff run past the end"),
    (lambda d: d.reg.write_bytes(0xFFFFF0, bytes(17)), ValueError, "run past the end of register space"),
    (lambda d: d.reg.read_bytes(0, -1), ValueError, "byte count -1 is out of range"),
    (lambda d: d.reg.write_bytes(0, "text"), TypeError, "incompatible function arguments"),
    (lambda d: d.crtc[0xFF], IndexError, "CRTC index 0xff is out of range"),
    (lambda d: d.crtc[-1], IndexError, "out of range"),
    (lambda d: d.crtc.__setitem__(0, 0x100), OverflowError, "does not fit"),
    (lambda d: d.i2c(2), ValueError, "I2C channel 2 does not exist"),
    (lambda d: d.i2c(0).read(0x80, 0), ValueError, "not a 7-bit address"),
    (lambda d: d.i2c(0).read(0x02, 0), ValueError, "I2C address 0x02 is reserved .use 0x03 to 0x77."),
    (lambda d: d.i2c(0).write(0x78, 0, b"x"), ValueError, "I2C address 0x78 is reserved"),
    (lambda d: d.i2c(0).read(0x50, 0, 257), ValueError, "byte count 257 is out of range .1 to 256."),
    (lambda d: d.i2c(0).write(0x50, 0, bytes(257)), ValueError, "257 bytes to write, not 1 to 256"),
    (lambda d: d.i2c(0).read(0x50, 0xFE, 3), ValueError, "I2C registers 0xfe to 0x100 run past 0xff"),
    (lambda d: d.i2c(0).write(0x50, 0xFF, [1, 2]), ValueError, "registers 0xff to 0x100 run past"),
    (lambda d: d.i2c(0).write(0x50, 0, [1, 256]), ValueError, "range"),
    (lambda d: d.i2c(0).write(0x50, 0, "ab"), TypeError, "str"),
    (lambda d: d.i2c(0).read(0x50, 0x100), ValueError, "I2C register 0x100 is out of range"),
    (lambda d: d.i2c(0).read(0x50, 0, 0), ValueError, "byte count 0 is out of range"),
    (lambda d: d.i2c(1).write(0x24, 0, b""), ValueError, "0 bytes to write"),
    (lambda d: d.edid(4), ValueError, "DDC port 4 does not exist"),
    (lambda d: d.pci.read(2), ValueError, "4 bytes at PCI offset 0x2 cross a 32-bit word"),
    (lambda d: d.pci.read(3, 2), ValueError, "cross a 32-bit word"),
    (lambda d: d.pci.read(0x100, 1), ValueError, "PCI offset 0x100 is out of range .0 to 0xff."),
    (lambda d: d.pci.write(2, 1), ValueError, "PCI offset 0x2 is not a multiple of 4"),
    (lambda d: d.pci.read(0, 8), ValueError, "read 1, 2 or 4 bytes"),
    (lambda d: d.pci.read(1 << 32), ValueError, "PCI offset 0x100000000 is out of range"),
    (lambda d: d.pci.write(4, 1, 2), ValueError, "written 4 bytes at a time"),
    (lambda d: d.pci.write(4, 1 << 32), OverflowError, "does not fit"),
    (lambda d: tekvaro.open(-1), ValueError, "device -1 does not exist"),
    (lambda d: tekvaro.open(0x100), ValueError, "device 256 does not exist .0 to 0xff."),
    (lambda d: d.zv(2), ValueError, "zoom video port 2 does not exist"),
    (lambda d: d.zv(0).init(i2c_channel=2), ValueError, "I2C channel 2 does not exist"),
    (lambda d: d.zv(0).init(decoder=0x26), ValueError, "decoder address 0x26 is not 0x24 or 0x25"),
    (lambda d: d.zv(0).init(layer=2), ValueError, "layer 2 is not 1 or 3"),
    (lambda d: d.zv(0).start(x=0x10000), ValueError, "x 65536 is out of range .0 to 65535."),
    (lambda d: d.zv(0).start(width=0), ValueError, "width 0 is out of range"),
    (lambda d: d.zv(0).start(zoom_y=3), ValueError, "zoom_y 3 is not 1, 2, 4 or 8"),
    (lambda d: d.zv(0).start(crtc=2), ValueError, "CRTC 2 does not exist"),
    (lambda d: d.zv(0).start(1), TypeError, "incompatible function arguments"),
    (lambda d: setattr(d, "registers", 1), AttributeError, "object has no attribute .registers."),
    (lambda d: setattr(d, "regs", 1), AttributeError, "attribute .regs. of tekvaro.Device is read-only"),
    (lambda d: setattr(d, "reg", 1), AttributeError, "attribute .reg. of tekvaro.Device is read-only"),
]


@pytest.mark.parametrize("call, error, message", REFUSED)
def test_refused_before_the_library(dev, capfd, call, error, message):
    with pytest.raises(error, match=message):
        call(dev)
    assert capfd.readouterr() == ("", "")


def test_limits_are_accepted(dev):
    dev.reg.write(0xFFFFFF, 0xFF, 1)
    dev.vram.write(0, (1 << 64) - 1, 8)
    assert dev.vram.read(0, True) == 0xFF  # anything with __index__ is an int
    assert dev.vram.read_bytes(0xFFFFFFF, 0) == b""
    dev.crtc[0xFE] = 0xFF
