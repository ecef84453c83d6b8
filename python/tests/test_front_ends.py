"""tkvtool and the Python module refuse the same things the same way: a usage
error is exit status 2 and ValueError (IndexError for a CRTC index, as a
sequence has it), a failure of the device exit status 1 and DeviceError."""
import os
import subprocess

import pytest

import tekvaro

TOOL = os.path.join(os.path.dirname(os.environ["TKV_LAUNCHER"]), "tkvtool-sim")

CASES = [
    # (setup commands, command, Python setup, Python call, kind)
    ([], ["read", "reg", "fffffe", "-w", "4"], None, lambda d: d.reg.read(0xFFFFFE, 4), "usage"),
    ([], ["read", "vram", "ffffffc", "-w", "8"], None, lambda d: d.vram.read(0xFFFFFFC, 8), "usage"),
    ([], ["read", "crtc", "ff"], None, lambda d: d.crtc[0xFF], "usage"),
    ([], ["pci", "read", "100"], None, lambda d: d.pci.read(0x100), "usage"),
    ([], ["i2c", "get", "0", "2", "0"], None, lambda d: d.i2c(0).read(0x02, 0), "usage"),
    ([], ["i2c", "get", "0", "78", "0"], None, lambda d: d.i2c(0).read(0x78, 0), "usage"),
    ([], ["write", "ZV0.PORT_CTRL", "capture=2"], None,
     lambda d: d.regs["ZV0.PORT_CTRL"].write(capture=2), "usage"),
    ([], ["write", "ZV0.SIZE", "1"], None, lambda d: d.regs["ZV0.SIZE"].write(1), "usage"),
    ([["write", "I2C0.CTR", "0"]], ["i2c", "get", "0", "50", "0"],
     lambda d: d.regs["I2C0.CTR"].write(0), lambda d: d.i2c(0).read(0x50, 0), "device"),
    ([["zv", "init", "0"]], ["zv", "start", "0"], lambda d: d.zv(0).init(), lambda d: d.zv(0).start(), "ok"),
    ([["zv", "init", "1"]], ["zv", "start", "1"], lambda d: d.zv(1).init(), lambda d: d.zv(1).start(), "ok"),
]
STATUS = {"ok": 0, "device": 1, "usage": 2}
RAISES = {"usage": (ValueError, IndexError), "device": tekvaro.DeviceError}


@pytest.mark.parametrize("setup, command, python_setup, python_call, kind", CASES)
def test_both_front_ends_agree(tmp_path, setup, command, python_setup, python_call, kind):
    env = dict(os.environ, TKVSIM_STATE=str(tmp_path / "state"))
    for step in setup:
        subprocess.run([TOOL, *step], env=env, check=True, capture_output=True)
    ran = subprocess.run([TOOL, *command], env=env, capture_output=True, text=True)
    assert ran.returncode == STATUS[kind], ran.stderr

    with tekvaro.open() as dev:
        control = dev.regs["I2C0.CTR"].read()  # the process's device outlives the test
        try:
            if python_setup:
                python_setup(dev)
            if kind == "ok":
                python_call(dev)
            else:
                with pytest.raises(RAISES[kind]):
                    python_call(dev)
        finally:
            dev.regs["I2C0.CTR"].write(control)
