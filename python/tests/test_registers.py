"""Registers by name: the same maps, names and fields as tkvtool's."""
import pytest

import tekvaro

REFUSED = [
    (lambda d: d.regs["ZV0.PORT_CTL"], KeyError, "unknown register 'ZV0.PORT_CTL' .did you mean ZV0.PORT_CTRL.."),
    (lambda d: d.regs["SIZE"], KeyError, "'SIZE' is ambiguous: LAYER1.SIZE, LAYER3.SIZE, ZV0.SIZE, ZV1.SIZE"),
    (lambda d: d.regs["SAA7111A.BRIGHTNESS"], KeyError, "register of an I2C device"),
    (lambda d: d.regs["ZV0.PORT_CTRL.capture"], KeyError, "is a field"),
    (lambda d: d.regs["ZV0.SIZE"].write(1), ValueError, "ZV0.SIZE is read-only"),
    (lambda d: d.regs["ZV0.PORT_CTRL"].write(capture=2), ValueError, "value 0x2 does not fit in capture .1 bit."),
    (lambda d: d.regs["ZV0.PORT_CTRL"].write(capture=-1), ValueError, "does not fit in capture"),
    (lambda d: d.regs["ZV0.PORT_CTRL"].write(captur=1), ValueError, "has no field 'captur' .capture, layer1, layer3."),
    (lambda d: d.regs["ZV0.PORT_CTRL"].write(capture="maybe"), ValueError, "invalid value 'maybe' for capture"),
    (lambda d: d.regs["ZV0.PORT_CTRL"].write(1 << 32), OverflowError, "does not fit"),
    (lambda d: d.regs["ZV0.PORT_CTRL"].write(), TypeError, "a value or fields"),
    (lambda d: d.regs["ZV0.PORT_CTRL"].write(1, capture=1), TypeError, "not both"),
    (lambda d: d.regs["COMMAND"].write(7), ValueError, "PCI.COMMAND is 2 bytes wide: pci space is written 4 bytes"),
    (lambda d: tekvaro.open(maps="one.toml"), TypeError, "a list of paths"),
]


@pytest.mark.parametrize("call, error, message", REFUSED)
def test_refused_before_the_device(dev, capfd, call, error, message):
    with pytest.raises(error, match=message):
        call(dev)
    assert capfd.readouterr() == ("", "")


@pytest.mark.parametrize("name, space, address, width", [
    ("zv0.port_ctrl", "reg", 0x100C0, 4),
    ("ZV1.BUF0", "reg", 0x100D4, 4),
    ("CRTC.H_TOTAL", "crtc", 0x00, 1),
    ("VENDOR_ID", "pci", 0x00, 2),
])
def test_names_reach_their_registers(dev, name, space, address, width):
    register = dev.regs[name]
    assert (register.space, register.address, register.width) == (space, address, width)
    if space == "reg":
        dev.reg.write(address, 0x12345678)
    expected = {"reg": lambda: dev.reg.read(address), "crtc": lambda: dev.crtc[address],
                "pci": lambda: dev.pci.read(address, width)}[space]()
    assert register.read() == expected


def test_fields_are_written_with_one_read_and_one_write(dev):
    control = dev.regs["ZV0.PORT_CTRL"]
    dev.reg.write(0x100C0, 0xF0F00)
    control.write(capture="on", layer1=0)
    assert dev.reg.read(0x100C0) == 0xF0E01
    control.write(capture="off")
    assert control.decode() == {"capture": 0, "layer1": 0, "layer3": 1}
    control.write(0x101)
    assert control.read() == 0x101
    assert control.fields["capture"] == ("capture", 0, 0, "rw", "Capture enable", {0: "off", 1: "on"})
    assert (control.name, control.access, control.description) == ("ZV0.PORT_CTRL", "rw", "Port control")


def test_find_is_a_shell_glob_over_names(dev):
    assert [r.name for r in dev.regs.find("zv?.buf*")] == ["ZV0.BUF0", "ZV0.BUF1", "ZV1.BUF0", "ZV1.BUF1"]
    assert not any(r.name.startswith("SAA7111A") for r in dev.regs.find())


def test_user_maps_add_and_replace_blocks(tmp_path):
    extra = tmp_path / "extra.toml"
    extra.write_text('[[block]]\nname = "SCRATCH"\nspace = "reg"\n'
                     '[[block.register]]\nname = "WORD"\noffset = 0x100\nwidth = 32\naccess = "rw"\n')
    with tekvaro.open(maps=[extra]) as dev:
        dev.regs["SCRATCH.WORD"].write(0xABCD)
        assert dev.reg.read(0x100) == 0xABCD
    extra.write_text("[[block]\n")
    with pytest.raises(tekvaro.Error, match=f"{extra}:1: "):
        tekvaro.open(maps=[extra])
    with tekvaro.open():  # the failed open left nothing open
        pass


def test_maps_of_every_width_their_spaces_have_snapshot_whole(tmp_path):
    widths = tmp_path / "widths.toml"
    widths.write_text('[[block]]\nname = "H"\nspace = "crtc"\nregister = [{ name = "C8", offset = 0x40 }]\n'
                      '[[block]]\nname = "Q"\nspace = "pci"\nregister = [{ name = "W", offset = 0x42, width = 16 }]\n')
    with tekvaro.open(maps=[widths]) as dev:
        dev.crtc[0x40] = 7
        registers = dev.snapshot()["registers"]
        assert registers["H.C8"] == 7 and "Q.W" in registers
        assert dev.regs["H.C8"].width == 1


@pytest.mark.parametrize("register, fault", [
    ('{ name = "C", offset = 0, width = 32 }', ":4: crtc has no 32-bit registers (8)"),
    ('{ name = "C", offset = 0, acess = "ro" }', ":4: unknown key 'acess' (did you mean 'access'?)"),
    ('{ name = "C", offset = 0, description = "\\u001b[2J" }', r":4: description '\x1b[2J' has a control character"),
])
def test_map_faults_are_errors_with_their_text_escaped(tmp_path, register, fault):
    bad = tmp_path / "bad.toml"
    bad.write_text(f'[[block]]\nname = "H"\nspace = "crtc"\nregister = [{register}]\n')
    with pytest.raises(tekvaro.Error) as raised:
        tekvaro.open(maps=[bad])
    assert str(raised.value) == f"{bad}{fault}"
