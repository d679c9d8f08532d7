#!/usr/bin/env python3
"""Counts the wineserver requests that programs make from their start to the
first complete frame of their window: a figure that, unlike the time, does not
move with the load of a shared machine. Under Wine every request is a round
trip to the server process, and on a busy machine most of a program's start
goes in those.

    python3 bench/server_requests.py [exe ...]   (default: the two floors and Scrimble)

A wineserver of its own runs with its protocol trace on (wineserver -d1); the
requests are attributed to processes by thread and counted by name.
"""

import collections
import os
import re
import subprocess
import sys
import tempfile
import time

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, os.path.join(HERE, "..", "tests", "e2e"))

import rig  # noqa: E402
import xwatch  # noqa: E402
from capture_tools import settings  # noqa: E402

DEFAULT = [os.path.join(rig.BUILD, "win64", "floor_window_win32.exe"),
           os.path.join(rig.BUILD, "win64", "controls_window_win32.exe"),
           os.path.join(rig.BUILD, "win64", "Scrimble.exe")]
LINE = re.compile(r"^([0-9a-f]{4}): (\w+)(\(\) = \w+ \{(.*))?")


def count(trace):
    """{Unix process id: Counter of request names}."""
    pid_of = {}  # Wine thread id -> Unix process id
    per_process = collections.defaultdict(collections.Counter)
    unix_pid = {}
    for line in trace:
        m = LINE.match(line)
        if not m:
            continue
        tid, request, reply = m.group(1), m.group(2), m.group(4)
        if request == "init_first_thread" and reply is None:
            unix_pid[tid] = int(re.search(r"unix_pid=(\d+)", line).group(1))
        if reply is not None:
            if request == "init_first_thread":
                ids = re.search(r"pid=([0-9a-f]+), tid=([0-9a-f]+)", reply)
                pid_of[ids.group(2)] = unix_pid.get(tid)
            elif request == "new_thread":
                new = re.search(r"tid=([0-9a-f]+)", reply)
                if new and tid in pid_of:
                    pid_of[new.group(1)] = pid_of[tid]
            continue
        if tid in pid_of and line.startswith(f"{tid}: {request}("):
            per_process[pid_of[tid]][request] += 1
    return per_process


def requests_at_start(exes):
    """A Counter of request names for each program's start."""
    session = rig.Session(width=1920, height=1080, start=False, log=lambda *_: None,
                          ini=settings(timer_kind=1, clip=1, auto_save=0))
    trace_path = tempfile.mktemp(prefix="scrimble-server-", suffix=".txt")
    try:
        session.probe_proc.stop()
        subprocess.run([rig.WINESERVER, "-k"], env=session.env)
        subprocess.run([rig.WINESERVER, "-w"], env=session.env)
        with open(trace_path, "w") as trace:
            server = subprocess.Popen([rig.WINESERVER, "-f", "-d1"], env=session.env,
                                      stdout=trace, stderr=trace)
            session.probe_proc = rig.Probe(session.env, os.devnull)
            session.probe("windows")  # Wine is up before the programs start
            pids = []
            with xwatch.XWatch(session.display) as watch:
                for exe in exes:
                    started = []
                    watch.first_frame(lambda: started.append(subprocess.Popen(
                        [rig.WINE64, exe], cwd=session.workdir, env=session.env,
                        stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)))
                    pids.append(started[0].pid)
                    started[0].kill()
                    started[0].wait()
                    session.wait_until(lambda: not session.windows(), 30, "the window to go",
                                       interval=0.05)
            session.probe_proc.stop()
            session.probe_proc = None
            subprocess.run([rig.WINESERVER, "-k"], env=session.env)
            server.wait(60)
        with open(trace_path, errors="replace") as trace:
            per_process = count(trace)
        processes = [per_process[pid] for pid in pids]
    finally:
        session.stop()
        if os.path.exists(trace_path):
            os.remove(trace_path)
    return processes


def main():
    exes = [os.path.abspath(e) for e in sys.argv[1:]] or DEFAULT
    for exe, requests in zip(exes, requests_at_start(exes)):
        top = ", ".join(f"{name} {n}" for name, n in requests.most_common(6))
        print(f"{os.path.basename(exe):<26} {sum(requests.values()):>6} requests  ({top})")


if __name__ == "__main__":
    main()
