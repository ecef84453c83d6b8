"""Every call on a working simulated device: what it reads and writes."""
import gc

import pytest

import tekvaro


def test_one_connection_at_a_time():
    with tekvaro.open() as dev:
        assert not dev.closed and dev.device == 0
        with pytest.raises(tekvaro.Error, match="already open"):
            tekvaro.open()
    assert dev.closed
    dev.close()  # again: nothing happens
    with pytest.raises(tekvaro.Error, match="closed"):
        dev.reg.read(0)
    kept = tekvaro.open(1)
    kept.close()
    with pytest.raises(tekvaro.Error, match="closed"):
        kept.vram.read_bytes(0, 8)  # also without the GIL
    del kept
    forgotten = tekvaro.open()
    part = forgotten.reg
    del forgotten
    gc.collect()
    with tekvaro.open():  # a device nobody closed gave up the connection when it went
        with pytest.raises(tekvaro.Error, match="closed"):
            part.read(0)


@pytest.mark.parametrize("space", ["reg", "vram"])
@pytest.mark.parametrize("width", [1, 2, 4, 8])
def test_memory_values(dev, space, width):
    memory = getattr(dev, space)
    value = int.from_bytes(bytes(range(0xA1, 0xA1 + width)), "little")
    memory.write(0x203, value, width)
    assert memory.read(0x203, width) == value
    assert memory.read_bytes(0x203, width) == value.to_bytes(width, "little")


@pytest.mark.parametrize("data", [bytes(range(1, 40)), bytearray(b"\xff" * 9), memoryview(b"ab"), b""])
def test_memory_runs(dev, data):
    for memory in (dev.reg, dev.vram):
        memory.write_bytes(0x301, data)
        assert memory.read_bytes(0x301, len(data)) == bytes(data)
    end = dev.vram.size - 3
    dev.vram.write_bytes(end, b"xyz")
    assert dev.vram.read_bytes(end, 3) == b"xyz"
    assert (dev.reg.size, dev.vram.size) == (1 << 24, 1 << 28)


def test_crtc_goes_through_the_index_data_pair(dev):
    dev.crtc[0x11] = 0x5A
    assert dev.crtc[0x11] == 0x5A and dev.crtc[0xFE] == 0 and len(dev.crtc) == 0xFF
    assert dev.reg.read(0x103D4, 1) == 0xFE


def test_i2c(dev):
    assert dev.i2c(0).detect() == [0x24, 0x50] and dev.i2c(1).detect() == [0x24]
    eeprom = dev.i2c(0)
    eeprom.write(0x50, 0x10, b"\x01\x02\x03")
    assert eeprom.read(0x50, 0x0E, 5) == b"\x0e\x0f\x01\x02\x03"
    assert eeprom.read(0x50, 0x10) == b"\x01" and eeprom.channel == 0


def test_edid(dev):
    for port, length in ((0, 256), (1, 128)):
        edid = dev.edid(port)
        assert len(edid) == length and edid[:8] == b"\0\xff\xff\xff\xff\xff\xff\0"
        assert all(sum(edid[i:i + 128]) % 256 == 0 for i in range(0, length, 128))


def test_pci_and_version(dev):
    word = dev.pci.read(0)
    assert dev.pci.read(0, 2) | dev.pci.read(2, 2) << 16 == word
    assert [dev.pci.read(i, 1) for i in range(4)] == list(word.to_bytes(4, "little"))
    assert dev.pci.read(8) >> 8 == 0x030000  # a VGA-class device
    dev.pci.write(4, 0x7)
    assert dev.pci.read(4) & 0x7 == 0x7
    assert dev.version == (1, 0, 0, 0)
