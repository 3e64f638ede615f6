"""Compiles and runs the code snippets of README.md and docs/*.md as a reader would copy them.

usage: run_doc_snippets.py SOURCE_DIR WORK_DIR CC LIBQUARNGL LIBQUARNPHYSICS PYTHONPATH

- A C block with a main() is a complete host: it is compiled as C99 with warnings as errors
  against the public headers and run with the argument 5 (hosts that take a frame count render
  that many frames and exit; the others must end on their own). It must exit 0, and every
  screenshot it saves (the file names given to qglCopySceneScreenToBitmapFile) must exist and
  show something besides the clear colour; they are kept in WORK_DIR, so the pictures in the
  docs can be made from them.
- A C block without main() is a set of declarations (the API reference): it must compile after
  the public headers, so every declaration shown agrees with the header.
- A Python block runs on the package staged in the build tree and must exit 0.
- Other blocks (shell lines, engine-internal C++ fragments) are not run.

Every snippet runs in its own empty folder, so nothing lands where the tests were started."""
import os
import re
import shutil
import subprocess
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from run_headless import drawn_fraction  # noqa: E402

FENCE = re.compile(r"^```([A-Za-z0-9+]*)[ \t]*\n(.*?)^```[ \t]*$", re.M | re.S)


def snippets(source_dir):
    files = [os.path.join(source_dir, "README.md")]
    docs = os.path.join(source_dir, "docs")
    for root, _, names in os.walk(docs):
        files += [os.path.join(root, n) for n in sorted(names) if n.endswith(".md")]
    for path in sorted(files):
        with open(path, encoding="utf-8") as f:
            text = f.read()
        for match in FENCE.finditer(text):
            line = text.count("\n", 0, match.start()) + 1
            yield os.path.relpath(path, source_dir), line, match.group(1).lower(), match.group(2)


def headless_env():
    env = dict(os.environ)
    if not env.get("DISPLAY") and not env.get("WAYLAND_DISPLAY"):
        env["SDL_VIDEODRIVER"] = "offscreen"
    return env


def run_c(name, code, folder, args, failures, kept):
    cc, source_dir, gl_lib, physics_lib, work_dir = args
    source = os.path.join(folder, "snippet.c")
    is_host = re.search(r"\bmain\s*\(", code) is not None
    with open(source, "w") as f:
        if not is_host:
            f.write('#include "quarn/QuarnGL.h"\n#include "quarn/QuarnPhysics.h"\n')
        f.write(code)
    include = os.path.join(source_dir, "include")
    flags = ["-std=c99", "-Wall", "-Wextra", "-Werror", "-I", include]
    if not is_host:
        result = subprocess.run([cc] + flags + ["-fsyntax-only", source], capture_output=True,
                                text=True)
        if result.returncode != 0:
            failures.append(f"{name}: the declarations do not compile:\n{result.stderr}")
        return
    program = os.path.join(folder, "host")
    lib_dirs = sorted({os.path.dirname(gl_lib), os.path.dirname(physics_lib)})
    link = [gl_lib, physics_lib, "-lm"] + [f"-Wl,-rpath,{d}" for d in lib_dirs]
    result = subprocess.run([cc] + flags + [source, "-o", program] + link, capture_output=True,
                            text=True)
    if result.returncode != 0:
        failures.append(f"{name}: does not compile:\n{result.stderr}")
        return
    try:
        result = subprocess.run([program, "5"], cwd=folder, env=headless_env(), timeout=60,
                                capture_output=True, text=True)
    except subprocess.TimeoutExpired:
        failures.append(f"{name}: still running after 60 s (a host shown to readers must end)")
        return
    if result.returncode != 0:
        failures.append(f"{name}: exited with {result.returncode}:\n{result.stderr}")
        return
    check_pictures(name, code, folder, failures, kept, work_dir)


def run_python(name, code, folder, python_path, gl_lib, physics_lib, failures, kept, work_dir):
    script = os.path.join(folder, "snippet.py")
    with open(script, "w") as f:
        f.write(code)
    env = headless_env()
    env["PYTHONPATH"] = python_path
    env["QUARN_LIBRARY_PATH"] = os.pathsep.join(
        sorted({os.path.dirname(gl_lib), os.path.dirname(physics_lib)}))
    try:
        result = subprocess.run([sys.executable, script], cwd=folder, env=env, timeout=60,
                                capture_output=True, text=True)
    except subprocess.TimeoutExpired:
        failures.append(f"{name}: still running after 60 s")
        return
    if result.returncode != 0:
        failures.append(f"{name}: exited with {result.returncode}:\n{result.stderr}")
        return
    check_pictures(name, code, folder, failures, kept, work_dir)


def check_pictures(name, code, folder, failures, kept, work_dir):
    for picture in re.findall(r'qglCopySceneScreenToBitmapFile\(\s*"([^"]+)"', code):
        path = os.path.join(folder, picture)
        if not os.path.exists(path):
            failures.append(f"{name}: saved no {picture}")
            continue
        fraction = drawn_fraction(path)
        if fraction < 0.02:
            failures.append(f"{name}: {picture} is (almost) all background")
        target = os.path.join(work_dir, picture)
        shutil.copyfile(path, target)
        kept.append(f"{name}: {picture} ({fraction:.1%} drawn)")


def main():
    source_dir, work_dir, cc, gl_lib, physics_lib, python_path = (
        a if i == 2 else os.path.abspath(a) for i, a in enumerate(sys.argv[1:7]))
    shutil.rmtree(work_dir, ignore_errors=True)
    os.makedirs(work_dir)
    failures, kept, ran, skipped = [], [], 0, 0
    for index, (path, line, language, code) in enumerate(snippets(source_dir)):
        name = f"{path}:{line}"
        folder = os.path.join(work_dir, f"snippet-{index}")
        os.makedirs(folder)
        if language == "c":
            run_c(name, code, folder, (cc, source_dir, gl_lib, physics_lib, work_dir), failures,
                  kept)
        elif language == "python":
            run_python(name, code, folder, python_path, gl_lib, physics_lib, failures, kept,
                       work_dir)
        else:
            skipped += 1
            continue
        ran += 1
    for line in kept:
        print(line)
    print(f"{ran} snippets compiled or run, {skipped} other blocks not run")
    if ran == 0:
        failures.append("no snippet found")
    if failures:
        raise SystemExit("\n".join(failures))


if __name__ == "__main__":
    main()
