#!/usr/bin/env python3
"""Runs build/win64/capture_bench_win32.exe under Wine once per screen size,
each on its own X server of that size (the screen size sets the capture
size), and prints the tables it prints.

    python3 bench/run_bench.py [--runs N] [--sizes 1024x768,1920x1080,3840x2160]

Needs `make build` first; uses the end-to-end rig for the X server and the
Wine prefix.
"""

import argparse
import os
import subprocess
import sys
import time

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, os.path.join(HERE, "..", "tests", "e2e"))

import rig  # noqa: E402

# The 64-bit build: it runs natively under wine64 on every machine of ours.
BENCH_EXE = os.path.join(rig.BUILD, "win64", "capture_bench_win32.exe")


def run_size(width, height, runs):
    session = rig.Session(width=width, height=height, start=False, log=lambda *_: None)
    try:
        # The desktop gets some content, as a real one has.
        subprocess.run(["xsetroot", "-display", session.display, "-solid", "#3366cc"], check=True)
        started = time.time()
        result = subprocess.run([rig.loader_for(BENCH_EXE), BENCH_EXE, str(runs)], env=session.env,
                                cwd=session.workdir, capture_output=True, text=True, timeout=3600)
        elapsed = time.time() - started
        if result.returncode != 0:
            raise SystemExit(f"{width}x{height}: exit {result.returncode}\n{result.stdout}{result.stderr}")
        return result.stdout.replace("\r\n", "\n").rstrip(), elapsed
    finally:
        session.stop()


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--runs", type=int, default=30)
    parser.add_argument("--sizes", default="1024x768,1920x1080,3840x2160")
    options = parser.parse_args()
    if not os.path.exists(BENCH_EXE):
        raise SystemExit(f"{BENCH_EXE} is missing; run `make build`")
    print(f"{rig.wine_version()}, {os.cpu_count()} cores, {time.strftime('%Y-%m-%d')}")
    for size in options.sizes.split(","):
        width, height = (int(v) for v in size.split("x"))
        table, elapsed = run_size(width, height, options.runs)
        print(f"\n## {width} x {height} ({elapsed:.0f} s including Wine's start)\n")
        print(table)
        sys.stdout.flush()


if __name__ == "__main__":
    main()
