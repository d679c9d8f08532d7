#!/usr/bin/env python3
"""Starts Scrimble.exe under Wine (used by `make run` and `make screenshot`).

With a usable $DISPLAY the window opens there, in the lasting prefix
build/wine-run with build/run as working directory (where Scrimble.ini is
kept), and this script waits until the program ends.

Without one (or with --headless) the program starts on a private X server,
a picture of its window is saved (build/scrimble-window.png, or the file given
with --screenshot), and everything is stopped again.
"""

import argparse
import os
import subprocess
import sys

ROOT = os.path.abspath(os.path.join(os.path.dirname(__file__), ".."))
sys.path.insert(0, os.path.join(ROOT, "tests", "e2e"))

import rig  # noqa: E402


def display_usable(display):
    if not display:
        return False
    return subprocess.run(["xdpyinfo", "-display", display], stdout=subprocess.DEVNULL,
                          stderr=subprocess.DEVNULL).returncode == 0


def main():
    parser = argparse.ArgumentParser(description="Start Scrimble under Wine.")
    parser.add_argument("--headless", action="store_true",
                        help="use a private X server even when $DISPLAY is set")
    parser.add_argument("--screenshot", metavar="PNG",
                        help="save a picture of the window here (implies --headless)")
    parser.add_argument("--dpi", type=int,
                        help="display scale in dots per inch for --screenshot (96 = 100 %%)")
    parser.add_argument("--arch", choices=("32", "64"),
                        help="which build to start; default: the 32-bit one where this kernel "
                             "runs 32-bit code itself, else the 64-bit one")
    options = parser.parse_args()
    arch = options.arch or ("32" if rig.i386_native() else "64")
    rig.SCRIMBLE_EXE = os.path.join(rig.BUILD, f"win{arch}", "Scrimble.exe")
    print(f"Starting {os.path.relpath(rig.SCRIMBLE_EXE, rig.ROOT)} ({arch}-bit) under Wine.")

    display = os.environ.get("DISPLAY")
    if not options.headless and not options.screenshot and display_usable(display):
        session = rig.Session(display=display, prefix=os.path.join(rig.BUILD, "wine-run"),
                              workdir=os.path.join(rig.BUILD, "run"), printer="system")
        try:
            print(f"Scrimble is running on {display}; close its window to end.")
            session.app.wait()
        finally:
            session.stop()
        return 0

    if options.screenshot:
        # A fresh prefix and working directory: the picture shows the
        # program's own defaults, not what earlier runs left behind.
        session = rig.Session(dpi=options.dpi)
    else:
        session = rig.Session(prefix=os.path.join(rig.BUILD, "wine-run"),
                              workdir=os.path.join(rig.BUILD, "run"))
    try:
        path = session.screenshot(options.screenshot or os.path.join(rig.BUILD, "scrimble-window.png"))
        print(f"Scrimble ran on a private X server ({session.display}).")
        print(f"Window picture: {os.path.relpath(path, os.getcwd())}")
        print("Scrimble has been stopped again.")
    finally:
        session.stop()
    return 0


if __name__ == "__main__":
    sys.exit(main())
