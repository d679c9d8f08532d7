#!/usr/bin/env python3
"""`make bench`: Scrimble beside its floors, all measured in one run on this
machine, on the 64-bit build under wine64 (never through emulation).

1. Capture + BMP save of the whole screen at 1024x768, 1920x1080 and
   3840x2160 (one Xvfb each): Scrimble's code (capture_bench_win32.exe) beside
   the floor (BitBlt + GetDIBits + WriteFile alone, same process) and
   ImageMagick `import -window root` (whole process, same display), taken in
   turn, round after round; medians and ratios.
2. Capture + PNG save at 1920x1080 and 3840x2160 with a picture of a desktop
   (windows, title bars, text; desktop_picture.py) on the X root: Scrimble's
   PNG and BMP saves, its capture alone and ImageMagick `import -window root
   x.png`, in turn; medians, and the sizes of the three files.
3. Start to first complete frame of the window: Scrimble.exe beside the least
   one-window program (floor_window_win32.exe) and a program with the same 26
   controls and nothing else (controls_window_win32.exe), taken in turn on one
   display and one Wine prefix; the moment is seen from outside, by xwatch.py.
4. From the key to the file on disk at 1920x1080: PrtSc pressed while another
   program's window has the focus, beside F1 in Scrimble's own window, in
   turn; the moment is the file whole on disk, polled from outside.
5. From the key to the region overlay's first complete frame at 1920x1080 and
   3840x2160 (xwatch.py): F3 in the window, Ctrl+PrtSc with it minimised.
6. CPU time of Scrimble.exe over a 5 s delay, from /proc (nanoseconds).
7. The sizes of the two release exes.

    python3 bench/run_bench.py [--rounds 15] [--starts 15] [--sizes ...] [--build DIR]
    python3 bench/run_bench.py --startup-only --also OLD/Scrimble.exe   # beside another build

The files of the capture table go to a folder on tmpfs, so that the disk of a
shared machine does not decide the figures; --folder picks another one.
"""

import argparse
import os
import shutil
import statistics
import subprocess
import sys
import tempfile
import threading
import time

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, os.path.join(HERE, "..", "tests", "e2e"))

import rig  # noqa: E402
import desktop_picture  # noqa: E402
import server_requests  # noqa: E402
import xwatch  # noqa: E402
from capture_tools import Driver, OtherWindow, settings, windows_path  # noqa: E402

WIN32 = os.path.join(rig.BUILD, "win32")
DELAY_SECONDS = 5


def use_build(folder):
    """The 64-bit build whose programs are timed (build/win64 unless told)."""
    global WIN64, BENCH_EXE, FLOOR_EXE, CONTROLS_EXE, SCRIMBLE_EXE
    WIN64 = os.path.abspath(folder)
    BENCH_EXE = os.path.join(WIN64, "capture_bench_win32.exe")
    FLOOR_EXE = os.path.join(WIN64, "floor_window_win32.exe")
    CONTROLS_EXE = os.path.join(WIN64, "controls_window_win32.exe")
    SCRIMBLE_EXE = os.path.join(WIN64, "Scrimble.exe")


use_build(os.path.join(rig.BUILD, "win64"))


def quiet(*_):
    pass


def rotated(items, n):
    n %= len(items)
    return items[n:] + items[:n]


def median_ms(values):
    return statistics.median(values) * 1000


class LoadSampler:
    """The 1-minute load average, sampled every second while the run lasts."""

    def __init__(self):
        self.samples = []
        self._stop = threading.Event()
        self._thread = threading.Thread(target=self._run, daemon=True)
        self._thread.start()

    def _run(self):
        while not self._stop.is_set():
            self.samples.append(os.getloadavg()[0])
            self._stop.wait(1.0)

    def stop(self):
        self._stop.set()
        self._thread.join()
        return min(self.samples), statistics.median(self.samples), max(self.samples)


def machine():
    model = "unknown CPU"
    with open("/proc/cpuinfo") as f:
        for line in f:
            if line.startswith("model name"):
                model = line.split(":", 1)[1].strip()
                break
    return f"{model}, {os.cpu_count()} cores"


# ------------------------------------------------------------------ capture

class CaptureBench:
    """capture_bench_win32.exe in its own Wine process, one command a line."""

    def __init__(self, session):
        self.proc = subprocess.Popen([rig.WINE64, BENCH_EXE], env=session.env, cwd=session.workdir,
                                     stdin=subprocess.PIPE, stdout=subprocess.PIPE,
                                     stderr=subprocess.DEVNULL, text=True)

    def run(self, command):
        self.proc.stdin.write(command + "\n")
        self.proc.stdin.flush()
        ms = float(self.proc.stdout.readline())
        if ms < 0:
            raise SystemExit(f"capture_bench_win32: {command!r} failed")
        return ms / 1000

    def close(self):
        self.proc.stdin.write("quit\n")
        self.proc.stdin.close()
        self.proc.wait(60)


def timed_in_turn(steps, rounds):
    """Median milliseconds of each step: one warm-up each, then the rounds,
    the steps taken in turn in a new order each round."""
    times = {name: [] for name in steps}
    for step in steps.values():
        step()
    for r in range(rounds):
        for name in rotated(list(steps), r):
            times[name].append(steps[name]())
    return {name: median_ms(v) for name, v in times.items()}


def import_root(display, path):
    """Seconds that ImageMagick's `import -window root` takes, the whole process."""
    started = time.perf_counter()
    subprocess.run(["import", "-display", display, "-window", "root", path],
                   check=True, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    return time.perf_counter() - started


def capture_row(width, height, rounds, folder):
    session = rig.Session(width=width, height=height, start=False, log=quiet)
    bench = None
    try:
        session.set_root_colour("#3366cc")
        wine_folder = "Z:" + folder.replace("/", "\\")
        bench = CaptureBench(session)
        import_path = os.path.join(folder, "import.bmp")

        def imagemagick():
            return import_root(session.display, import_path)

        steps = {
            "scrimble": lambda: bench.run(f"save {wine_folder}\\scrimble.bmp"),
            "floor": lambda: bench.run(f"floor {wine_folder}\\floor.bmp"),
            "capture": lambda: bench.run("capture"),
            "region": lambda: bench.run(f"region {wine_folder}\\region.bmp"),
            "import": imagemagick,
        }
        medians = timed_in_turn(steps, rounds)
        sizes = {name: os.path.getsize(os.path.join(folder, name + ".bmp"))
                 for name in ("scrimble", "floor", "import")}
        if sizes["scrimble"] != sizes["floor"]:
            raise SystemExit(f"the floor wrote {sizes['floor']} bytes, Scrimble {sizes['scrimble']}")
        return medians, sizes
    finally:
        if bench is not None:
            bench.close()
        session.stop()


def capture_table(sizes, rounds, folder):
    print(f"## Capture + BMP save of the whole screen (median of {rounds}, ms)\n")
    print(f"    {'screen':<11} {'Scrimble':>9} {'floor':>7} {'ratio':>6} {'import':>7} "
          f"{'import/Scrimble':>15} {'capture alone':>13} {'region':>7}")
    for width, height in sizes:
        m, files = capture_row(width, height, rounds, folder)
        print(f"    {f'{width}x{height}':<11} {m['scrimble']:>9.1f} {m['floor']:>7.1f} "
              f"{m['scrimble'] / m['floor']:>6.2f} {m['import']:>7.1f} {m['import'] / m['scrimble']:>15.2f} "
              f"{m['capture']:>13.1f} {m['region']:>7.1f}")
        sys.stdout.flush()
    print("\n    Scrimble: CaptureFullScreen + SavePictureAsBmp (scratch file, flush, rename);"
          "\n    floor: BitBlt + GetDIBits + WriteFile alone, the same 24-bit file;"
          "\n    import: `import -window root x.bmp`, the whole process; capture alone:"
          "\n    CaptureFullScreen without the file; region: CaptureFullScreen, an 800 x 600"
          "\n    region cut from it (CropPicture) and saved as BMP, as a region capture saves.\n")


def png_row(width, height, rounds, folder):
    session = rig.Session(width=width, height=height, start=False, log=quiet)
    bench = None
    try:
        desktop = desktop_picture.make(width, height, os.path.join(folder, f"desktop-{width}x{height}.png"))
        desktop_picture.paint_root(session.display, desktop)
        wine_folder = "Z:" + folder.replace("/", "\\")
        bench = CaptureBench(session)
        files = {"png": "scrimble.png", "bmp": "scrimble.bmp", "import": "import.png"}

        def imagemagick():
            return import_root(session.display, os.path.join(folder, files["import"]))

        steps = {
            "png": lambda: bench.run(f"png {wine_folder}\\{files['png']}"),
            "bmp": lambda: bench.run(f"save {wine_folder}\\{files['bmp']}"),
            "capture": lambda: bench.run("capture"),
            "import": imagemagick,
        }
        medians = timed_in_turn(steps, rounds)  # the warm-up also loads OLE and the codecs
        sizes = {name: os.path.getsize(os.path.join(folder, f)) for name, f in files.items()}
        # The capture is the picture on the root, pixel for pixel, or the
        # sizes say nothing about that desktop.
        differ = subprocess.run(["compare", "-metric", "AE", desktop, os.path.join(folder, files["png"]),
                                 "null:"], capture_output=True, text=True).stderr.strip()
        for f in list(files.values()) + [os.path.basename(desktop)]:
            os.remove(os.path.join(folder, f))
        return medians, sizes, differ
    finally:
        if bench is not None:
            bench.close()
        session.stop()


def png_table(sizes, rounds, folder):
    print(f"## Capture + PNG save of a desktop with windows and text (median of {rounds}, ms; bytes)\n")
    print(f"    {'screen':<11} {'PNG':>7} {'BMP':>7} {'capture':>8} {'import png':>10} {'import/PNG':>10} "
          f"{'PNG bytes':>11} {'BMP bytes':>11} {'PNG/BMP':>8} {'import bytes':>12}")
    notes = []
    for width, height in sizes:
        m, b, differ = png_row(width, height, rounds, folder)
        print(f"    {f'{width}x{height}':<11} {m['png']:>7.1f} {m['bmp']:>7.1f} {m['capture']:>8.1f} "
              f"{m['import']:>10.1f} "
              f"{m['import'] / m['png']:>10.2f} {b['png']:>11,} {b['bmp']:>11,} {b['png'] / b['bmp']:>8.3f} "
              f"{b['import']:>12,}")
        if differ != "0":
            notes.append(f"{width}x{height}: the PNG differs from the desktop picture in {differ} pixels")
        sys.stdout.flush()
    print("\n    PNG: CaptureFullScreen + SavePicture(..., Png): WIC encoding, scratch file, flush,"
          "\n    rename; BMP: the same with SavePictureAsBmp; capture: CaptureFullScreen alone;"
          "\n    import: `import -window root x.png`, the whole process. The X root shows"
          "\n    desktop_picture.py's desktop (windows with title bars and text, DejaVu Sans)"
          + ("\n    and Scrimble's PNG holds it pixel for pixel." if not notes else "; see below."))
    for note in notes:
        print(f"    {note}")
    print()


# ------------------------------------------------------------------ start-up

def startup_table(starts, others=()):
    programs = [("floor", FLOOR_EXE, "Floor"), ("controls", CONTROLS_EXE, "Controls"),
                ("Scrimble", SCRIMBLE_EXE, rig.TITLE)]
    # Other builds of Scrimble (an older commit's, say), taken in the same turns.
    programs += [(f"other{i + 1}", os.path.abspath(exe), rig.TITLE) for i, exe in enumerate(others)]
    session = rig.Session(width=1920, height=1080, start=False, log=quiet,
                          ini=settings(timer_kind=1, clip=1, auto_save=0))
    results = {name: [] for name, _, _ in programs}
    try:
        session.probe("windows")  # Wine is up: its own start is no one's
        with xwatch.XWatch(session.display) as watch:
            for r in range(starts + 1):  # the first round warms the file cache
                for name, exe, title in rotated(programs, r):
                    started = []
                    frame = watch.first_frame(lambda: started.append(subprocess.Popen(
                        [rig.WINE64, exe], cwd=session.workdir, env=session.env,
                        stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)))
                    shown = [w["title"] for w in session.windows()]
                    started[0].kill()
                    started[0].wait()
                    if shown != [title]:
                        raise SystemExit(f"{name}: expected only the window {title!r}, saw {shown}")
                    session.wait_until(lambda: not session.windows(), 30, f"{name} to end", interval=0.05)
                    if r > 0:
                        results[name].append(frame)
    finally:
        session.stop()
    requests = dict(zip((name for name, _, _ in programs),
                        server_requests.requests_at_start([exe for _, exe, _ in programs])))
    floor = statistics.median(f.painted for f in results["floor"])
    controls = statistics.median(f.painted for f in results["controls"])
    total = {name: sum(requests[name].values()) for name, _, _ in programs}
    print(f"## Start to first complete frame of the window (median of {starts}, ms)\n")
    print(f"    {'program':<9} {'mapped':>7} {'painted':>8} {'best':>6} {'worst':>6} {'/floor':>7} "
          f"{'/controls':>9} {'requests':>9} {'/floor':>7} {'/controls':>9}")
    for name, _, _ in programs:
        frames = results[name]
        painted = statistics.median(f.painted for f in frames)
        print(f"    {name:<9} {median_ms([f.mapped for f in frames]):>7.1f} {painted * 1000:>8.1f} "
              f"{min(f.painted for f in frames) * 1000:>6.1f} {max(f.painted for f in frames) * 1000:>6.1f} "
              f"{painted / floor:>7.2f} {painted / controls:>9.2f} {total[name]:>9} "
              f"{total[name] / total['floor']:>7.2f} {total[name] / total['controls']:>9.2f}")
    print("\n    From the process's start to the window shown as it stays (mapped: when the"
          "\n    X server mapped it); floor: floor_window_win32.exe, one window of Scrimble's"
          "\n    size and place, nothing in it; controls: controls_window_win32.exe, the same"
          "\n    window with Scrimble's 27 controls, font, pictures, tooltips and manifest and"
          "\n    nothing else; 1920x1080, wine64, Wine already running; requests: wineserver"
          "\n    round trips until then, which the load does not change (server_requests.py).\n")


# ------------------------------------------------------------------ keys

def saved_after(send, path, size, timeout=30):
    """Seconds from send() to the file at `path` having `size` bytes."""
    started = time.monotonic()
    send()
    while time.monotonic() - started < timeout:
        try:
            if os.path.getsize(path) == size:
                return time.monotonic() - started
        except OSError:
            pass
        time.sleep(0.002)
    raise SystemExit(f"{path} not saved within {timeout} s")


def key_table(rounds, folder):
    width, height = 1920, 1080
    size = 14 + 40 + width * height * 3
    session = rig.Session(width=width, height=height, log=quiet, exe=SCRIMBLE_EXE,
                          ini=settings(timer_kind=1, clip=0, auto_save=1, path=windows_path(folder), number="001",
                                       up="1"))
    times = {"PrtSc": [], "F1": []}
    number = 1
    try:
        for r in range(rounds + 1):  # the first round warms up
            for kind in rotated(list(times), r):
                path = os.path.join(folder, f"Screen{number:03}.bmp")
                number += 1
                if kind == "F1":
                    session.wait_until(lambda: session.tree()["foreground"], 30, "Scrimble in front")
                    elapsed = saved_after(lambda: session.key("F1"), path, size)
                else:
                    with OtherWindow(session, "Other program", 900, 400, 600, 400, (0x20, 0x90, 0x40)):
                        session.wait_until(lambda: session.tree("Other program")["foreground"], 30, "the other")
                        elapsed = saved_after(lambda: session.xdotool("key", "Print"), path, size)
                    top = session.tree()["rect"]  # a click on the title bar: Scrimble in front again
                    session.click_screen(top["x"] + top["w"] // 2, top["y"] + 8)
                if r > 0:
                    times[kind].append(elapsed)
                os.remove(path)
    finally:
        session.stop()
    print(f"## From the key to the file on disk, 1920x1080 BMP (median of {rounds}, ms)\n")
    for kind, values in times.items():
        print(f"    {kind:<6} {median_ms(values):>7.1f}   best {min(values) * 1000:.1f}, worst {max(values) * 1000:.1f}")
    print("\n    PrtSc pressed with another program's window in front and focused, Scrimble's"
          "\n    window shown (it hides for the capture and comes back without the focus);"
          "\n    F1 in Scrimble's own window. Both hide the window and wait for the screen"
          "\n    to show what was under it (150 ms without a compositor) before the copy.\n")


# ------------------------------------------------------------------ region

OVERLAY_CLASS = "ScrimbleRegionOverlay"


def overlay_row(width, height, rounds):
    """Seconds from the key to the overlay's first complete frame (the frozen
    screen shown), for F3 in Scrimble's window and for Ctrl+PrtSc with
    Scrimble minimised."""
    session = rig.Session(width=width, height=height, log=quiet, exe=SCRIMBLE_EXE,
                          ini=settings(timer_kind=1, clip=0, auto_save=0))
    times = {"F3": [], "Ctrl+PrtSc": []}
    try:
        session.set_root_colour("#3366cc")
        with xwatch.XWatch(session.display) as watch:
            for r in range(rounds + 1):  # the first round warms up
                for kind in rotated(list(times), r):
                    if kind == "F3":
                        session.probe("post", session.title, 0x0112, 0xF120, 0)  # SC_RESTORE
                        session.wait_until(lambda: session.tree()["visible"] and not session.tree()["minimized"],
                                           30, "Scrimble shown")
                        top = session.tree()["rect"]
                        session.click_screen(top["x"] + top["w"] // 2, top["y"] + 8)
                        session.wait_until(lambda: session.tree()["foreground"], 30, "Scrimble in front")
                        frame = watch.first_frame(lambda: session.key("F3"), settle=0.5)
                    else:
                        session.probe("post", session.title, 0x0112, 0xF020, 0)  # SC_MINIMIZE
                        session.wait_until(lambda: session.tree()["minimized"], 30, "Scrimble minimised")
                        frame = watch.first_frame(lambda: session.xdotool("key", "ctrl+Print"), settle=0.5)
                    session.key("Escape")
                    session.wait_until(lambda: not [w for w in session.windows() if w["class"] == OVERLAY_CLASS],
                                       30, "the overlay gone")
                    if r > 0:
                        times[kind].append(frame.painted)
    finally:
        session.stop()
    return {kind: median_ms(values) for kind, values in times.items()}


def overlay_table(sizes, rounds):
    print(f"## From the key to the region overlay on the screen (median of {rounds}, ms)\n")
    print(f"    {'screen':<11} {'F3':>7} {'Ctrl+PrtSc':>11}")
    for width, height in sizes:
        m = overlay_row(width, height, rounds)
        print(f"    {f'{width}x{height}':<11} {m['F3']:>7.1f} {m['Ctrl+PrtSc']:>11.1f}")
        sys.stdout.flush()
    print("\n    To the overlay's first complete frame, the frozen screen shown (xwatch.py);"
          "\n    F3: in Scrimble's window, which hides first and gives the screen 150 ms to"
          "\n    show what was under it (no compositor under Wine); Ctrl+PrtSc: Scrimble"
          "\n    minimised, so nothing of it is on the screen to wait for.\n")


# ------------------------------------------------------------------ delay

def cpu_ns(pid):
    total = 0
    for task in os.listdir(f"/proc/{pid}/task"):
        try:
            with open(f"/proc/{pid}/task/{task}/schedstat") as f:
                total += int(f.read().split()[0])
        except (OSError, ValueError):
            pass  # a thread that just ended
    return total


def delay_cpu(runs):
    session = rig.Session(log=quiet, exe=SCRIMBLE_EXE,
                          ini=settings(timer_kind=3, timer_time=DELAY_SECONDS, clip=0, auto_save=0))
    shares = []
    try:
        pid = session.app.pid
        mapped = Driver(session).mapped
        for _ in range(runs):
            session.wait_until(mapped, 30, "the window", interval=0.05)
            session.key("F1")
            session.wait_until(lambda: not mapped(), 30, "the window to hide", interval=0.02)
            time.sleep(0.3)
            cpu0, t0 = cpu_ns(pid), time.monotonic()
            time.sleep(DELAY_SECONDS - 0.6)
            cpu1, t1 = cpu_ns(pid), time.monotonic()
            session.wait_until(mapped, 30, "the window to come back", interval=0.05)
            shares.append((cpu1 - cpu0) / 1e9 / (t1 - t0))
            time.sleep(0.5)
    finally:
        session.stop()
    print(f"## CPU over a {DELAY_SECONDS} s delay\n")
    print(f"    {statistics.median(shares) * 100:.3f} % of a core (median of {runs}; "
          f"runs: {', '.join(f'{s * 100:.3f}' for s in shares)})")
    print(f"    Scrimble.exe's own threads from 0.3 s after the hide to {DELAY_SECONDS - 0.3:.1f} s, "
          f"from /proc/<pid>/task/*/schedstat.\n")


# ------------------------------------------------------------------ sizes

def size_table():
    print("## Release exe\n")
    for arch, folder in (("i686", WIN32), ("x86-64", WIN64)):
        path = os.path.join(folder, "Scrimble.exe")
        size = os.path.getsize(path)
        print(f"    {arch:<7} {size:>9,} bytes ({size / 1048576:.2f} MiB)"
              f"{'' if size <= 1048576 else '  over 1 MiB'}")
    print()


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--rounds", type=int, default=15, help="capture rounds per screen size")
    parser.add_argument("--starts", type=int, default=15, help="starts of each program")
    parser.add_argument("--delays", type=int, default=3, help="delays timed")
    parser.add_argument("--sizes", default="1024x768,1920x1080,3840x2160")
    parser.add_argument("--png-sizes", default="1920x1080,3840x2160", help="screen sizes of the PNG table")
    parser.add_argument("--build", default=WIN64, help="the 64-bit build folder (default: build/win64)")
    parser.add_argument("--folder", help="where the capture table's files go (default: tmpfs)")
    parser.add_argument("--startup-only", action="store_true", help="only the start-up table")
    parser.add_argument("--keys-only", action="store_true", help="only the key-to-file table")
    parser.add_argument("--overlay-only", action="store_true", help="only the region overlay's table")
    parser.add_argument("--also", nargs="*", default=[], metavar="EXE",
                        help="other 64-bit builds of Scrimble to start beside it (other1, other2, ...)")
    options = parser.parse_args()
    use_build(options.build)
    for exe in (BENCH_EXE, FLOOR_EXE, CONTROLS_EXE, SCRIMBLE_EXE, os.path.join(WIN32, "Scrimble.exe")):
        if not os.path.exists(exe):
            raise SystemExit(f"{exe} is missing; run `make build`")
    for tool in ("import", "convert", "display", "compare", "fc-match"):
        if shutil.which(tool) is None:
            raise SystemExit(f"{tool} is missing (ImageMagick, fontconfig)")
    for exe in (BENCH_EXE, FLOOR_EXE, CONTROLS_EXE, SCRIMBLE_EXE):
        if rig.loader_for(exe) != rig.WINE64:
            raise SystemExit(f"{exe} is not a 64-bit program: nothing here is timed through emulation")
    sizes = [tuple(int(v) for v in s.split("x")) for s in options.sizes.split(",")]
    png_sizes = [tuple(int(v) for v in s.split("x")) for s in options.png_sizes.split(",")]
    if options.startup_only:
        startup_table(options.starts, options.also)
        return
    if options.overlay_only:
        overlay_table([(1920, 1080), (3840, 2160)], options.rounds)
        return
    if options.keys_only:
        folder = tempfile.mkdtemp(prefix="scrimble-keys-", dir="/dev/shm")
        try:
            key_table(options.rounds, folder)
        finally:
            shutil.rmtree(folder, ignore_errors=True)
        return
    load = LoadSampler()
    print(f"# Scrimble benchmark, {time.strftime('%Y-%m-%d %H:%M %Z')}\n")
    print(f"{machine()}; {rig.wine_version()}, wine64 (x86-64 build); Xvfb 24-bit\n")
    folder = options.folder or tempfile.mkdtemp(prefix="scrimble-bench-", dir="/dev/shm")
    try:
        capture_table(sizes, options.rounds, folder)
        png_table(png_sizes, options.rounds, folder)
    finally:
        if not options.folder:
            for name in os.listdir(folder):
                os.remove(os.path.join(folder, name))
            os.rmdir(folder)
    startup_table(options.starts, options.also)
    overlay_table([(1920, 1080), (3840, 2160)], max(5, options.rounds // 2))
    keys_folder = tempfile.mkdtemp(prefix="scrimble-keys-", dir="/dev/shm")
    try:
        key_table(options.rounds, keys_folder)
    finally:
        shutil.rmtree(keys_folder, ignore_errors=True)
    delay_cpu(options.delays)
    size_table()
    low, middle, high = load.stop()
    print(f"Load average (1 min) during the run: {low:.2f} to {high:.2f}, median {middle:.2f}, "
          f"on {os.cpu_count()} cores.")


if __name__ == "__main__":
    main()
