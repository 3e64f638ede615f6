"""Compiles and runs the code snippets of README.md and docs/*.md as a reader would copy them.

usage: run_doc_snippets.py SOURCE_DIR WORK_DIR CC LIBQUARNGL LIBQUARNPHYSICS PYTHONPATH
                           [DATA_DIR] [--update-images]

- A C block with a main() is a complete host: it is compiled as C99 with warnings as errors
  against the public headers and run with the argument 5 (hosts that take a frame count render
  that many frames and exit; the others must end on their own). It must exit 0, and every
  screenshot it saves (the file names given to qglCopySceneScreenToBitmapFile) must exist and
  show something besides the clear colour. They are kept in WORK_DIR, and as PNG in
  WORK_DIR/images.
- The pictures a snippet saves are shown right after it: the k-th PNG image the page links
  between the end of the block and the next block is the k-th picture it saves. Each must be
  committed and look like what the snippet renders now (block averages of the two pictures
  close; rendering may differ in detail between GL drivers). --update-images writes the new
  renders over the committed PNGs instead (scripts/update-doc-images.sh).
- Every image a page links must exist.
- A C block without main() is a set of declarations (the API reference): it must compile after
  the public headers, so every declaration shown agrees with the header.
- A Python block runs on the package staged in the build tree and must exit 0.
- Other blocks (shell lines, engine-internal C++ fragments) are not run.

Every snippet runs in its own empty folder, so nothing lands where the tests were started;
the files of DATA_DIR (the tool-made models the guide's hosts load) are copied into it first."""
import importlib.machinery
import types
import os
import re
import shutil
import struct
import subprocess
import sys
import zlib

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from run_headless import drawn_fraction  # noqa: E402

FENCE = re.compile(r"^```([A-Za-z0-9+]*)[ \t]*\n(.*?)^```[ \t]*$", re.M | re.S)
IMAGE = re.compile(r"!\[[^\]]*\]\(([^)\s]+)\)")
BLOCK = 32  # pictures are compared as averages of BLOCK x BLOCK pixels
MAX_BLOCK_DIFFERENCE = 16  # per channel, in 0..255, for any one block
MAX_MEAN_DIFFERENCE = 4  # per channel, over the whole picture


def load_converter(source_dir):
    # The converter's file name has a dash, so it is loaded by path.
    path = os.path.join(source_dir, "scripts", "bmp-to-png.py")
    loader = importlib.machinery.SourceFileLoader("bmp_to_png", path)
    module = types.ModuleType("bmp_to_png")
    loader.exec_module(module)
    return module


def markdown_files(source_dir):
    files = [os.path.join(source_dir, "README.md")]
    for root, _, names in os.walk(os.path.join(source_dir, "docs")):
        files += [os.path.join(root, n) for n in sorted(names) if n.endswith(".md")]
    return sorted(files)


def snippets(source_dir):
    """(page, line, language, code, PNG images linked after the block) for every code block."""
    for path in markdown_files(source_dir):
        with open(path, encoding="utf-8") as f:
            text = f.read()
        matches = list(FENCE.finditer(text))
        for i, match in enumerate(matches):
            line = text.count("\n", 0, match.start()) + 1
            following = text[match.end(): matches[i + 1].start() if i + 1 < len(matches) else None]
            images = [os.path.normpath(os.path.join(os.path.dirname(path), link))
                      for link in IMAGE.findall(following) if link.lower().endswith(".png")]
            yield (os.path.relpath(path, source_dir), line, match.group(1).lower(),
                   match.group(2), images)


def missing_images(source_dir):
    out = []
    for path in markdown_files(source_dir):
        with open(path, encoding="utf-8") as f:
            text = f.read()
        for link in IMAGE.findall(text):
            if "://" in link:
                continue
            if not os.path.exists(os.path.join(os.path.dirname(path), link)):
                out.append(f"{os.path.relpath(path, source_dir)}: links {link}, which is missing")
    return out


def read_png(path):
    """(width, height, rows of RGB bytes) of an 8-bit RGB PNG without interlacing, else None."""
    with open(path, "rb") as f:
        data = f.read()
    if data[:8] != b"\x89PNG\r\n\x1a\n":
        return None
    at, header, payload = 8, None, b""
    while at + 8 <= len(data):
        length, kind = struct.unpack_from(">I4s", data, at)
        body = data[at + 8: at + 8 + length]
        if kind == b"IHDR":
            header = struct.unpack(">IIBBBBB", body)
        elif kind == b"IDAT":
            payload += body
        at += 12 + length
    if not header or header[2:5] != (8, 2, 0) or header[6] != 0:
        return None
    width, height = header[0], header[1]
    raw, stride, rows, previous = zlib.decompress(payload), width * 3, [], bytearray(width * 3)
    for y in range(height):
        kind, line = raw[y * (stride + 1)], bytearray(raw[y * (stride + 1) + 1:(y + 1) * (stride + 1)])
        for x in range(stride):
            left = line[x - 3] if x >= 3 else 0
            up, corner = previous[x], previous[x - 3] if x >= 3 else 0
            if kind == 1:
                line[x] = (line[x] + left) & 255
            elif kind == 2:
                line[x] = (line[x] + up) & 255
            elif kind == 3:
                line[x] = (line[x] + (left + up) // 2) & 255
            elif kind == 4:
                p = left + up - corner
                pa, pb, pc = abs(p - left), abs(p - up), abs(p - corner)
                line[x] = (line[x] + (left if pa <= pb and pa <= pc else up if pb <= pc else corner)) & 255
        rows.append(bytes(line))
        previous = line
    return width, height, rows


def block_averages(width, height, rows):
    out = []
    for by in range(0, height, BLOCK):
        for bx in range(0, width, BLOCK):
            sums, count = [0, 0, 0], 0
            for y in range(by, min(by + BLOCK, height)):
                line = rows[y]
                for x in range(bx, min(bx + BLOCK, width)):
                    for c in range(3):
                        sums[c] += line[x * 3 + c]
                    count += 1
            out.append([v / count for v in sums])
    return out


def compare_picture(name, rendered, committed, converter, update, failures, source_dir):
    """The committed PNG against the render (a BMP); with update, the render replaces it."""
    width, height, rows = converter.read_bmp(rendered)
    shown = os.path.relpath(committed, source_dir)
    if update:
        converter.write_png(committed, width, height, rows)
        return f"{shown} written"
    if not os.path.exists(committed):
        failures.append(f"{name}: its picture {shown} is not committed "
                        "(scripts/update-doc-images.sh writes it)")
        return None
    png = read_png(committed)
    if png is None or png[:2] != (width, height):
        failures.append(f"{name}: {shown} is not a {width} x {height} RGB PNG like the render")
        return None
    new, old = block_averages(width, height, rows), block_averages(*png)
    worst = max(abs(a - b) for n, o in zip(new, old) for a, b in zip(n, o))
    mean = sum(abs(a - b) for n, o in zip(new, old) for a, b in zip(n, o)) / (3 * len(new))
    if worst > MAX_BLOCK_DIFFERENCE or mean > MAX_MEAN_DIFFERENCE:
        failures.append(f"{name}: {shown} no longer shows what the snippet renders (block "
                        f"difference up to {worst:.0f}, mean {mean:.1f}; "
                        "scripts/update-doc-images.sh renews it)")
    return f"{shown} matches (block difference up to {worst:.0f}, mean {mean:.1f})"


def headless_env():
    env = dict(os.environ)
    if not env.get("DISPLAY") and not env.get("WAYLAND_DISPLAY"):
        env["SDL_VIDEODRIVER"] = "offscreen"
    return env


class Run:
    """What every snippet's run shares: the tools, the libraries and the findings."""

    def __init__(self, argv):
        update = "--update-images" in argv
        argv = [a for a in argv if a != "--update-images"]
        (self.source_dir, self.work_dir, self.cc, self.gl_lib, self.physics_lib,
         self.python_path) = (a if i == 2 else os.path.abspath(a) for i, a in enumerate(argv[:6]))
        self.data_dir = os.path.abspath(argv[6]) if len(argv) > 6 else None
        self.update = update
        self.converter = load_converter(self.source_dir)
        self.failures, self.kept = [], []
        self.lib_dirs = sorted({os.path.dirname(self.gl_lib), os.path.dirname(self.physics_lib)})

    def prepare(self, folder):
        os.makedirs(folder)
        if self.data_dir and os.path.isdir(self.data_dir):
            for n in os.listdir(self.data_dir):
                if os.path.isfile(os.path.join(self.data_dir, n)):
                    shutil.copyfile(os.path.join(self.data_dir, n), os.path.join(folder, n))

    def run_c(self, name, code, folder, images):
        source = os.path.join(folder, "snippet.c")
        is_host = re.search(r"\bmain\s*\(", code) is not None
        with open(source, "w") as f:
            if not is_host:
                f.write('#include "quarn/QuarnGL.h"\n#include "quarn/QuarnPhysics.h"\n')
            f.write(code)
        include = os.path.join(self.source_dir, "include")
        flags = ["-std=c99", "-Wall", "-Wextra", "-Werror", "-I", include]
        if not is_host:
            result = subprocess.run([self.cc] + flags + ["-fsyntax-only", source],
                                    capture_output=True, text=True)
            if result.returncode != 0:
                self.failures.append(f"{name}: the declarations do not compile:\n{result.stderr}")
            return
        program = os.path.join(folder, "host")
        link = [self.gl_lib, self.physics_lib, "-lm"] + [f"-Wl,-rpath,{d}" for d in self.lib_dirs]
        result = subprocess.run([self.cc] + flags + [source, "-o", program] + link,
                                capture_output=True, text=True)
        if result.returncode != 0:
            self.failures.append(f"{name}: does not compile:\n{result.stderr}")
            return
        try:
            result = subprocess.run([program, "5"], cwd=folder, env=headless_env(), timeout=60,
                                    capture_output=True, text=True)
        except subprocess.TimeoutExpired:
            self.failures.append(
                f"{name}: still running after 60 s (a host shown to readers must end)")
            return
        if result.returncode != 0:
            self.failures.append(f"{name}: exited with {result.returncode}:\n{result.stderr}")
            return
        self.check_pictures(name, code, folder, images)

    def run_python(self, name, code, folder, images):
        script = os.path.join(folder, "snippet.py")
        with open(script, "w") as f:
            f.write(code)
        env = headless_env()
        env["PYTHONPATH"] = self.python_path
        env["QUARN_LIBRARY_PATH"] = os.pathsep.join(self.lib_dirs)
        try:
            result = subprocess.run([sys.executable, script], cwd=folder, env=env, timeout=60,
                                    capture_output=True, text=True)
        except subprocess.TimeoutExpired:
            self.failures.append(f"{name}: still running after 60 s")
            return
        if result.returncode != 0:
            self.failures.append(f"{name}: exited with {result.returncode}:\n{result.stderr}")
            return
        self.check_pictures(name, code, folder, images)

    def check_pictures(self, name, code, folder, images):
        pictures = re.findall(r'qglCopySceneScreenToBitmapFile\(\s*"([^"]+)"', code)
        if len(images) < len(pictures):
            self.failures.append(f"{name}: saves {len(pictures)} picture(s) but the page shows "
                                 f"{len(images)} after it")
        png_dir = os.path.join(self.work_dir, "images")
        os.makedirs(png_dir, exist_ok=True)
        for picture, image in zip(pictures, images + [None] * len(pictures)):
            path = os.path.join(folder, picture)
            if not os.path.exists(path):
                self.failures.append(f"{name}: saved no {picture}")
                continue
            fraction = drawn_fraction(path)
            if fraction < 0.02:
                self.failures.append(f"{name}: {picture} is (almost) all background")
            shutil.copyfile(path, os.path.join(self.work_dir, picture))
            width, height, rows = self.converter.read_bmp(path)
            self.converter.write_png(
                os.path.join(png_dir, os.path.splitext(picture)[0] + ".png"), width, height, rows)
            note = ""
            if image:
                note = compare_picture(name, path, image, self.converter, self.update,
                                       self.failures, self.source_dir) or ""
            self.kept.append(f"{name}: {picture} ({fraction:.1%} drawn) {note}")


def main():
    run = Run(sys.argv[1:])
    shutil.rmtree(run.work_dir, ignore_errors=True)
    os.makedirs(run.work_dir)
    ran, skipped = 0, 0
    for index, (path, line, language, code, images) in enumerate(snippets(run.source_dir)):
        name = f"{path}:{line}"
        folder = os.path.join(run.work_dir, f"snippet-{index}")
        if language == "c":
            run.prepare(folder)
            run.run_c(name, code, folder, images)
        elif language == "python":
            run.prepare(folder)
            run.run_python(name, code, folder, images)
        else:
            skipped += 1
            continue
        ran += 1
    run.failures += missing_images(run.source_dir)
    for line in run.kept:
        print(line)
    print(f"{ran} snippets compiled or run, {skipped} other blocks not run")
    if ran == 0:
        run.failures.append("no snippet found")
    if run.failures:
        raise SystemExit("\n".join(run.failures))


if __name__ == "__main__":
    main()
