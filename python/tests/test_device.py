"""Every call on a working simulated device: what it reads and writes."""
import errno
import gc

import pytest

import tekvaro
from conftest import run_python


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


@pytest.mark.parametrize("data", [b"\x01\x02\x03", bytearray(b"\x01\x02\x03"), [1, 2, 3], (1, 2, 3)])
def test_i2c(dev, data):
    assert dev.i2c(0).detect() == [0x24, 0x50] and dev.i2c(1).detect() == [0x24]
    eeprom = dev.i2c(0)
    eeprom.write(0x50, 0x10, data)
    assert eeprom.read(0x50, 0x0E, 5) == b"\x0e\x0f\x01\x02\x03"
    assert eeprom.read(0x50, 0x10) == b"\x01" and eeprom.channel == 0
    eeprom.write(0x50, 0, bytes(range(256)))
    assert eeprom.read(0x50, 0, 256) == bytes(range(256))


def test_a_disabled_i2c_core_runs_no_transaction(dev, capfd):
    eeprom = dev.i2c(0)
    eeprom.write(0x50, 0x20, b"\x11")
    dev.reg.write(0x02, 0x00, 1)  # channel 0's control register: enable bit clear
    for call in (lambda: eeprom.read(0x50, 0x20), lambda: eeprom.write(0x50, 0x20, b"\x22"),
                 eeprom.detect, lambda: dev.zv(0).init()):
        with pytest.raises(tekvaro.I2cDisabled, match=r"^I2C channel 0 is disabled \(control 0x00\)$"):
            call()
    assert dev.i2c(1).detect() == [0x24]
    dev.reg.write(0x02, 0x80, 1)
    assert eeprom.read(0x50, 0x20) == b"\x11"
    assert capfd.readouterr() == ("", "")


def test_zoom_video(dev):
    camera = dev.zv(0)
    assert camera.info() == (False, None, 0, 0, None) and camera.port == 0
    with pytest.raises(tekvaro.Error, match="zoom video port 0 is not set up: call init"):
        camera.start()
    with pytest.raises(tekvaro.I2cError, match="address 0x25: no device answers"):
        camera.init(decoder=0x25)
    camera.init()
    camera.start(x=16, y=8, cut_left=3, zoom_x=2, zoom_y=8, crtc=1)
    assert camera.info() == (True, 1, 720, 576, (16, 8, 720, 576, 2, 2, 8, 1))
    camera.stop()
    assert camera.info().capturing is False and camera.info().window.width == 720
    camera.restart()
    assert camera.info().capturing is True
    other = dev.zv(1)
    other.init(i2c_channel=1, layer=3)
    other.start(width=320, height=240)
    assert other.info() == (True, 3, 720, 576, (0, 0, 320, 240, 0, 1, 1, 0))
    assert camera.info().layer == 1  # each port its own layer


# init() looks for the decoder where tkvtool's zv init does: on the port's own
# I2C channel; the other channel's decoder is another camera's.  A fresh
# device each time: no decoder programmed yet.
@pytest.mark.parametrize("port", [0, 1])
def test_zoom_video_init_finds_the_ports_own_decoder(port):
    result = run_python(f"""
        import tekvaro
        with tekvaro.open() as dev:
            camera = dev.zv({port})
            camera.init(i2c_channel={1 - port})
            try:
                camera.start()
            except tekvaro.Error as error:
                print(error)
            camera.init()
            camera.start()
            print(camera.info())
    """)
    assert result.stderr == ""
    assert result.stdout.splitlines() == [
        f"zoom video port {port} sees no camera: give the width and height",
        "ZoomVideoInfo(capturing=True, layer=1, camera_width=720, camera_height=576, window=ZoomVideoWindow("
        "x=0, y=0, width=720, height=576, cut_left=0, zoom_x=1, zoom_y=1, crtc=0))"]


def test_reprs_and_no_new_attributes(dev):
    assert [repr(part) for part in (dev.crtc, dev.pci, dev.zv(1))] == [
        "<tekvaro.Crtc CRT controller 0>", "<tekvaro.PciConfig PCI configuration space>", "<tekvaro.ZoomVideoPort 1>"]
    dev.crtc[0x12] = 0x34
    values = list(dev.crtc)
    assert len(values) == 0xFF and values[0x12] == 0x34
    for part in (dev, dev.reg, dev.crtc, dev.i2c(0), dev.pci, dev.zv(0)):
        with pytest.raises(AttributeError):
            part.typo = 1


def test_edid(dev):
    for port, length in ((0, 256), (1, 128)):
        edid = dev.edid(port)
        assert len(edid) == length and edid[:8] == b"\0\xff\xff\xff\xff\xff\xff\0"
        assert all(sum(edid[i:i + 128]) % 256 == 0 for i in range(0, length, 128))


def test_pci_and_version(dev):
    word = dev.pci.read(0)
    assert dev.pci.read(0, 2) | dev.pci.read(2, 2) << 16 == word
    assert [dev.pci.read(i, 1) for i in range(4)] == list(word.to_bytes(4, "little"))
    assert dev.pci.read(1, 2) == word >> 8 & 0xFFFF
    assert dev.pci.read(8) >> 8 == 0x030000  # a VGA-class device
    dev.pci.write(4, 0x7)
    assert dev.pci.read(4) & 0x7 == 0x7
    assert dev.version == (1, 0, 0, 0)


BARS = [(255, 255, 255), (255, 255, 0), (0, 255, 255), (0, 255, 0), (255, 0, 255), (255, 0, 0), (0, 0, 255), (0, 0, 0)]


def test_a_frame_grab_holds_the_cameras_colour_bars(dev, tmp_path):
    camera = dev.zv(0)
    with pytest.raises(ValueError, match="format 'rgb' is not"):
        camera.capture("rgb")
    camera.init()
    camera.start()
    frame = camera.capture()
    assert (frame.width, frame.height, frame.format, len(frame.data)) == (720, 576, "uyvy", 720 * 576 * 2)
    assert frame.data[:4] == bytes.fromhex("80eb80eb")  # U Y V Y of the white bar
    frame.save_png(tmp_path / "frame.png")
    assert (tmp_path / "frame.png").stat().st_mode & 0o777 == 0o600
    (tmp_path / "frame.png").chmod(0o640)  # a file replaced keeps its permissions
    frame.save_png(tmp_path / "frame.png")
    assert (tmp_path / "frame.png").stat().st_mode & 0o777 == 0o640
    assert [p.name for p in tmp_path.iterdir()] == ["frame.png"]
    png = pytest.importorskip("png")
    width, height, rows, _ = png.Reader(filename=str(tmp_path / "frame.png")).asRGB8()
    row = list(rows)[100]
    assert (width, height) == (720, 576)
    for bar, colour in enumerate(BARS):
        x = bar * 90 + 45
        assert all(abs(a - b) <= 2 for a, b in zip(row[3 * x:3 * x + 3], colour)), bar


# What a file that cannot be written raises: OSError as open() raises it, with
# tkvtool's words, never a device error; a planted link is not followed.
@pytest.mark.parametrize("name, prepare, error, errno_, words", [
    ("link.png", lambda p: p.symlink_to(p.parent / "elsewhere.png"), OSError, errno.ELOOP, "is a symbolic link"),
    ("none/frame.png", lambda p: None, FileNotFoundError, errno.ENOENT, "No such file or directory"),
    ("folder", lambda p: p.mkdir(), IsADirectoryError, errno.EISDIR, "Is a directory"),
])
def test_a_frame_that_cannot_be_saved_raises_oserror_with_the_path(dev, tmp_path, name, prepare, error, errno_,
                                                                   words):
    camera = dev.zv(0)
    camera.init()
    camera.start()
    frame = camera.capture()
    path = tmp_path / name
    prepare(path)
    with pytest.raises(error) as raised:
        frame.save_png(path)
    assert not isinstance(raised.value, tekvaro.Error)
    assert (raised.value.errno, raised.value.strerror, raised.value.filename) == (errno_, words, str(path))
    assert not (tmp_path / "elsewhere.png").exists()
    assert not list(tmp_path.rglob(".*"))  # no new file left beside it
