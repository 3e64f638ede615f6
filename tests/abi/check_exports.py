#!/usr/bin/env python3
"""A shared library exports exactly the functions its public headers declare, no more, no less:
  check_exports.py LIBRARY HEADER [HEADER ...]
The declarations come from the same header reader that makes the Python binding and the API
pages; the library's table from `nm -D` (code and weak symbols it defines)."""
import os
import subprocess
import sys

sys.path.insert(0, os.path.join(os.path.dirname(__file__), "..", "..", "python", "codegen"))
import quarn_headers  # noqa: E402


def exported(library):
    out = subprocess.run(["nm", "-D", "--defined-only", library], capture_output=True,
                         text=True, check=True).stdout
    names = set()
    for line in out.splitlines():
        fields = line.split()
        if len(fields) == 3 and fields[1] in ("T", "W"):
            names.add(fields[2])
    return names


def main(argv):
    if len(argv) < 3:
        print(__doc__, file=sys.stderr)
        return 2
    library, headers = argv[1], argv[2:]
    declared = {e.name for h in headers for e in quarn_headers.parse(h).exports}
    table = exported(library)
    missing, extra = sorted(declared - table), sorted(table - declared)
    if not declared:
        print("no exports found in " + " ".join(headers))
        return 1
    if missing or extra:
        print("declared but not exported: " + (" ".join(missing) or "none"))
        print("exported but not declared: " + (" ".join(extra) or "none"))
        return 1
    print(f"{len(table)} exports of {os.path.basename(library)} match the header")
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
