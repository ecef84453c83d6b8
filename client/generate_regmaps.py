#!/usr/bin/env python3
"""Compiles the shipped register maps into C++, so that the programs need not
read them at start-up.

  generate_regmaps.py blocks OUTPUT.cpp INSTALLED_DIR MAP.toml...
    the blocks of the maps, file by file, filling the same structures as the
    TOML loader (regmap.h); INSTALLED_DIR is where the maps are installed:
    the blocks name their file there, as a fault found against a user's map
    cites them.
  generate_regmaps.py offsets OUTPUT.h MAP.toml...
    a private header of the register-space addresses (INSTANCE_REGISTER)
    and field masks (BLOCK_REGISTER_field), for the simulator.

The maps are expected to be sound (tkvtool regmap check); anything this
script does not know stops the build.
"""
import bisect
import os
import re
import sys
import tomllib

ACCESS = {"rw": "Access::ReadWrite", "ro": "Access::ReadOnly", "wo": "Access::WriteOnly"}
SPACE = {"reg": "Space::Reg", "crtc": "Space::Crtc", "pci": "Space::Pci", "i2c": "Space::I2c"}
# Only the keys the loader knows: anything else is a mistake in the map.
KEYS = {
    "block": {"name", "space", "description", "instances", "addresses", "register"},
    "instance": {"name", "base"},
    "register": {"name", "offset", "width", "access", "reset", "description", "fields"},
    "field": {"name", "bits", "access", "description", "values"},
}
# The widths each space has requests for, the first its natural one (a
# register's width when it gives none).
WIDTHS = {"reg": (32, 8, 16, 64), "crtc": (8,), "pci": (32, 8, 16), "i2c": (8, 16, 32, 64)}
# A bit range: "LOW-HIGH", "HIGH:LOW", "[HIGH:LOW]" or "[BIT]".
BITS = re.compile(r"(?P<low>\d{1,2})-(?P<high>\d{1,2})|\[?(?P<msb>\d{1,2}):(?P<lsb>\d{1,2})\]?|\[(?P<bit>\d{1,2})\]")
NAME = re.compile(r'(?:^|[{,])[ \t]*name[ \t]*=[ \t]*"([^"\\\n]*)"', re.MULTILINE)
HEADER = re.compile(r"^[ \t]*\[", re.MULTILINE)


def fail(path, message):
    sys.exit(f"{path}: {message}")


def name_lines(text):
    """For each name value, the lines of the tables that give it, in order:
    the line of an inline table's '{', or of the [[header]] above a key."""
    lines = {}
    headers = [h.start() for h in HEADER.finditer(text)]
    breaks = [i for i, c in enumerate(text) if c == "\n"]
    for match in NAME.finditer(text):
        start = match.start(1)
        line_start = text.rfind("\n", 0, start) + 1
        if "{" in text[line_start:start]:
            at = line_start
        else:
            before = bisect.bisect_left(headers, start)
            at = headers[before - 1] if before else line_start
        lines.setdefault(match.group(1), []).append(bisect.bisect_left(breaks, at) + 1)
    return lines


def bit_range(path, bits):
    """The (lsb, msb) of a field's bits, as the loader reads them."""
    if isinstance(bits, int):
        return bits, bits
    match = BITS.fullmatch(bits)
    if not match:
        fail(path, f"invalid bit range {bits!r}")
    if match["bit"] is not None:
        lsb = msb = int(match["bit"])
    elif match["low"] is not None:
        lsb, msb = int(match["low"]), int(match["high"])
    else:
        lsb, msb = int(match["lsb"]), int(match["msb"])
        if bits.startswith("[") != bits.endswith("]"):
            fail(path, f"invalid bit range {bits!r}")
    if lsb > msb or msb > 63:
        fail(path, f"invalid bit range {bits!r}")
    return lsb, msb


def plain(path, text):
    """Text that reaches terminals: no control characters, as the loader has it."""
    if any(ord(c) < 0x20 or 0x7F <= ord(c) <= 0x9F for c in text):
        fail(path, f"control character in {text!r}")
    return text


def cstr(text):
    out = []
    for byte in text.encode("utf-8"):
        char = chr(byte)
        out.append(char if 0x20 <= byte < 0x7F and char not in '"\\?' else f"\\{byte:03o}")
    return '"' + "".join(out) + '"'


def strtoull(text):
    """A named value's key as the loader's strtoull(..., 0) reads it."""
    if re.fullmatch(r"0[xX][0-9a-fA-F]+", text):
        return int(text, 16)
    if re.fullmatch(r"0[0-7]*", text):
        return int(text, 8)
    if re.fullmatch(r"[1-9][0-9]*", text):
        return int(text)
    raise ValueError(text)


class Generator:
    def __init__(self, path, installed):
        self.path = path
        with open(path, "rb") as f:
            raw = f.read()
        self.data = tomllib.loads(raw.decode("utf-8"))
        self.lines = name_lines(raw.decode("utf-8"))
        self.file = os.path.join(installed, os.path.basename(path))

    def line(self, name):
        lines = self.lines.get(name)
        if not lines:
            fail(self.path, f"cannot place '{name}'")
        return lines.pop(0)

    def known(self, table, kind):
        unknown = set(table) - KEYS[kind]
        if unknown:
            fail(self.path, f"unknown keys {sorted(unknown)} in a {kind}")

    def field(self, f):
        self.known(f, "field")
        line = self.line(f["name"])
        lsb, msb = bit_range(self.path, f["bits"])
        values = ", ".join(f"{{{strtoull(k)}ull, {cstr(plain(self.path, v))}}}"
                           for k, v in f.get("values", {}).items())
        return (f"{{{cstr(f['name'])}, {lsb}, {msb}, {ACCESS[f.get('access', 'rw')]}, "
                f"{cstr(plain(self.path, f.get('description', '')))}, {{{values}}}, {line}}}")

    def register(self, r, space):
        self.known(r, "register")
        line = self.line(r["name"])
        width = r.get("width", WIDTHS[space][0])
        if width not in WIDTHS[space]:
            fail(self.path, f"{r['name']}: {space} has no {width}-bit registers")
        if not 0 <= r.get("reset", 0) < 1 << width:
            fail(self.path, f"{r['name']}: reset value wider than {width} bits")
        fields = ",\n        ".join(self.field(f) for f in r.get("fields", []))
        return (f"{{{cstr(r['name'])}, {r['offset']:#x}u, {width}, "
                f"{ACCESS[r.get('access', 'rw')]}, {'true' if 'reset' in r else 'false'}, "
                f"{r.get('reset', 0):#x}ull, {cstr(plain(self.path, r.get('description', '')))},\n"
                f"       {{{fields}}}, {line}}}")

    def block(self, b):
        self.known(b, "block")
        line = self.line(b["name"])
        for i in b.get("instances", []):
            self.known(i, "instance")
        instances = [(i["name"], i["base"], self.line(i["name"])) for i in b.get("instances", [])]
        if not instances:
            instances = [(b["name"], 0, line)]
        registers = ",\n      ".join(self.register(r, b["space"]) for r in b.get("register", []))
        addresses = ", ".join(f"{a:#x}" for a in b.get("addresses", []))
        instance_text = ", ".join(f"{{{cstr(n)}, {base:#x}u, {l}}}" for n, base, l in instances)
        return (f"  blocks.push_back({{{cstr(b['name'])}, {SPACE[b['space']]}, "
                f"{cstr(plain(self.path, b.get('description', '')))},\n"
                f"    {{{instance_text}}},\n"
                f"    {{{registers}}},\n"
                f"    {{{addresses}}}, {cstr(self.file)}, {line}}});\n")

    def blocks(self):
        if set(self.data) - {"block"}:
            fail(self.path, "only [[block]] tables at the top")
        return "".join(self.block(b) for b in self.data.get("block", []))


def offsets(maps):
    lines = []
    for path in maps:
        with open(path, "rb") as f:
            data = tomllib.load(f)
        for b in data.get("block", []):
            if b["space"] != "reg":
                continue
            instances = b.get("instances") or [{"name": b["name"], "base": 0}]
            for r in b.get("register", []):
                for i in instances:
                    lines.append(f"constexpr uint32_t {i['name']}_{r['name']} = {i['base'] + r['offset']:#x};")
                for f in r.get("fields", []):
                    lsb, msb = bit_range(path, f["bits"])
                    mask = ((1 << (msb - lsb + 1)) - 1) << lsb
                    lines.append(f"constexpr uint64_t {b['name']}_{r['name']}_{f['name']} = {mask:#x};")
    body = "\n".join(lines)
    return ("// Generated from regmaps/*.toml by client/generate_regmaps.py: do not edit.\n"
            "// Register-space addresses and field masks of the shipped maps.\n"
            "#ifndef TKV_REGMAP_OFFSETS_H\n#define TKV_REGMAP_OFFSETS_H\n\n#include <stdint.h>\n\n"
            f"namespace regmap_offsets {{\n\n{body}\n\n}}  // namespace regmap_offsets\n\n#endif\n")


def blocks(installed, maps):
    body = "".join(f"  // {os.path.basename(m)}\n" + Generator(m, installed).blocks() for m in maps)
    return ("// Generated from regmaps/*.toml by client/generate_regmaps.py: do not edit.\n"
            '#include "regmap_files.h"\n\nnamespace regmap {\n\n'
            "std::vector<Block> shippedBlocks() {\n  std::vector<Block> blocks;\n"
            f"{body}  return blocks;\n}}\n\n}}  // namespace regmap\n")


def main():
    args = sys.argv[1:]
    if len(args) >= 3 and args[0] == "blocks":
        output, text = args[1], blocks(args[2], sorted(args[3:], key=os.path.basename))
    elif len(args) >= 2 and args[0] == "offsets":
        output, text = args[1], offsets(sorted(args[2:], key=os.path.basename))
    else:
        sys.exit(__doc__)
    with open(output + ".tmp", "w", encoding="ascii") as f:
        f.write(text)
    os.replace(output + ".tmp", output)


if __name__ == "__main__":
    main()
