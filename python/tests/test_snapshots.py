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
