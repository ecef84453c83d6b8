"""tkvsim-run, and the example script run with it."""
import os
import shutil
import subprocess
import sys

import tekvaro

LAUNCHER = os.environ["TKV_LAUNCHER"]
EXAMPLES = os.environ["TKV_EXAMPLES"]
SIMULATOR = os.environ["LD_PRELOAD"].split()[-1]


def run(*command, preload=""):
    env = dict(os.environ, LD_PRELOAD=preload)
    return subprocess.run(command, env=env, capture_output=True, text=True, timeout=60)


def preloaded(launcher, preload=""):
    """What `launcher` puts in LD_PRELOAD, the simulator's path resolved."""
    paths = run(launcher, "sh", "-c", 'echo "$LD_PRELOAD"', preload=preload).stdout.split()
    return paths[:-1] + [os.path.realpath(paths[-1])]


def test_preloads_the_simulator_after_what_is_preloaded():
    assert preloaded(LAUNCHER, preload="libm.so.6") == ["libm.so.6", os.path.realpath(SIMULATOR)]
    assert run(LAUNCHER, sys.executable, "-c", "import tekvaro; print(tekvaro.open().version)").stdout == "(1, 0, 0, 0)\n"


def test_finds_the_simulator_from_its_real_place(tmp_path):
    prefix = os.path.dirname(os.path.dirname(LAUNCHER))
    bin_dir, lib_dir = tmp_path / "bin", tmp_path / os.path.relpath(os.path.dirname(SIMULATOR), prefix)
    bin_dir.mkdir()
    shutil.copy(LAUNCHER, bin_dir)
    assert run(bin_dir / "tkvsim-run", "true").returncode == 1  # no simulator beside it yet
    lib_dir.mkdir(parents=True)
    shutil.copy(SIMULATOR, lib_dir)
    (tmp_path / "link").symlink_to(bin_dir / "tkvsim-run")
    assert preloaded(tmp_path / "link") == [f"{lib_dir}/libtkvsim.so"]
    usage = run(tmp_path / "link")
    assert (usage.returncode, usage.stderr) == (2, "usage: tkvsim-run COMMAND [ARGUMENT...]\n")


def test_example(tmp_path):
    result = subprocess.run([LAUNCHER, sys.executable, os.path.join(EXAMPLES, "board_check.py"), "edid.bin"],
                            cwd=tmp_path, env=dict(os.environ, LD_PRELOAD=""), capture_output=True, text=True)
    assert result.stdout.splitlines() == [
        "I2C channel 0: 0x24 0x50",
        "  EEPROM at 0x50: 00 01 02 03 04 05 06 07 08 09 0a 0b 0c 0d 0e 0f",
        "I2C channel 1: 0x24",
        "DDC port 0: 256 bytes of EDID saved to edid.bin, monitor TKVSIM 1080",
    ]
    with tekvaro.open() as dev:
        assert (tmp_path / "edid.bin").read_bytes() == dev.edid(0)
