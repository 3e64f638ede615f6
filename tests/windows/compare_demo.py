#!/usr/bin/env python3
"""Runs a host program (the demo, the viewer, an example) in a window under Wine for a fixed
number of frames, in an empty folder it must leave empty, and checks the picture it saves.

  compare_demo.py RUNNER PROGRAM.exe OUTPUT.bmp [--reference GRID.bmp] [-- arguments]
      RUNNER runs a Windows program (cmake/wine-run.sh); the program gets --frames, --output
      and the arguments. Without --reference the picture must have drawn (not black) pixels on
      a fair share of it; with it, the picture must be the scene of the reference: it is cut
      into a grid of cells and each cell's mean colour must be near the reference's (a loose
      check of colours and layout; text, the frame-rate line and rasterisation may differ).
  compare_demo.py --make-reference SHOT.bmp GRID.bmp
      writes the grid of mean colours of a Linux run (quarn-demo --headless --frames 30) as a
      small BMP, one pixel a cell
"""
import os
import shutil
import struct
import subprocess
import sys
import tempfile

sys.path.insert(0, os.path.join(os.path.dirname(__file__), "..", "examples"))
from run_headless import drawn_fraction, read_pixels  # noqa: E402

FRAMES = 30  # the same frame count as the reference run: the scene animates per frame
COLUMNS, ROWS = 16, 12
CELL_LIMIT = 48  # the most a single cell's channel mean may differ
MEAN_LIMIT = 10.0  # the most the channel means may differ on average over the grid


def cell_means(path):
    width, height, pixel = read_pixels(path)
    cells = []
    for row in range(ROWS):
        for column in range(COLUMNS):
            x0, x1 = column * width // COLUMNS, (column + 1) * width // COLUMNS
            y0, y1 = row * height // ROWS, (row + 1) * height // ROWS
            total = [0, 0, 0]
            for y in range(y0, y1, 2):
                for x in range(x0, x1, 2):
                    for c, v in enumerate(pixel(x, y)):
                        total[c] += v
            n = len(range(y0, y1, 2)) * len(range(x0, x1, 2))
            cells.append(tuple(t / n for t in total))
    return cells


def write_grid(path, cells):
    row = (COLUMNS * 3 + 3) & ~3
    data = bytearray()
    for r in range(ROWS - 1, -1, -1):  # bottom row first
        line = bytearray()
        for c in range(COLUMNS):
            red, green, blue = (int(round(v)) for v in cells[r * COLUMNS + c])
            line += bytes((blue, green, red))
        data += line + bytes(row - len(line))
    header = struct.pack("<2sIHHIiiiHHIIiiII", b"BM", 54 + len(data), 0, 0, 54, 40, COLUMNS,
                         ROWS, 1, 24, 0, len(data), 2835, 2835, 0, 0)
    with open(path, "wb") as f:
        f.write(header + data)


def read_grid(path):
    width, height, pixel = read_pixels(path)
    if (width, height) != (COLUMNS, ROWS):
        raise SystemExit(f"{path}: a {COLUMNS}x{ROWS} grid expected, got {width}x{height}")
    return [pixel(c, r) for r in range(ROWS) for c in range(COLUMNS)]


def compare(shot, reference):
    got, want = cell_means(shot), read_grid(reference)
    worst, worst_at, total = 0.0, 0, 0.0
    for i, (g, w) in enumerate(zip(got, want)):
        for a, b in zip(g, w):
            d = abs(a - b)
            total += d
            if d > worst:
                worst, worst_at = d, i
    mean = total / (3 * len(want))
    print(f"cell colours: mean difference {mean:.1f}, largest {worst:.0f} at cell "
          f"({worst_at % COLUMNS}, {worst_at // COLUMNS}) of {COLUMNS}x{ROWS}")
    if worst > CELL_LIMIT or mean > MEAN_LIMIT:
        raise SystemExit(f"not the reference scene (limits: {CELL_LIMIT} a cell, "
                         f"{MEAN_LIMIT} on average)")


def main():
    if sys.argv[1] == "--make-reference":
        write_grid(sys.argv[3], cell_means(sys.argv[2]))
        return
    runner, program, output, *rest = sys.argv[1:]
    extra = rest[rest.index("--") + 1:] if "--" in rest else []
    reference = rest[rest.index("--reference") + 1] if "--reference" in rest else None
    output = os.path.abspath(output)
    if os.path.exists(output):
        os.remove(output)
    where = tempfile.mkdtemp(prefix="quarn-window-run-")
    try:
        result = subprocess.run([runner, program, "--frames", str(FRAMES), "--output", output] +
                                extra, cwd=where, timeout=240)
        if result.returncode != 0:
            raise SystemExit(f"{program} exited with {result.returncode}")
        left = os.listdir(where)
        if left:
            raise SystemExit(f"{program} left {', '.join(sorted(left)[:5])} in the current folder")
    finally:
        shutil.rmtree(where, ignore_errors=True)
    if reference:
        compare(output, reference)
        return
    fraction = drawn_fraction(output)
    print(f"{os.path.basename(program)}: {fraction:.1%} of the image drawn")
    if fraction < 0.02:
        raise SystemExit("the saved frame is (almost) all background")


if __name__ == "__main__":
    main()
