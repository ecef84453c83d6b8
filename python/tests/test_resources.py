"""Thousands of calls keep no references and no memory, and a long transfer
lets other threads run while it holds the device to itself."""
import gc
import sys
import threading
import time
import timeit
import tracemalloc

import pytest

import tekvaro

CALLS = 3000
DATA = bytes(range(64))
OFFSET = 0x123456789  # a large int, so its reference count is its own


def every_call(dev):
    """Each call, including the failing ones, returns or raises once."""
    yield lambda: dev.reg.read(0x100, 8)
    yield lambda: dev.reg.write(0x100, 0x1122, 2)
    yield lambda: dev.vram.read_bytes(0x11, 64)
    yield lambda: dev.vram.write_bytes(0x11, DATA)
    yield lambda: dev.crtc.__setitem__(3, dev.crtc[3])
    yield lambda: dev.i2c(0).read(0x50, 0, 8)
    yield lambda: dev.i2c(0).write(0x50, 0x40, DATA[:4])
    yield lambda: (dev.pci.read(0), dev.pci.write(4, 7), dev.version)
    yield lambda: dev.edid(0)
    yield lambda: dev.edid(2)  # NoMonitor
    yield lambda: dev.edid(3)  # InvalidEdid
    yield lambda: dev.i2c(0).read(0x51, 0)  # I2cError
    yield lambda: dev.vram.read(OFFSET)  # ValueError
    yield lambda: dev.vram.write_bytes(0xFFFFFFF, DATA)  # ValueError


def call_quietly(call):
    try:
        call()
    except (tekvaro.Error, ValueError):
        pass


@pytest.mark.parametrize("index", range(14))
def test_no_leaks(dev, index):
    call = list(every_call(dev))[index]
    references = sys.getrefcount(DATA), sys.getrefcount(OFFSET)
    tracemalloc.start()
    for _ in range(CALLS // 3):  # Python's own caches settle first
        call_quietly(call)
    gc.collect()
    before = tracemalloc.get_traced_memory()[0]
    for _ in range(CALLS):
        call_quietly(call)
    gc.collect()
    grown = tracemalloc.get_traced_memory()[0] - before
    tracemalloc.stop()
    assert grown < CALLS  # a leak keeps at least an object a call
    assert (sys.getrefcount(DATA), sys.getrefcount(OFFSET)) == references


def in_thread(work):
    thread = threading.Thread(target=work)
    thread.start()
    return thread


def test_transfers_let_other_threads_run(dev):
    took = []
    last, longest = time.monotonic(), 0.0
    reader = in_thread(lambda: took.append(timeit.timeit(lambda: dev.vram.read_bytes(0, 1 << 28), number=1)))
    while reader.is_alive():
        now = time.monotonic()
        last, longest = now, max(longest, now - last)
    longest = max(longest, time.monotonic() - last)
    reader.join()
    assert longest < took[0] / 2  # holding the GIL, the transfer would have stopped this thread


def test_threads_take_turns_at_the_device(dev):
    pattern = bytes(range(256)) * 4096  # 1 MiB: long enough to overlap many calls
    dev.vram.write_bytes(0, pattern)
    done, wrong = threading.Event(), []
    def read_again():
        while not done.is_set():
            if dev.vram.read_bytes(0, len(pattern)) != pattern:
                wrong.append(1)
    reader = in_thread(read_again)
    for value in range(CALLS):
        dev.reg.write(0x200, value & 0xFF, 1)
        assert dev.reg.read(0x200, 1) == value & 0xFF
    done.set()
    reader.join()
    assert not wrong
