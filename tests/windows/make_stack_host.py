#!/usr/bin/env python3
"""Writes a C host that loads a DLL by name, finds every export a public header declares with
GetProcAddress and calls each with neutral arguments (zeros and NULLs, which every export
refuses cleanly). On 32-bit Windows each call goes through CallMeasured (StackBalance32.S),
which reports the bytes a callee left on the stack: a stdcall callee leaves none. For a header
with a scene window the host then opens one and calls every export again from inside its
init, before-render and after-render callbacks, where a live scene and GL context answer.

  make_stack_host.py HEADER OUTPUT.c            the host
  make_stack_host.py HEADER OUTPUT.c --cdecl    a DLL of the same names in the cdecl convention,
                                                which the host must catch (negative control);
                                                its window entry runs the host's callbacks
"""
import os
import sys

sys.path.insert(0, os.path.join(os.path.dirname(__file__), "..", "..", "python", "codegen"))
import quarn_headers  # noqa: E402


CREATE_WINDOW = "qglCreateSceneWindow"


def words(ctype):
    return 2 if ctype in ("double", "int64_t", "uint64_t") else 1


def main():
    header, output, *rest = sys.argv[1:]
    exports = quarn_headers.parse(header).exports
    name = os.path.basename(header)
    if rest == ["--cdecl"]:
        with open(output, "w") as f:
            f.write(f"/* Generated from {name}: its exports as cdecl functions that do nothing. */\n")
            f.write("typedef void(__stdcall* SceneProc)(void);\n")
            for e in exports:
                if e.name == CREATE_WINDOW:
                    # Runs the host's callbacks, so the calls made inside them are checked too.
                    f.write(f"__declspec(dllexport) int __cdecl {e.name}(int w, int h, int d, int f,\n"
                            "    SceneProc init, SceneProc before, SceneProc after) {\n"
                            "    (void)w; (void)h; (void)d; (void)f;\n"
                            "    if (init) init();\n    if (before) before();\n"
                            "    if (after) after();\n    return 0;\n}\n")
                else:
                    f.write(f"__declspec(dllexport) int __cdecl {e.name}(void) {{ return 0; }}\n")
        return
    out = [
        f"/* Generated from {name} by make_stack_host.py: calls every export by name. */",
        "#include <windows.h>",
        "#include <stdint.h>",
        "#include <stdio.h>",
        "#include <string.h>",
        "",
        "#if !defined(_WIN64)",
        "int __cdecl CallMeasured(FARPROC fn, const uint32_t* words, int count);",
        "extern uint32_t CallMeasuredResult;",
        "#endif",
        "",
        "typedef struct Entry {",
        "    const char* name;",
        "    int words; /* 32-bit stack words of the arguments */",
        "    int stdcall;",
        "} Entry;",
        "",
    ]
    names = [e.name for e in exports]
    if CREATE_WINDOW in names:
        out += ["#define WINDOW_EXPORTS 1",
                f"enum {{ kCreateWindow = {names.index(CREATE_WINDOW)}, "
                f"kDestroyWindow = {names.index('qglDestroySceneWindow')}, "
                f"kSetMessageCallback = {names.index('qglSetMessageCallBack')} }};", ""]
    out.append("static const Entry entries[] = {")
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
static FARPROC g_fns[sizeof entries / sizeof entries[0]];
static const int g_count = (int)(sizeof entries / sizeof entries[0]);
static int g_expectUnbalanced = 0;
static int g_balanced = 0, g_unbalanced = 0, g_wrong = 0;

/* A stdcall export removes its arguments; with --expect-unbalanced (a cdecl build) every export
 * with arguments must leave them, or this check could not fail. */
static void Check(int i, int left, const char* where) {
    if (left == 0)
        ++g_balanced;
    else
        ++g_unbalanced;
    if (!g_expectUnbalanced && left != 0) {
        fprintf(stderr, "%s (%s): %d bytes left on the stack\n", entries[i].name, where, left);
        ++g_wrong;
    } else if (g_expectUnbalanced && entries[i].words > 0 && left != 4 * entries[i].words) {
        fprintf(stderr, "%s (%s): %d bytes left, %d expected of a cdecl callee\n",
                entries[i].name, where, left, 4 * entries[i].words);
        ++g_wrong;
    }
}

#if defined(WINDOW_EXPORTS)
/* Calls export i with the given argument words; returns what it returned. */
static intptr_t CallWithWords(int i, const uintptr_t* w, const char* where) {
#if defined(_WIN64)
    /* Every argument travels in its own 8-byte slot: one signature serves ints and pointers. */
    typedef intptr_t (*Any)(uintptr_t, uintptr_t, uintptr_t, uintptr_t, uintptr_t, uintptr_t,
                            uintptr_t);
    intptr_t result = ((Any)(void (*)(void))g_fns[i])(w[0], w[1], w[2], w[3], w[4], w[5], w[6]);
    Check(i, 0, where);
    return result;
#else
    uint32_t words[32] = {0};
    int k;
    for (k = 0; k < entries[i].words && k < 32; ++k)
        words[k] = (uint32_t)w[k];
    Check(i, CallMeasured(g_fns[i], words, entries[i].words), where);
    return (intptr_t)CallMeasuredResult;
#endif
}
#endif

static void CallNeutral(int i, const char* where) {
#if defined(_WIN64)
    CallTyped(i, g_fns[i]);
    Check(i, 0, where);
#else
    uint32_t zeros[32] = {0};
    Check(i, CallMeasured(g_fns[i], zeros, entries[i].words), where);
#endif
}

#if defined(WINDOW_EXPORTS)
/* Inside a window the exports run with a live scene and GL context: every export is called
 * from the scene-init callback and from the first frame's before- and after-render callbacks,
 * then the window is closed from the last. */
static int g_inits = 0, g_befores = 0, g_afters = 0, g_messages = 0;

static void __stdcall OnMessage(const char* caption, const char* text) {
    (void)caption;
    (void)text;
    ++g_messages; /* never a modal message box, which would stop an unattended run */
}

static void InstallMessageCallback(const char* where) {
    uintptr_t w[7] = {(uintptr_t)OnMessage};
    if (g_fns[kSetMessageCallback]) CallWithWords(kSetMessageCallback, w, where);
}

static void CallEvery(const char* where) {
    int i;
    for (i = 0; i < g_count; ++i) {
        if (!g_fns[i] || i == kDestroyWindow) continue;
        CallNeutral(i, where);
        if (i == kSetMessageCallback) InstallMessageCallback(where);
    }
}

static void __stdcall OnInit(void) {
    ++g_inits;
    CallEvery("OnInit");
}

static void __stdcall OnBeforeRender(void) {
    if (g_befores++ == 0) CallEvery("OnBeforeRender");
}

static void __stdcall OnAfterRender(void) {
    if (g_afters++ > 0) return;
    CallEvery("OnAfterRender");
    if (g_fns[kDestroyWindow]) CallNeutral(kDestroyWindow, "OnAfterRender");
}

static int RunWindow(void) {
    uintptr_t w[7] = {160, 120, 32, 0, (uintptr_t)OnInit, (uintptr_t)OnBeforeRender,
                      (uintptr_t)OnAfterRender};
    int32_t result; /* the export returns 32 bits */
    if (!g_fns[kCreateWindow]) return 0;
    InstallMessageCallback("before the window");
    result = (int32_t)CallWithWords(kCreateWindow, w, "opening the window");
    printf("window: result %d, %d init, %d before-render, %d after-render callbacks, "
           "%d messages\n",
           (int)result, g_inits, g_befores, g_afters, g_messages);
    if (result < 0 || g_inits != 1 || g_befores < 1 || g_afters < 1) {
        fprintf(stderr, "the window did not run its callbacks\n");
        return 0;
    }
    return 1;
}
#endif

int main(int argc, char** argv) {
    HMODULE lib;
    int i, missing = 0, ok = 1;
    if (argc < 2) {
        fprintf(stderr, "usage: %s DLL [--expect-unbalanced]\n", argv[0]);
        return 2;
    }
    g_expectUnbalanced = argc > 2 && strcmp(argv[2], "--expect-unbalanced") == 0;
    lib = LoadLibraryA(argv[1]);
    if (!lib) {
        fprintf(stderr, "cannot load %s (error %lu)\n", argv[1], (unsigned long)GetLastError());
        return 1;
    }
    for (i = 0; i < g_count; ++i) {
        g_fns[i] = GetProcAddress(lib, entries[i].name);
        if (!g_fns[i]) {
            fprintf(stderr, "%s: not exported\n", entries[i].name);
            ++missing;
        }
    }
#if defined(WINDOW_EXPORTS)
    InstallMessageCallback("before the window");
#endif
    /* First with no window: every export refuses or answers its default. */
    for (i = 0; i < g_count; ++i) {
        if (!g_fns[i]) continue;
        CallNeutral(i, "no window");
#if defined(WINDOW_EXPORTS)
        if (i == kSetMessageCallback) InstallMessageCallback("no window");
#endif
    }
#if defined(WINDOW_EXPORTS)
    ok = RunWindow();
#endif
    printf("%d exports: %d found, %d missing; %d calls balanced, %d unbalanced\n", g_count,
           g_count - missing, missing, g_balanced, g_unbalanced);
    return missing || g_wrong || !ok ? 1 : 0;
}
"""

if __name__ == "__main__":
    main()
