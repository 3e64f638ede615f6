"""Runs a host program headless for a few frames and checks the image it saved.

usage: run_headless.py PROGRAM OUTPUT.bmp [extra arguments] [-- arguments before the options]

The program gets `--frames 5 --output OUTPUT.bmp` (after the arguments that follow `--`, such
as a script for an interpreter); the test fails unless it exits 0 and the
24-bit BMP it wrote has drawn pixels (not the black the frame is cleared to) on a fair share
of the image. It runs in an empty folder with a private temporary folder, and fails when it
leaves files in either (generated data belongs in a temporary folder the program removes)."""
import os
import struct
import shutil
import subprocess
import sys
import tempfile


def read_pixels(path):
    """(width, height, pixel) of a 24-bit BMP; pixel(x, y) is (r, g, b), y from the top."""
    with open(path, "rb") as f:
        data = f.read()
    if len(data) < 54 or data[:2] != b"BM":
        raise SystemExit(f"{path}: not a BMP file")
    offset, = struct.unpack_from("<I", data, 10)
    width, height, _, bits = struct.unpack_from("<iiHH", data, 18)
    if bits != 24 or width <= 0 or height == 0:
        raise SystemExit(f"{path}: expected a 24-bit image, got {bits} bits {width}x{height}")
    rows = abs(height)
    row = (width * 3 + 3) & ~3
    if len(data) < offset + row * rows:
        raise SystemExit(f"{path}: truncated pixel data")

    def pixel(x, y):
        line = y if height < 0 else rows - 1 - y
        at = offset + line * row + x * 3
        return data[at + 2], data[at + 1], data[at]

    return width, rows, pixel


def drawn_fraction(path):
    """The share of pixels that are not black."""
    width, height, pixel = read_pixels(path)
    drawn = sum(1 for y in range(height) for x in range(width) if any(pixel(x, y)))
    return drawn / float(width * height)


def main():
    program, output = sys.argv[1], sys.argv[2]
    if os.path.exists(output):
        os.remove(output)
    env = dict(os.environ)
    if not env.get("DISPLAY") and not env.get("WAYLAND_DISPLAY"):
        env["SDL_VIDEODRIVER"] = "offscreen"
    extra = sys.argv[3:]
    lead = []
    if "--" in extra:
        lead = extra[extra.index("--") + 1:]
        extra = extra[:extra.index("--")]
    output = os.path.abspath(output)
    where = tempfile.mkdtemp(prefix="quarn-run-")
    try:
        env["TMPDIR"] = os.path.join(where, "tmp")
        os.mkdir(env["TMPDIR"])
        start = os.path.join(where, "start")
        os.mkdir(start)
        result = subprocess.run([program] + lead + ["--frames", "5", "--output", output] + extra,
                                env=env, timeout=100, cwd=start)
        if result.returncode != 0:
            raise SystemExit(f"{program} exited with {result.returncode}")
        for folder, what in ((start, "the current folder"), (env["TMPDIR"], "its temporary folder")):
            left = sorted(os.listdir(folder))
            if left:
                raise SystemExit(f"{program} left {', '.join(left[:5])} in {what}")
    finally:
        shutil.rmtree(where, ignore_errors=True)
    fraction = drawn_fraction(output)
    print(f"{os.path.basename(lead[0] if lead else program)}: {fraction:.1%} of the image drawn")
    if fraction < 0.02:
        raise SystemExit("the saved frame is (almost) all background")


if __name__ == "__main__":
    main()
