"""Run under the simulated controller (libtkvsim.so preloaded, state in memory):
an open device per test, and fresh Pythons for simulator settings of their own."""
import os
import subprocess
import sys
import textwrap

import pytest

import tekvaro


@pytest.fixture
def dev():
    with tekvaro.open() as device:
        yield device


def run_python(code, **settings):
    """Runs `code` in a new Python on the simulator with the TKVSIM_* `settings`."""
    env = {k: v for k, v in os.environ.items() if not k.startswith("TKVSIM_")}
    env.update(settings, TKVSIM_STATE="")
    return subprocess.run([sys.executable, "-c", textwrap.dedent(code)], env=env,
                          capture_output=True, text=True, timeout=60)
