"""The viewer's command line: help, bad arguments, missing files, every BMP as a height map.

usage: view_command_line.py QUARN_VIEW WORK_DIR PALETTISED_8BIT.bmp"""
import os
import subprocess
import sys


def run(viewer, *args, cwd):
    env = dict(os.environ, SDL_VIDEODRIVER="offscreen")
    return subprocess.run([viewer, *args], env=env, cwd=cwd, capture_output=True, text=True,
                          timeout=120)


def main():
    viewer, work, palettised = sys.argv[1], sys.argv[2], os.path.abspath(sys.argv[3])
    os.makedirs(work, exist_ok=True)
    failures = []

    def expect(condition, what, result):
        if not condition:
            failures.append(f"{what}\n  exit {result.returncode}\n  stdout: {result.stdout}"
                            f"\n  stderr: {result.stderr}")

    result = run(viewer, "--help", cwd=work)
    expect(result.returncode == 0 and "usage:" in result.stdout and "wireframe" in result.stdout,
           "--help prints usage and keys and exits 0", result)

    result = run(viewer, "model.3ds", "--frames", "abc", cwd=work)
    expect(result.returncode == 2 and "--frames" in result.stderr and "abc" in result.stderr,
           "--frames abc is refused with a message", result)

    result = run(viewer, "model.3ds", "--bogus", cwd=work)
    expect(result.returncode == 2 and "--bogus" in result.stderr, "an unknown option is named",
           result)

    result = run(viewer, "missing.ksf", "--frames", "2", cwd=work)
    expect(result.returncode == 1 and result.stderr.count("missing.ksf") == 1 and
           ".pak" not in result.stderr, "a missing scene is named once", result)

    with open(os.path.join(work, "lonely.ksf"), "wb") as f:
        f.write(b"\0" * 24)
    result = run(viewer, "lonely.ksf", "--frames", "2", cwd=work)
    expect(result.returncode == 1 and "lonely.pak" in result.stderr and
           "--archive" in result.stderr, "a missing archive is named, with the option", result)

    out = os.path.join(work, "palettised.bmp")
    result = run(viewer, palettised, "--frames", "2", "--output", out, cwd=work)
    expect(result.returncode == 0 and os.path.exists(out),
           "an 8-bit palettised BMP loads as a height map", result)

    if failures:
        raise SystemExit("\n".join(failures))
    print("the viewer's command line behaves")


if __name__ == "__main__":
    main()
