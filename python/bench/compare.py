#!/usr/bin/env python3
"""The Python module against the library called from C, on the simulator:
16 MiB of video memory (dev.vram.read_bytes against 2 Mi quad requests) and
one 32-bit register read (dev.reg.read against tkvRegReadLong), and the same
register read by name (dev.regs["ZV0.PORT_CTRL"].read(), name look-up
included) against dev.reg.read(0x100c0).  The fastest
of five runs counts: other work on the machine only ever makes a run slower.

    make python-bench
or  tkvsim-run python3 python/bench/compare.py build/python/tkv_python_bench
    (with the built module on PYTHONPATH)
"""
import subprocess
import sys
import time
import timeit

import tekvaro

RUNS = 5
SINGLE_READS = 1_000_000


def main():
    baseline = subprocess.run([sys.argv[1]], capture_output=True, text=True, check=True).stdout.split()
    c_bulk, c_single = float(baseline[0]), float(baseline[1])
    with tekvaro.open() as dev:
        py_bulk = min(timeit.repeat(lambda: dev.vram.read_bytes(0, 16 << 20), number=1, repeat=RUNS))
        timer = timeit.Timer("dev.reg.read(0x100)", globals={"dev": dev}, timer=time.perf_counter)
        py_single = min(timer.repeat(number=SINGLE_READS, repeat=RUNS)) / SINGLE_READS
        by_offset = timeit.Timer("dev.reg.read(0x100c0)", globals={"dev": dev}, timer=time.perf_counter)
        by_name = timeit.Timer('dev.regs["ZV0.PORT_CTRL"].read()', globals={"dev": dev}, timer=time.perf_counter)
        py_offset = min(by_offset.repeat(number=SINGLE_READS, repeat=RUNS)) / SINGLE_READS
        py_name = min(by_name.repeat(number=SINGLE_READS, repeat=RUNS)) / SINGLE_READS
    print(f"{'':34} {'C':>9} {'Python':>9}")
    print(f"{'16 MiB of video memory (ms)':34} {c_bulk * 1e3:9.1f} {py_bulk * 1e3:9.1f}   {py_bulk / c_bulk:.2f}x")
    print(f"{'one register read (ns)':34} {c_single * 1e9:9.0f} {py_single * 1e9:9.0f}   "
          f"+{(py_single - c_single) * 1e9:.0f} ns")
    print(f"{'':34} {'offset':>9} {'name':>9}")
    print(f"{'one register read by name (ns)':34} {py_offset * 1e9:9.0f} {py_name * 1e9:9.0f}   "
          f"+{(py_name - py_offset) * 1e9:.0f} ns")


if __name__ == "__main__":
    main()
