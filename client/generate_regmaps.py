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
NAME = re.compile(r'(?:^|[{,])[ \t]*name[ \t]*=[ \t]*"([^"\\\n]*)"', re.MULTILINE)
HEADER = re.compile(r"^[ \t]*\[", re.MULTILINE)


def fail(path, message):
    sys.exit(f"{path}: {message}")


def name_lines(text):
    """For each name value, the lines of the tables that give it, in order:
    the line of an inline table's '{', or of the [[header]] above a key."""
    lines = {}
    for match in NAME.finditer(text):
        start = match.start(1)
        line_start = text.rfind("\n", 0, start) + 1
        if "{" in text[line_start:start]:
            at = line_start
        else:
            headers = [h.start() for h in HEADER.finditer(text, 0, start)]
            at = headers[-1] if headers else line_start
        lines.setdefault(match.group(1), []).append(text.count("\n", 0, at) + 1)
    return lines


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
        bits = f["bits"]
        if isinstance(bits, int):
            lsb = msb = bits
        else:
            lsb, msb = (int(b) for b in re.fullmatch(r"(\d+)-(\d+)", bits).groups())
        values = ", ".join(f"{{{strtoull(k)}ull, {cstr(v)}}}" for k, v in f.get("values", {}).items())
        return (f"{{{cstr(f['name'])}, {lsb}, {msb}, {ACCESS[f.get('access', 'rw')]}, "
                f"{cstr(f.get('description', ''))}, {{{values}}}, {line}}}")

    def register(self, r):
        self.known(r, "register")
        line = self.line(r["name"])
        fields = ",\n        ".join(self.field(f) for f in r.get("fields", []))
        return (f"{{{cstr(r['name'])}, {r['offset']:#x}u, {r.get('width', 32)}, "
                f"{ACCESS[r.get('access', 'rw')]}, {'true' if 'reset' in r else 'false'}, "
                f"{r.get('reset', 0):#x}ull, {cstr(r.get('description', ''))},\n"
                f"       {{{fields}}}, {line}}}")

    def block(self, b):
        self.known(b, "block")
        line = self.line(b["name"])
        instances = [(i["name"], i["base"], self.line(i["name"])) for i in b.get("instances", [])]
        for i in b.get("instances", []):
            self.known(i, "instance")
        if not instances:
            instances = [(b["name"], 0, line)]
        registers = ",\n      ".join(self.register(r) for r in b.get("register", []))
        addresses = ", ".join(f"{a:#x}" for a in b.get("addresses", []))
        instance_text = ", ".join(f"{{{cstr(n)}, {base:#x}u, {l}}}" for n, base, l in instances)
        return (f"  blocks.push_back({{{cstr(b['name'])}, {SPACE[b['space']]}, "
                f"{cstr(b.get('description', ''))},\n"
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
                    bits = f["bits"]
                    lsb, msb = (bits, bits) if isinstance(bits, int) else map(int, bits.split("-"))
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
