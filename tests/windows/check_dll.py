#!/usr/bin/env python3
"""Reads a DLL's export and import tables (objdump -p) and checks them against the public
header: every export under its plain name (no @N), nothing else exported, the ordinals of the
.def file (a nameless second ordinal reaches the same function as its named twin), and only
Windows system DLLs imported.

  check_dll.py --objdump OBJDUMP --header HEADER --dll DLL [--def DEF]
"""
import argparse
import os
import re
import subprocess
import sys

sys.path.insert(0, os.path.join(os.path.dirname(__file__), "..", "..", "python", "codegen"))
import quarn_headers  # noqa: E402

SYSTEM_DLLS = {"kernel32.dll", "user32.dll", "gdi32.dll", "msvcrt.dll", "opengl32.dll",
               "glu32.dll", "advapi32.dll", "winmm.dll", "shell32.dll", "ole32.dll"}


def read_tables(objdump, dll):
    text = subprocess.run([objdump, "-p", dll], check=True, capture_output=True, text=True).stdout
    imports = {m.lower() for m in re.findall(r"DLL Name: (\S+)", text)}
    base_m = re.search(r"Export Address Table -- Ordinal Base (\d+)", text)
    if not base_m:
        return imports, {}, {}
    base = int(base_m.group(1))
    eat_text = text[base_m.end():text.find("[Ordinal/Name Pointer] Table", base_m.end())]
    rvas = {int(o): rva for o, rva in re.findall(r"\+base\[\s*(\d+)\]\s+([0-9a-fA-F]+)", eat_text)}
    names_text = text[text.find("[Ordinal/Name Pointer] Table"):]
    names_text = names_text[:names_text.find("\n\n")]
    names = {n: int(i) + base for i, n in re.findall(r"\[\s*(\d+)\]\s+(\S+)", names_text)}
    return imports, rvas, names


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("--objdump", required=True)
    ap.add_argument("--header", required=True)
    ap.add_argument("--dll", required=True)
    ap.add_argument("--def", dest="deffile")
    a = ap.parse_args()
    imports, rvas, names = read_tables(a.objdump, a.dll)
    declared = {e.name for e in quarn_headers.parse(a.header).exports}
    problems = []
    decorated = sorted(n for n in names if "@" in n)
    if decorated:
        problems.append(f"decorated export names: {decorated}")
    plain = {n.split("@")[0] for n in names}
    if plain != declared:
        problems.append(f"not exported: {sorted(declared - plain)}; "
                        f"exported beyond the header: {sorted(plain - declared)}")
    if a.deffile:
        named_ordinals = set(names.values())
        for line in open(a.deffile):
            m = re.match(r"\s*(\w+)(?:\s*=\s*(\w+))?\s+@(\d+)(\s+NONAME)?", line)
            if not m:
                continue
            name, target, ordinal, noname = m.group(1), m.group(2), int(m.group(3)), m.group(4)
            if noname:
                if ordinal in named_ordinals:
                    problems.append(f"ordinal {ordinal} carries a name")
                elif target not in names or rvas.get(ordinal) != rvas.get(names[target]):
                    problems.append(f"ordinal {ordinal} does not reach {target}")
            elif names.get(name) != ordinal:
                problems.append(f"{name} at ordinal {names.get(name)}, expected {ordinal}")
    foreign = sorted(d for d in imports if d not in SYSTEM_DLLS and not d.startswith("api-ms-win-"))
    if foreign:
        problems.append(f"imports DLLs that are not part of Windows: {foreign}")
    for p in problems:
        print(f"{os.path.basename(a.dll)}: {p}")
    print(f"{os.path.basename(a.dll)}: {len(names)} named exports, {len(rvas)} ordinals, "
          f"imports {sorted(imports)}: {'FAILED' if problems else 'as declared'}")
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main())
