#!/usr/bin/env python3
"""Writes a C host that loads a DLL by name, finds every export a public header declares with
GetProcAddress and calls each once with neutral arguments (zeros and NULLs, which every export
refuses cleanly). On 32-bit Windows each call goes through CallMeasured (StackBalance32.S),
which reports the bytes a callee left on the stack: a stdcall callee leaves none.

  make_stack_host.py HEADER OUTPUT.c            the host
  make_stack_host.py HEADER OUTPUT.c --cdecl    a DLL of the same names in the cdecl convention,
                                                which the host must catch (negative control)
"""
import os
import sys

sys.path.insert(0, os.path.join(os.path.dirname(__file__), "..", "..", "python", "codegen"))
import quarn_headers  # noqa: E402


def words(ctype):
    return 2 if ctype in ("double", "int64_t", "uint64_t") else 1


def main():
    header, output, *rest = sys.argv[1:]
    exports = quarn_headers.parse(header).exports
    name = os.path.basename(header)
    if rest == ["--cdecl"]:
        with open(output, "w") as f:
            f.write(f"/* Generated from {name}: its exports as cdecl functions that do nothing. */\n")
            for e in exports:
                f.write(f"__declspec(dllexport) int __cdecl {e.name}(void) {{ return 0; }}\n")
        return
    out = [
        f"/* Generated from {name} by make_stack_host.py: calls every export once by name. */",
        "#include <windows.h>",
        "#include <stdint.h>",
        "#include <stdio.h>",
        "#include <string.h>",
        "",
        "#if !defined(_WIN64)",
        "int __cdecl CallMeasured(FARPROC fn, const uint32_t* words, int count);",
        "#endif",
        "",
        "typedef struct Entry {",
        "    const char* name;",
        "    int words; /* 32-bit stack words of the arguments */",
        "    int stdcall;",
        "} Entry;",
        "",
        "static const Entry entries[] = {",
    ]
    for e in exports:
        n = sum(words(p.ctype) for p in e.params)
        if not e.stdcall:
            n -= 3  # the register convention: the first three arguments in EAX, EDX and ECX
        out.append(f'    {{"{e.name}", {n}, {int(e.stdcall)}}},')
    out += ["};", "", "#if defined(_WIN64)", "/* One convention: each export called with its own types. */",
            "static void CallTyped(int index, FARPROC fn) {", "    switch (index) {"]
    for i, e in enumerate(exports):
        types = ", ".join("double" if p.ctype == "double" else "float" if p.ctype == "float"
                          else "uint64_t" for p in e.params) or "void"
        args = ", ".join("0" for _ in e.params)
        out.append(f"    case {i}: ((void (*)({types}))(void (*)(void))fn)({args}); break;")
    out += ["    }", "}", "#endif", "", HOST_MAIN]
    with open(output, "w") as f:
        f.write("\n".join(out))


HOST_MAIN = r"""
int main(int argc, char** argv) {
    const int count = (int)(sizeof entries / sizeof entries[0]);
    int expectUnbalanced = argc > 2 && strcmp(argv[2], "--expect-unbalanced") == 0;
    HMODULE lib;
    int i, missing = 0, balanced = 0, unbalanced = 0, wrong = 0;
    if (argc < 2) {
        fprintf(stderr, "usage: %s DLL [--expect-unbalanced]\n", argv[0]);
        return 2;
    }
    lib = LoadLibraryA(argv[1]);
    if (!lib) {
        fprintf(stderr, "cannot load %s (error %lu)\n", argv[1], (unsigned long)GetLastError());
        return 1;
    }
    for (i = 0; i < count; ++i) {
        FARPROC fn = GetProcAddress(lib, entries[i].name);
        int left = 0;
        if (!fn) {
            fprintf(stderr, "%s: not exported\n", entries[i].name);
            ++missing;
            continue;
        }
#if defined(_WIN64)
        CallTyped(i, fn);
#else
        {
            uint32_t zeros[32] = {0};
            left = CallMeasured(fn, zeros, entries[i].words);
        }
#endif
        if (left == 0) {
            ++balanced;
        } else {
            ++unbalanced;
        }
        /* A stdcall export removes its arguments; with --expect-unbalanced (a cdecl build) every
         * export with arguments must leave them, or this check could not fail. */
        if (!expectUnbalanced && left != 0) {
            fprintf(stderr, "%s: %d bytes left on the stack\n", entries[i].name, left);
            ++wrong;
        } else if (expectUnbalanced && entries[i].words > 0 && left != 4 * entries[i].words) {
            fprintf(stderr, "%s: %d bytes left, %d expected of a cdecl callee\n", entries[i].name,
                    left, 4 * entries[i].words);
            ++wrong;
        }
    }
    printf("%d exports: %d found, %d balanced, %d unbalanced, %d missing\n", count,
           count - missing, balanced, unbalanced, missing);
    return missing || wrong ? 1 : 0;
}
"""

if __name__ == "__main__":
    main()
