"""The type stubs describe the module well enough for mypy --strict."""
import os
import shutil
import subprocess
import sys
import textwrap

import pytest

EXAMPLE = """
    from typing import Optional
    import tekvaro

    def survey() -> Optional[int]:
        with tekvaro.open(0, maps=[]) as dev:
            control = dev.regs["ZV0.PORT_CTRL"]
            control.write(capture=1, layer1="on")
            fields: dict[str, int] = control.decode()
            names = [r.name for r in dev.regs.find("ZV*")] + list(control.fields["capture"].values.values())
            total = sum(value for value in dev.crtc) + dev.reg.read(0, 8) + dev.pci.read(1, 2)
            dev.i2c(0).write(0x50, 0, [1, 2, 3])
            dev.i2c(0).write(0x50, 0, bytearray(b"ab"))
            camera = dev.zv(0)
            camera.init(i2c_channel=0, decoder=0x24, layer=1)
            camera.start(x=0, width=320, zoom_x=2, crtc=1)
            info = camera.info()
            frame = camera.capture(format="yuyv")
            frame.save_png("/dev/null")
            total += frame.width * frame.height + len(frame.data)
            if info.window is not None:
                total += info.window.cut_left + info.camera_width
            try:
                dev.edid(2)
            except tekvaro.DeviceError as e:
                print(e.errno, e.strerror, e.action)
            except tekvaro.I2cError as e:
                print(e.code, e.text)
            return info.layer if info.capturing else total
"""


@pytest.mark.skipif(shutil.which("mypy") is None, reason="mypy is not installed (apt-get install mypy)")
def test_mypy_strict_accepts_an_example(tmp_path):
    example = tmp_path / "example.py"
    example.write_text(textwrap.dedent(EXAMPLE))
    result = subprocess.run(["mypy", "--strict", "--no-incremental", "--cache-dir", os.devnull,
                             "--python-executable", sys.executable, str(example)],
                            env=dict(os.environ, MYPYPATH=os.environ["PYTHONPATH"]),
                            capture_output=True, text=True, timeout=240)
    assert result.returncode == 0, result.stdout + result.stderr
