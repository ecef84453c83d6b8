"""Thousands of calls keep no references and no memory, and a long transfer
lets other threads run while it holds the device to itself."""
import gc
import sys
import threading
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
    # With a switch interval longer than the test, a thread gets the GIL only
    # when its holder lets it go: the main thread wakes while the transfer
    # runs only if the transfer lets the GIL go.
    started, finished = threading.Event(), threading.Event()
    def read():
        started.set()
        dev.vram.read_bytes(0, 1 << 28)
        finished.set()
    interval = sys.getswitchinterval()
    sys.setswitchinterval(1000)
    try:
        reader = in_thread(read)
        started.wait()
        woke_during_transfer = not finished.is_set()
    finally:
        sys.setswitchinterval(interval)
    reader.join()
    assert woke_during_transfer


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
