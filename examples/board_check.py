#!/usr/bin/env python3
"""A bring-up check: scan both I2C channels, show the EEPROM's first 16 bytes,
save the EDID of the monitor on DDC port 0 and print the monitor's name.

    board_check.py [EDID_FILE]          (default: edid-port0.bin)

Without a board, on the simulated controller:

    tkvsim-run python3 examples/board_check.py
"""
import sys

import tekvaro

EEPROM = 0x50  # a 24C02-style EEPROM's usual address


def monitor_name(edid):
    """The name in the base block's display descriptors (tag 0xFC), or None."""
    for start in range(54, 126, 18):
        descriptor = edid[start:start + 18]
        if descriptor[:3] == b"\0\0\0" and descriptor[3] == 0xFC:
            return descriptor[5:].split(b"\n")[0].decode("ascii", "replace").strip()
    return None


def main():
    path = sys.argv[1] if len(sys.argv) > 1 else "edid-port0.bin"
    with tekvaro.open() as dev:
        for channel in (0, 1):
            found = dev.i2c(channel).detect()
            print(f"I2C channel {channel}:", " ".join(f"{a:#04x}" for a in found) or "no devices")
            if EEPROM in found:
                print(f"  EEPROM at {EEPROM:#04x}:", dev.i2c(channel).read(EEPROM, 0, 16).hex(" "))
        try:
            edid = dev.edid(0)
        except tekvaro.NoMonitor:
            print("DDC port 0: no monitor")
            return 1
        with open(path, "wb") as file:
            file.write(edid)
        print(f"DDC port 0: {len(edid)} bytes of EDID saved to {path}, monitor {monitor_name(edid) or 'without a name'}")
    return 0


if __name__ == "__main__":
    sys.exit(main())
