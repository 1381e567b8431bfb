#!/usr/bin/env python3
"""The program's start-up time and memory as a ratio to a bare Qt window.

Starts the program, the bare window (bench/bare_window.cpp) and the bare
window showing one line of Chinese text (its --text) in turns, each round in
an order of its own and on fresh temporary folders, with
VEXO_EXIT_WHEN_SHOWN=1: each prints,
once its window's first expose has been handled, the monotonic clock and its
peak and current memory (VmHWM, VmRSS), then ends. The time counts from just
before the process is started. Prints the medians and the program's ratios to
each yardstick, under the
offscreen platform and, when a display is at hand or Xvfb is installed, under
xcb.

    bench/startup_ratio.py [--build build] [--vexo PATH] [--rounds 9]
                           [--platform offscreen|xcb|all]

--vexo measures another build of the program (an earlier one, say) beside
this build's bare window.

The empty window never reads the font configuration nor opens a font; the one
with text does, as every window with text must. Under offscreen, where a bare
window is fastest, that fixed cost is most of what separates the program from
the empty window.
"""

import argparse
import os
import random
import shutil
import statistics
import subprocess
import sys
import tempfile
import time

TIMEOUT_S = 30


def run_once(command, platform, display):
    """(ms to shown, VmHWM kB, VmRSS kB) of one start on fresh folders."""
    with tempfile.TemporaryDirectory(prefix="vexo-startup-") as root:
        env = dict(os.environ)
        env.update(
            QT_QPA_PLATFORM=platform,
            VEXO_EXIT_WHEN_SHOWN="1",
            VEXO_HOME=os.path.join(root, "home"),
            XDG_CONFIG_HOME=os.path.join(root, "config"),
            XDG_DATA_HOME=os.path.join(root, "data"),
        )
        if display:
            env["DISPLAY"] = display
        started = time.monotonic()
        run = subprocess.run(
            command,
            env=env,
            stdout=subprocess.PIPE,
            stderr=subprocess.DEVNULL,
            text=True,
            timeout=TIMEOUT_S,
            check=False,
        )
    for line in run.stdout.splitlines():
        if line.startswith("shown "):
            fields = dict(f.split("=", 1) for f in line.split()[1:])
            return (
                float(fields["monotonic_ms"]) - started * 1000,
                int(fields["vmhwm_kb"]),
                int(fields["vmrss_kb"]),
            )
    raise RuntimeError(f"{command} under {platform} said nothing (exit {run.returncode})")


def measure(programs, platform, display, rounds):
    """Per program: lists of times, peaks and settled sizes."""
    found = {name: ([], [], []) for name in programs}
    # One warm-up each, so that neither side pays for a cold file cache.
    for command in programs.values():
        run_once(command, platform, display)
    # Each round in its own order: a start pays for what the one before it
    # left the X server and the kernel to tear down, and a fixed order would
    # charge that to the same program every time.
    order = random.Random(1)
    names = list(programs)
    for _ in range(rounds):
        order.shuffle(names)
        for name in names:
            for column, value in zip(found[name], run_once(programs[name], platform, display)):
                column.append(value)
    return found


def report(platform, found):
    vexo = [statistics.median(c) for c in found["vexo"]]
    bare = [statistics.median(c) for c in found["bare"]]
    text = [statistics.median(c) for c in found["text"]]
    print(f"{platform}:")
    print(f"  {'':<14}{'vexo':>8}{'bare':>8}{'ratio':>7}{'text':>8}{'ratio':>7}")
    for i, (label, scale) in enumerate((("shown ms", 1), ("peak RSS MB", 1024), ("RSS MB", 1024))):
        v, b, t = vexo[i] / scale, bare[i] / scale, text[i] / scale
        print(f"  {label:<14}{v:>8.1f}{b:>8.1f}{v / b:>6.2f}x{t:>8.1f}{v / t:>6.2f}x")


class Xvfb:
    """A private X server for the xcb runs, when no display is given."""

    def __init__(self):
        self.process = None
        self.display = None

    def __enter__(self):
        read_end, write_end = os.pipe()
        self.process = subprocess.Popen(
            ["Xvfb", "-displayfd", str(write_end), "-screen", "0", "1280x1024x24", "-nolisten",
             "tcp"],
            pass_fds=(write_end,),
            stdout=subprocess.DEVNULL,
            stderr=subprocess.DEVNULL,
        )
        os.close(write_end)
        with os.fdopen(read_end) as pipe:
            number = pipe.readline().strip()
        if not number:
            self.process.kill()
            raise RuntimeError("Xvfb did not start")
        self.display = ":" + number
        return self

    def __exit__(self, *_):
        self.process.terminate()
        self.process.wait(timeout=10)


def main() -> int:
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--build", default="build")
    parser.add_argument("--vexo", help="the program to measure (default: the build's)")
    parser.add_argument("--rounds", type=int, default=9)
    parser.add_argument("--platform", choices=("offscreen", "xcb", "all"), default="all")
    args = parser.parse_args()

    bare = os.path.join(args.build, "bench", "vexo-bare-window")
    programs = {
        "vexo": [args.vexo or os.path.join(args.build, "shell", "vexo")],
        "bare": [bare],
        "text": [bare, "--text"],
    }
    for path in (programs["vexo"][0], bare):
        if not os.access(path, os.X_OK):
            sys.stderr.write(f"{path}: not built\n")
            return 2

    if args.platform in ("offscreen", "all"):
        report("offscreen", measure(programs, "offscreen", None, args.rounds))
    if args.platform in ("xcb", "all"):
        if os.environ.get("DISPLAY"):
            report("xcb", measure(programs, "xcb", os.environ["DISPLAY"], args.rounds))
        elif shutil.which("Xvfb"):
            with Xvfb() as server:
                report("xcb (Xvfb)", measure(programs, "xcb", server.display, args.rounds))
        elif args.platform == "xcb":
            sys.stderr.write("no display and no Xvfb\n")
            return 2
        else:
            print("xcb: no display and no Xvfb, not measured")
    return 0


if __name__ == "__main__":
    sys.exit(main())
