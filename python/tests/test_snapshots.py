"""Device.snapshot() and tekvaro.diff(): the documents tkvtool snapshot writes,
and a change named by register and field."""
import pytest

import tekvaro


def test_a_change_between_snapshots_is_named_by_register_and_field(dev):
    before = dev.snapshot()
    assert before["kind"] == "tekvaro-snapshot" and before["format"] == 1
    assert before["registers"]["ZV0.PORT_CTRL"] == dev.regs["ZV0.PORT_CTRL"].read()
    assert tekvaro.diff(before, dev.snapshot()) == []
    dev.regs["LAYER3.POS"].write(x=5)
    change = [{"name": "LAYER3.POS", "before": 0, "after": 5, "fields": {"x": [0, 5]}}]
    assert tekvaro.diff(before) == change  # against the open device
    assert tekvaro.diff(before, dev) == change
    assert tekvaro.diff(before, ignore="layer3.*") == []


@pytest.mark.parametrize("a, b, message", [
    ({"kind": "other"}, None, "the first snapshot: not a tekvaro snapshot"),
    ({"kind": "tekvaro-snapshot", "format": 2, "registers": {}}, None, "a snapshot format"),
])
def test_what_is_not_a_snapshot_is_refused(dev, a, b, message):
    with pytest.raises(ValueError, match=message):
        tekvaro.diff(a, b or dev.snapshot())


def test_diff_against_the_device_needs_an_open_one():
    with tekvaro.open() as device:
        snapshot = device.snapshot()
    with pytest.raises(tekvaro.Error, match="open one, or give b"):
        tekvaro.diff(snapshot)


@pytest.mark.parametrize("part, key, value, message", [
    ("registers", "ZV0.PORT_CTRL", "0x510", 'registers."ZV0.PORT_CTRL": not a number from 0 to 2\\^64-1'),
    ("registers", "ZV0.PORT_CTRL", -1, 'registers."ZV0.PORT_CTRL": not a number'),
    ("registers", "ZV0.PORT_CTRL", 1.0, 'registers."ZV0.PORT_CTRL": not a number'),
    ("registers", "ZV0.PORT_CTRL", 2**64, 'registers."ZV0.PORT_CTRL": not a number'),
    ("pci", 3, 256, r"pci\[3\]: not a byte \(0 to 255\) or null"),
    ("crtc", 0, [1], r"crtc\[0\]: not a byte"),
    (None, "zv", None, "zv: not a list"),
])
def test_an_unsound_snapshot_is_refused_with_the_place_of_its_fault(dev, part, key, value, message):
    snapshot = dev.snapshot()
    (snapshot[part] if part else snapshot)[key] = value
    with pytest.raises(ValueError, match="the second snapshot: " + message):
        tekvaro.diff(dev.snapshot(), snapshot)


@pytest.mark.parametrize("ignore", [5, None, b"layer3.*", ["layer3.*", 1]])
def test_ignore_is_a_glob_or_a_list_of_them(dev, ignore):
    with pytest.raises(TypeError, match="^ignore is a shell glob"):
        tekvaro.diff(dev.snapshot(), ignore=ignore)


def test_a_register_two_snapshots_place_apart_is_not_paired(dev):
    before, after = dev.snapshot(), dev.snapshot()
    after["layout"]["ZV0.PORT_CTRL"] = {"space": "reg", "address": 0x100C4, "width": 16}
    assert tekvaro.diff(before, after) == [{
        "name": "ZV0.PORT_CTRL", "before": 0, "after": 0,
        "before_register": {"space": "reg", "address": 0x100C0, "width": 32},
        "after_register": {"space": "reg", "address": 0x100C4, "width": 16},
    }]
