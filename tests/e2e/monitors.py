"""Several monitors side by side on one private X server, as Wine shows them
to a Windows program.

How: Xvfb gets one root window as big as the bounding box of all monitors,
and RandR monitors (`xrandr --setmonitor`) cut it into monitors. With
Xinerama itself off, the X server answers Xinerama queries from those RandR
monitors. Wine 8 reads RandR only per CRTC (Xvfb has one), so the prefix tells
it not to use RandR; it then takes its monitors from Xinerama, makes the
first one the primary at (0,0) and gives a monitor left of or above it
negative coordinates. X root (0,0) is the top-left corner of the virtual
screen; X and Windows coordinates differ by that corner (see Layout.to_root:
the rig's clicks hand Windows coordinates to xdotool as they are).
Screen DC reads come from the root window, so a part of the bounding box that
no monitor covers reads as whatever the root shows there (paint() makes it
black, as Windows gives it).

    layout = Layout([(1024, 768, 0, 0), (800, 600, -800, 0)])  # w, h, x, y
    xvfb = start_x(layout)              # a rig.Xvfb with the monitors set
    prefer_xinerama(prefix)             # before any Wine process of the prefix
    paint(xvfb.display, layout, ["#ff0000", "#0000ff"])
    read_monitors(env, [(-10, 10)])     # what a program sees (fixture probe)
    xvfb.stop()

    # All of it at once, as a rig.Session whose stop() also ends the X server:
    with MonitorSession(layout, ["#ff0000", "#0000ff"], gap="#00ff00", ini=TEXT) as app:
        ...

Per-monitor DPI: Wine 8 gives every monitor the prefix's one DPI.
"""

import json
import os
import re
import shutil
import subprocess
import tempfile

import rig

PROBE_SOURCE = os.path.join(os.path.dirname(os.path.abspath(__file__)), "fixtures", "monitor_probe.cpp")


class Layout:
    """Monitors as (width, height, x, y) in Windows screen coordinates; the
    first is the primary and so lies at (0, 0)."""

    def __init__(self, monitors):
        self.monitors = [tuple(m) for m in monitors]
        if self.monitors[0][2:] != (0, 0):
            raise rig.RigError("the first monitor is the primary one and lies at (0, 0)")
        self.left = min(x for _, _, x, _ in self.monitors)
        self.top = min(y for _, _, _, y in self.monitors)
        self.width = max(x + w for w, _, x, _ in self.monitors) - self.left
        self.height = max(y + h for _, h, _, y in self.monitors) - self.top

    def to_root(self, x, y):
        """Windows screen point -> X root point (for xdotool, import)."""
        return x - self.left, y - self.top

    def root_rects(self):
        return [(w, h, x - self.left, y - self.top) for w, h, x, y in self.monitors]

    def virtual(self):
        """The virtual screen a program should see."""
        return {"x": self.left, "y": self.top, "w": self.width, "h": self.height}


def _x(display, *command):
    return subprocess.run(command, env=dict(os.environ, DISPLAY=display), check=True,
                          capture_output=True, text=True, timeout=30).stdout


def set_monitors(display, layout):
    """Cuts the display's one screen into the layout's monitors. The first
    monitor takes over the screen's RandR output, which drops the automatic
    monitor that spans the whole root; the X server lists monitors in the
    order they are made, and Wine makes the first one primary."""
    output = re.search(r"^(\S+) connected", _x(display, "xrandr", "--query"), re.M).group(1)
    for i, (w, h, x, y) in enumerate(layout.root_rects()):
        # Millimetres at 96 dpi; Wine takes no DPI from them.
        size = f"{w}/{round(w * 25.4 / 96)}x{h}/{round(h * 25.4 / 96)}+{x}+{y}"
        _x(display, "xrandr", "--setmonitor", f"scrimble{i}", size, output if i == 0 else "none")
    heads = re.findall(r"head #\d+: (\d+)x(\d+) @ (\d+),(\d+)", _x(display, "xdpyinfo", "-ext", "XINERAMA"))
    if [tuple(map(int, head)) for head in heads] != layout.root_rects():
        raise rig.RigError(f"X server shows monitors {heads}, not {layout.root_rects()}")


def start_x(layout, depth=24):
    """A private Xvfb (rig.Xvfb: stop() ends it) split into the layout's monitors."""
    xvfb = rig.Xvfb(layout.width, layout.height, depth)
    try:
        set_monitors(xvfb.display, layout)
    except BaseException:
        xvfb.stop()
        raise
    return xvfb


def prefer_xinerama(prefix):
    """Has Wine take its monitors from Xinerama. Writes the prefix's user.reg
    directly: no Wine process may run in the prefix (the wineserver rewrites
    the file when it ends). Wine rebuilds its monitor list when it starts, so
    a prefix made on a one-monitor display needs nothing else."""
    path = os.path.join(prefix, "user.reg")
    with open(path, encoding="utf-8") as f:
        text = f.read()
    value = '"UseXRandR"="N"\n'
    # After the section's header line and its #time line.
    text, found = re.subn(r"(^\[Software\\\\Wine\\\\X11 Driver\][^\n]*\n(?:#[^\n]*\n)*)",
                          lambda m: m.group(1) + value, text, count=1, flags=re.M)
    if not found:
        text += "\n[Software\\\\Wine\\\\X11 Driver]\n" + value
    with open(path, "w", encoding="utf-8") as f:
        f.write(text)


def picture(layout, colours, gap="#000000"):
    """The virtual screen as top-down RGB bytes, three a pixel: each monitor
    in its colour ("#rrggbb", one per monitor), the rest in gap."""
    def rgb(colour):
        return bytes.fromhex(colour.lstrip("#"))
    rows = []
    for y in range(layout.height):
        row = bytearray(rgb(gap) * layout.width)
        for (w, h, mx, my), colour in zip(layout.root_rects(), colours):
            if my <= y < my + h:
                row[mx * 3:(mx + w) * 3] = rgb(colour) * w
        rows.append(bytes(row))
    return b"".join(rows)


def paint(display, layout, colours, gap="#000000"):
    """Paints the root window as picture() draws it."""
    image = b"P6 %d %d 255\n" % (layout.width, layout.height) + picture(layout, colours, gap)
    # `display -window root` exits with 1 when it has done its job; only
    # what it prints tells of a failure.
    result = subprocess.run(["display", "-window", "root", "ppm:-"], input=image,
                            env=dict(os.environ, DISPLAY=display), capture_output=True, timeout=60)
    if result.stderr.strip():
        raise rig.RigError(f"display: {result.stderr.decode(errors='replace').strip()}")


def probe_exe():
    """The 64-bit monitor probe (built once)."""
    return rig.build_fixture(PROBE_SOURCE, os.path.join(rig.BUILD, "e2e-fixtures", "monitor-probe.exe"),
                             "x86_64-w64-mingw32-g++-posix", "-lgdi32")


def read_monitors(env, points=()):
    """What a program sees: monitors (rect, work, primary, dpi), virtual
    screen, cursor, and per point the colours from GetPixel and from one BitBlt
    of the whole virtual screen (see fixtures/monitor_probe.cpp)."""
    args = [rig.WINE64, probe_exe()]
    for x, y in points:
        args += ["--at", f"{x},{y}"]
    # Files, not pipes: when the probe is the first Wine process of the
    # prefix, the helpers that Wine starts for it (explorer, services) keep
    # its output open long after it has ended.
    with tempfile.TemporaryFile() as out, tempfile.TemporaryFile() as err:
        code = subprocess.run(args, env=env, stdout=out, stderr=err, timeout=rig.START_TIMEOUT).returncode
        out.seek(0)
        err.seek(0)
        if code != 0:
            raise rig.RigError(f"monitor probe exited with {code}: "
                               f"{err.read()[-1000:].decode(errors='replace')}")
        return json.loads(out.read().decode())


class MonitorSession(rig.Session):
    """A rig.Session on an X server split into the layout's monitors, painted
    (see paint()) before anything of Wine starts. The prefix is made here, so
    that Wine's first process already reads its monitors from Xinerama; the
    other keyword arguments go to rig.Session. stop() also ends the X server
    and removes the prefix."""

    def __init__(self, layout, colours, gap="#000000", **kwargs):
        self.layout = layout
        self._monitor_dir = tempfile.mkdtemp(prefix="scrimble-monitors-")
        self._monitor_xvfb = None
        try:
            self._monitor_xvfb = start_x(layout)
            display = self._monitor_xvfb.display
            rig.ensure_template(display)
            prefix = os.path.join(self._monitor_dir, "prefix")
            rig.copy_prefix(prefix)
            prefer_xinerama(prefix)
            paint(display, layout, colours, gap)
        except BaseException:
            self._end_monitors()
            raise
        # rig.Session stops itself (and so this) when it fails to start.
        super().__init__(display=display, prefix=prefix, **kwargs)
        # As with a private X server: the suite saves the screen of a failing
        # test whose `app` this is.
        self.xvfb = self._monitor_xvfb

    def seen(self, points=()):
        """What a program sees of the monitors (read_monitors())."""
        return read_monitors(self.env, points)

    def stop(self):
        super().stop()  # Wine first: it must not outlive its X server
        self._end_monitors()

    def _end_monitors(self):
        if self._monitor_xvfb is not None:
            self._monitor_xvfb.stop()
            self._monitor_xvfb = None
        if os.environ.get("SCRIMBLE_E2E_KEEP"):
            getattr(self, "log", print)(f"rig: kept {self._monitor_dir}")
        else:
            shutil.rmtree(self._monitor_dir, ignore_errors=True)


if __name__ == "__main__":
    # Self-check: a monitor left of the primary, shorter, so that the bottom
    # left corner of the virtual screen is covered by none.
    layout = Layout([(1024, 768, 0, 0), (800, 600, -800, 0)])
    xvfb = start_x(layout)
    folder = tempfile.mkdtemp(prefix="scrimble-monitors-")
    prefix = os.path.join(folder, "prefix")
    env = None
    try:
        rig.ensure_template(xvfb.display)
        rig.copy_prefix(prefix)
        prefer_xinerama(prefix)
        env = rig.wine_env(prefix, xvfb.display)
        paint(xvfb.display, layout, ["#ff0000", "#0000ff"], gap="#00ff00")
        seen = read_monitors(env, [(10, 10), (1023, 767), (-800, 0), (-1, 599), (-1, 600), (-800, 767)])
        print(json.dumps(seen, indent=1))
        rects = [(m["rect"]["w"], m["rect"]["h"], m["rect"]["x"], m["rect"]["y"]) for m in seen["monitors"]]
        assert rects == layout.monitors, rects
        assert seen["monitors"][0]["primary"] and seen["virtual"] == layout.virtual()
        colours = [p["bitblt"] for p in seen["points"]]
        assert colours == ["#ff0000"] * 2 + ["#0000ff"] * 2 + ["#00ff00"] * 2, colours
        print("monitors: OK")
    finally:
        if env is not None:
            subprocess.run([rig.WINESERVER, "-k"], env=env)
            subprocess.run([rig.WINESERVER, "-w"], env=env)
        xvfb.stop()
        shutil.rmtree(folder, ignore_errors=True)
