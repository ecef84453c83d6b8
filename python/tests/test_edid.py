"""The identity of a monitor's EDID, as tkvtool edid --json decodes it."""
import json
import os
import subprocess

import pytest

import tekvaro


def test_decode_edid_agrees_with_tkvtool(dev):
    tool = os.path.join(os.path.dirname(os.environ["TKV_LAUNCHER"]), "tkvtool-sim")
    for port in (0, 1):
        identity = tekvaro.decode_edid(dev.edid(port))
        shown = subprocess.run([tool, "edid", str(port), "--json"], capture_output=True, text=True, check=True)
        assert json.loads(shown.stdout)["identity"] == identity
    assert identity["name"] == "TKVSIM SXGA" and identity["preferred"]["width"] == 1280


@pytest.mark.parametrize("data", [b"", b"\0\xff\xff\xff\xff\xff\xff\0", bytes(128)])
def test_decode_edid_refuses_what_has_no_base_block(data):
    with pytest.raises(ValueError, match="no base block"):
        tekvaro.decode_edid(data)
