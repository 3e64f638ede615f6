#!/usr/bin/env python3
"""Writes the .def of a 32-bit import library: each export of DEF named as a 32-bit stdcall
caller refers to it (name@bytes, the argument bytes taken from the public header), so that
`dlltool --kill-at` makes an import library whose symbols callers link against while the DLL
is entered by its plain name. Exports that are not stdcall keep what MAP gives (NAME=BYTES).

  stdcall_def.py HEADER DEF OUTPUT [NAME=BYTES ...]     (DEF "-": every export of HEADER)
"""
import os
import re
import sys

sys.path.insert(0, os.path.join(os.path.dirname(__file__), "..", "python", "codegen"))
import quarn_headers  # noqa: E402


def main():
    header, deffile, output, *fixed = sys.argv[1:]
    extra = dict(f.split("=") for f in fixed)
    exports = {e.name: e for e in quarn_headers.parse(header).exports}
    lines = []
    if deffile == "-":
        source = ["EXPORTS\n"] + [f"  {name} @0\n" for name in exports]
    else:
        source = open(deffile)
    for line in source:
        m = re.match(r"\s*(\w+)\s+@(\d+)\s*$", line)
        if not m:
            if re.match(r"\s*\w+\s*=", line):
                continue  # nameless second ordinals: nothing to link against
            lines.append(line.rstrip("\n"))
            continue
        name, ordinal = m.groups()
        if name in extra:
            size = int(extra[name])
        else:
            e = exports[name]
            size = sum(8 if p.ctype == "double" else 4 for p in e.params)
        lines.append(f"  {name}@{size}" + (f" @{ordinal}" if ordinal != "0" else ""))
    with open(output, "w") as f:
        f.write("\n".join(lines) + "\n")


if __name__ == "__main__":
    main()
