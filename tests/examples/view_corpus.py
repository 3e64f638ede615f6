"""The viewer frames real 3DS and OBJ models and shows its overlay.

usage: view_corpus.py QUARN_VIEW WORK_DIR MODEL...

Each model is rendered headless; the picture must show the model filling at least half of the
picture's width or height (pixels that differ from the background, outside the overlay's
corner) and the overlay's white text in the top-left corner."""
import os
import subprocess
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from run_headless import read_pixels  # noqa: E402

OVERLAY_HEIGHT = 110  # the overlay's lines, from the top
OVERLAY_WIDTH = 480


def main():
    viewer, work = sys.argv[1], sys.argv[2]
    models = [os.path.abspath(m) for m in sys.argv[3:]]
    os.makedirs(work, exist_ok=True)
    env = dict(os.environ, SDL_VIDEODRIVER="offscreen")
    failures = []
    for model in models:
        out = os.path.join(work, os.path.basename(model) + ".bmp")
        if os.path.exists(out):
            os.remove(out)
        result = subprocess.run([viewer, model, "--frames", "3", "--output", out], env=env,
                                timeout=120, cwd=work, capture_output=True, text=True)
        if not os.path.exists(out):
            failures.append(f"{model}: no picture (exit {result.returncode}): {result.stderr}")
            continue
        width, height, pixel = read_pixels(out)
        background = pixel(width - 1, height - 1)
        left, right, top, bottom, text = width, -1, height, -1, 0
        for y in range(height):
            for x in range(width):
                p = pixel(x, y)
                if x < OVERLAY_WIDTH and y < OVERLAY_HEIGHT:
                    text += p == (255, 255, 255)
                    continue
                if max(abs(a - b) for a, b in zip(p, background)) > 12:
                    left, right = min(left, x), max(right, x)
                    top, bottom = min(top, y), max(bottom, y)
        spanned = max((right - left + 1) / width, (bottom - top + 1) / height) if right >= 0 else 0
        print(f"{os.path.basename(model)}: spans {spanned:.0%}, {text} overlay pixels")
        if spanned < 0.5:
            failures.append(f"{model}: the model spans only {spanned:.0%} of the picture")
        if text < 200:
            failures.append(f"{model}: no overlay text in the top-left corner")
    if failures:
        raise SystemExit("\n".join(failures))


if __name__ == "__main__":
    main()
