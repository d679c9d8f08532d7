#!/usr/bin/env python3
"""Endurance benchmark (not a test): drives many full-screen captures with the
clipboard and auto-save on through the real 64-bit Scrimble.exe under wine64,
and records what the process holds after the first ten and after every
hundred: its memory from /proc (VmRSS, RssAnon, VmSize), its GDI objects by
type from Wine's GDI handle table (read by the probe: GetGuiResources is a
stub in Wine and answers 0) and its windows (USER objects).

    python3 bench/endurance.py [--captures 1000] [--size 1024x768]

Each capture is F1 sent through the rig, then the status bar is read through
the probe until it names that capture's file. The files go to a folder on
tmpfs and are deleted as they come. Needs `make build` (win64 and the probe).
"""

import argparse
import os
import shutil
import statistics
import sys
import tempfile
import time

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, os.path.join(HERE, "..", "tests", "e2e"))

import rig  # noqa: E402
from capture_tools import STATUS_BAR, settings  # noqa: E402

EXE = os.path.join(rig.BUILD, "win64", "Scrimble.exe")
GDI_TYPES = {1: "DC", 4: "region", 8: "palette", 9: "bitmap", 10: "font", 16: "brush"}


def proc_status(pid):
    fields = {}
    with open(f"/proc/{pid}/status") as f:
        for line in f:
            key, _, value = line.partition(":")
            if key in ("VmRSS", "RssAnon", "VmSize", "VmHWM"):
                fields[key] = int(value.split()[0])  # kB
    return fields


def snapshot(app, captures):
    row = {"captures": captures, **proc_status(app.app.pid)}
    res = app.probe("resources", app.title)
    row["gui_resources"] = res["gui_resources"]
    table = res["gdi_table"]
    row["gdi_total"] = table["total"] if table else None
    row["gdi_by_type"] = table["by_type"] if table else {}
    row["windows"] = res["windows"]
    return row


def print_table(rows, first):
    types = sorted({int(t) for r in rows for t in r["gdi_by_type"]})
    head = (f"{'captures':>8} {'VmRSS kB':>9} {'RssAnon kB':>10} {'VmSize kB':>10} {'GDI':>5} "
            + " ".join(f"{GDI_TYPES.get(t, 'type ' + str(t)):>7}" for t in types) + f" {'windows':>7}")
    print(head)
    for r in rows:
        print(f"{r['captures']:>8} {r['VmRSS']:>9} {r['RssAnon']:>10} {r['VmSize']:>10} "
              f"{r['gdi_total'] if r['gdi_total'] is not None else '-':>5} "
              + " ".join(f"{r['gdi_by_type'].get(str(t), 0):>7}" for t in types) + f" {r['windows']:>7}")
    base = next(r for r in rows if r["captures"] == first)
    last = rows[-1]
    print(f"\nfrom capture {first} to {last['captures']}: VmRSS {last['VmRSS'] - base['VmRSS']:+d} kB, "
          f"RssAnon {last['RssAnon'] - base['RssAnon']:+d} kB, VmSize {last['VmSize'] - base['VmSize']:+d} kB, "
          f"GDI objects {(last['gdi_total'] or 0) - (base['gdi_total'] or 0):+d}, "
          f"windows {last['windows'] - base['windows']:+d}")
    gr = last["gui_resources"]
    print(f"GetGuiResources: GDI {gr['gdi']}, USER {gr['user']}, last error {gr['error']} "
          f"({'not implemented' if gr['error'] == 120 else 'answered'})")


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--captures", type=int, default=1000)
    parser.add_argument("--size", default="1024x768")
    parser.add_argument("--every", type=int, default=100)
    options = parser.parse_args()
    width, height = (int(v) for v in options.size.split("x"))
    if rig.loader_for(EXE) != rig.WINE64:
        raise SystemExit(f"{EXE} is not the 64-bit build")
    shots = tempfile.mkdtemp(prefix="scrimble-endurance-", dir="/dev/shm")
    ini = settings(timer_kind=1, clip=1, auto_save=1, path="Z:" + shots.replace("/", "\\"),
                   file="Shot", number="0001", up="1")
    print(f"{rig.wine_version()}, {options.captures} captures at {width} x {height}, "
          f"clipboard and auto-save on, {time.strftime('%Y-%m-%d %H:%M')}\n")
    rows = []
    seconds = []
    try:
        with rig.Session(width=width, height=height, ini=ini, exe=EXE, log=lambda *_: None) as app:
            app.set_root_colour("#3366cc")
            rows.append(snapshot(app, 0))
            for n in range(1, options.captures + 1):
                name = f"Shot{n:04d}.bmp"
                started = time.monotonic()
                app.key("F1")
                app.wait_until(lambda: name in app.controls()[STATUS_BAR]["text"], 60,
                               what=f"capture {n} to be saved", interval=0.02)
                seconds.append(time.monotonic() - started)
                os.remove(os.path.join(shots, name))
                if n == 10 or n % options.every == 0:
                    rows.append(snapshot(app, n))
                    print(f"  {n} captures, median {statistics.median(seconds):.2f} s each, "
                          f"VmRSS {rows[-1]['VmRSS']} kB", file=sys.stderr)
    finally:
        shutil.rmtree(shots, ignore_errors=True)
    print_table(rows, 10)
    print(f"one capture from F1 to its status line: median {statistics.median(seconds):.2f} s")


if __name__ == "__main__":
    main()
