"""Tools shared by the capture and auto-save end-to-end tests: a driver that
times one capture command from outside (X map state of the window, CPU time
of the program's process), a reader for the clipboard's bitmap, parsers for
BMP files and for screenshots, and the fixture program that shows a window
of another process.

Why the driver does not use the probe while a command runs: the probe asks
the program for every control's text, and the program answers only between
the steps of a command, so the probe can neither see nor time the hide and
the show. The X server can.
"""

import json
import os
import struct
import subprocess
import time

import rig

FIXTURE_SOURCE = os.path.join(os.path.dirname(os.path.abspath(__file__)), "fixtures",
                              "capture_helper.cpp")
FIXTURE_EXE = os.path.join(rig.BUILD, "e2e-fixtures", "capture_helper.exe")
FIXTURE_COMPILER = "x86_64-w64-mingw32-g++-posix"

# Control IDs: 1000 + row of the window definition.
CMD_FULL_SCREEN = 1022
CMD_ACTIVE_WINDOW = 1021
CHK_AUTO_SAVE = 1002
TXT_NUMBER = 1007
LBL_NUMBER = 1013
CBO_TIME = 1016
CBO_TIMER = 1017
STATUS_BAR = 1019
IMG_PIC_AREA = 1023

NOT_SAVED = "保存してません。"
SAVE_FAILED = "保存できませんでした。"


def settings(timer_kind=1, timer_time=2, clip=1, auto_save=0, path="C:\\", file="Screen",
             number="01", up="10", format=None):
    """Scrimble.ini text: the ten fixed-column lines of the first version, and
    the auto-save format where one is given (the rig writes CR LF, cp932)."""
    return "\n".join([
        "FormTop   :10",
        "FormLeft  :10",
        f"TimerKind :{timer_kind}",
        f"TimerTime :{timer_time}",
        f"Clip      :{clip}",
        f"AutoSave  :{auto_save}",
        f"Path      :{path}",
        f"File      :{file}",
        f"No        :{number}",
        f"Up        :{up}",
    ] + ([f"Format    :{format}"] if format else [])) + "\n"


# The lines the writer puts after the format: the options at their defaults.
DEFAULT_OPTION_LINES = ["KeyScreen :PrtSc", "KeyWindow :Alt+PrtSc", "KeyRegion :Ctrl+PrtSc", "OnScreen  :1",
                        "OnWindow  :1", "OnRegion  :1", "ToTray    :0", "Cursor    :0", "KeyLast   :Shift+PrtSc",
                        "OnLast    :1", "Region    :"]


def rgb_hex(rgb):
    return "#%02x%02x%02x" % rgb


# ------------------------------------------------------------------ fixture

def fixture_exe():
    """Builds the 64-bit fixture program once; rebuilt when its source is newer."""
    return rig.build_fixture(FIXTURE_SOURCE, FIXTURE_EXE, FIXTURE_COMPILER, "-municode", "-lgdi32",
                             "-luser32")


def drive_c_folder(app, name):
    """Where the folder of that name at the root of drive C: of the session's Wine
    prefix lies on Linux."""
    return os.path.join(app.prefix, "drive_c", name)


def windows_path(linux_path):
    """The Wine path of a Linux path (drive Z: is the Linux root)."""
    return "Z:" + os.path.abspath(linux_path).replace("/", "\\")


class OtherWindow:
    """A window of another (64-bit) process with a known outer size and a
    solid client colour; it closes when the test closes its stdin."""

    def __init__(self, app, title, left, top, width, height, rgb):
        self.app = app
        self.title = title
        self.proc = subprocess.Popen(
            [rig.WINE64, fixture_exe(), "window", title, str(left), str(top), str(width),
             str(height), "%02x%02x%02x" % rgb],
            env=app.env, stdin=subprocess.PIPE, stdout=subprocess.PIPE, stderr=subprocess.DEVNULL,
            start_new_session=True)
        line = self.proc.stdout.readline().strip()
        if line != b"ready":
            self.close()
            raise rig.RigError(f"the fixture window did not start ({line!r})")

    def close(self):
        if self.proc.poll() is None:
            self.proc.stdin.close()
            try:
                self.proc.wait(30)
            except subprocess.TimeoutExpired:
                self.proc.kill()
                self.proc.wait()

    def __enter__(self):
        return self

    def __exit__(self, *exc):
        self.close()


# ------------------------------------------------------------------ pictures

class Image:
    """Top-down RGB pixels, three bytes a pixel."""

    def __init__(self, width, height, rgb_bytes):
        self.width = width
        self.height = height
        self.data = rgb_bytes
        self.indices = None  # top-down colour indices of a palette bitmap

    def at(self, x, y):
        i = (y * self.width + x) * 3
        return tuple(self.data[i:i + 3])

    def region_share(self, rgb, left, top, width, height):
        """Share of the pixels of a rectangle that have exactly this colour."""
        want = bytes(rgb)
        hits = 0
        for y in range(top, top + height):
            row = self.data[(y * self.width + left) * 3:(y * self.width + left + width) * 3]
            hits += sum(1 for i in range(0, len(row), 3) if row[i:i + 3] == want)
        return hits / float(width * height)

    def is_uniform(self, rgb):
        return self.data == bytes(rgb) * (self.width * self.height)


def read_ppm(path):
    """A binary PPM (P6) as an Image of 8-bit samples."""
    with open(path, "rb") as f:
        data = f.read()
    fields = []
    pos = 0
    while len(fields) < 4:
        while data[pos:pos + 1].isspace():
            pos += 1
        if data[pos:pos + 1] == b"#":
            pos = data.index(b"\n", pos) + 1
            continue
        end = pos
        while not data[end:end + 1].isspace():
            end += 1
        fields.append(data[pos:end])
        pos = end
    if fields[0] != b"P6" or fields[3] not in (b"255", b"65535"):
        raise ValueError(f"{path}: not a P6 file with 8 or 16 bits a sample")
    width, height = int(fields[1]), int(fields[2])
    if fields[3] == b"255":
        return Image(width, height, data[pos + 1:pos + 1 + width * height * 3])
    # 16-bit samples, most significant byte first: keep that byte.
    return Image(width, height, data[pos + 1:pos + 1 + width * height * 6][0::2])


class Bmp:
    """The parts of a BMP file that the tests check."""

    def __init__(self, data):
        if len(data) < 54 or data[:2] != b"BM":
            raise ValueError("no BMP signature")
        (self.declared_size, self.pixel_offset) = struct.unpack_from("<I4xI", data, 2)
        (self.header_size, self.width, self.height, self.planes, self.bits, self.compression,
         self.image_size, _, _, self.colours_used, _) = struct.unpack_from("<IiiHHIIiiII", data, 14)
        self.data = data
        self.file_size = len(data)
        self.stride = ((self.width * self.bits + 31) // 32) * 4
        if self.bits <= 8:
            count = self.colours_used or (1 << self.bits)
            table = data[14 + self.header_size:14 + self.header_size + 4 * count]
            self.palette = [(table[i + 2], table[i + 1], table[i]) for i in range(0, len(table), 4)]
        else:
            self.palette = None

    def expected_size(self):
        return self.pixel_offset + self.stride * abs(self.height)

    def at(self, x, y):
        """The colour at (x, y), y counted from the top."""
        row = abs(self.height) - 1 - y if self.height > 0 else y
        base = self.pixel_offset + row * self.stride
        if self.bits == 24:
            b, g, r = self.data[base + 3 * x:base + 3 * x + 3]
            return (r, g, b)
        if self.bits == 8:
            return self.palette[self.data[base + x]]
        raise ValueError(f"{self.bits} bits per pixel not handled")

    def to_image(self):
        """All pixels as a top-down RGB Image (8 or 24 bits per pixel)."""
        rows = []
        for y in range(abs(self.height)):
            row = abs(self.height) - 1 - y if self.height > 0 else y
            base = self.pixel_offset + row * self.stride
            if self.bits == 24:
                line = bytearray(self.data[base:base + 3 * self.width])
                line[0::3], line[2::3] = line[2::3], line[0::3]
            elif self.bits == 8:
                table = [bytes(c) for c in self.palette]
                line = b"".join(table[i] for i in self.data[base:base + self.width])
            else:
                raise ValueError(f"{self.bits} bits per pixel not handled")
            rows.append(bytes(line))
        return Image(self.width, abs(self.height), b"".join(rows))

    def indices(self):
        """Top-down colour indices of an 8-bit file, one byte a pixel."""
        if self.bits != 8:
            raise ValueError(f"{self.bits} bits per pixel: no colour indices")
        rows = range(abs(self.height) - 1, -1, -1) if self.height > 0 else range(abs(self.height))
        return b"".join(self.data[self.pixel_offset + r * self.stride:
                                  self.pixel_offset + r * self.stride + self.width] for r in rows)

    def is_uniform_24(self, rgb):
        """Every pixel of a 24-bit file with no row padding has this colour."""
        r, g, b = rgb
        return (self.bits == 24 and self.stride == self.width * 3
                and self.data[self.pixel_offset:] == bytes((b, g, r)) * (self.width * abs(self.height)))


def read_bmp(path):
    with open(path, "rb") as f:
        return Bmp(f.read())


# ------------------------------------------------------------------ driver

class Timeline:
    """What one command looked like from outside, in seconds after the key
    press or click was sent."""

    def __init__(self):
        self.hidden_at = None
        self.shown_at = None
        self.samples = []  # (seconds, CPU seconds of the program)

    @property
    def hidden_for(self):
        return self.shown_at - self.hidden_at

    def cpu_rate(self, start, end):
        """CPU seconds per wall second between two times of the timeline,
        from the samples nearest inside that span."""
        inside = [s for s in self.samples if start <= s[0] <= end]
        if len(inside) < 2 or inside[-1][0] - inside[0][0] < 0.5:
            return None
        return (inside[-1][1] - inside[0][1]) / (inside[-1][0] - inside[0][0])

    def cpu_between(self, start, end):
        inside = [s for s in self.samples if start <= s[0] <= end]
        return inside[-1][1] - inside[0][1] if inside else None


class Driver:
    """Drives one running Scrimble from outside without waiting on it."""

    def __init__(self, app):
        self.app = app
        top = app.tree()
        self.origin = (top["client_origin"]["x"], top["client_origin"]["y"])
        self.window_rect = top["rect"]
        self.rects = {c["id"]: c["rect"] for c in top["controls"]}
        self.pid = self._program_pid()
        self._clip_file = os.path.join(app.dir, "clipboard.rgb")

    def _program_pid(self):
        """The process running Scrimble.exe: the loader's own process, which
        the 32-bit loader keeps (through qemu here) for the program."""
        pid = self.app.app.pid
        with open(f"/proc/{pid}/cmdline", "rb") as f:
            if b"Scrimble.exe" not in f.read():
                raise rig.RigError(f"process {pid} does not run Scrimble.exe")
        return pid

    # -- input

    def centre(self, control_id):
        r = self.rects[control_id]
        return self.origin[0] + r["x"] + r["w"] // 2, self.origin[1] + r["y"] + r["h"] // 2

    def click(self, control_id, dx=0):
        """Clicks a control. One xdotool call without --sync: `mousemove --sync`
        to where the pointer already is waits about 15 s for a motion that
        never comes."""
        x, y = self.centre(control_id)
        self.app.xdotool("mousemove", x + dx, y, "click", 1)

    def click_screen(self, x, y):
        self.app.xdotool("mousemove", x, y, "click", 1)

    # -- outside views

    def mapped(self):
        out = subprocess.run(["xwininfo", "-id", str(self.app.x11_window)], env=self.app.env,
                             capture_output=True, text=True, timeout=30).stdout
        if "Map State:" not in out:
            raise rig.RigError(f"xwininfo cannot see window {self.app.x11_window}")
        return "IsViewable" in out

    def cpu_seconds(self):
        """User + system CPU time of the program's process (all threads)."""
        with open(f"/proc/{self.pid}/stat") as f:
            fields = f.read().rsplit(")", 1)[1].split()
        return (int(fields[11]) + int(fields[12])) / os.sysconf("SC_CLK_TCK")

    def set_root(self, rgb):
        subprocess.run(["xsetroot", "-display", self.app.display, "-solid", rgb_hex(rgb)],
                       check=True, timeout=30)

    def clipboard(self):
        """(summary, Image or None): the clipboard's formats and its bitmap."""
        args = [rig.WINE64, fixture_exe(), "clipboard", windows_path(self._clip_file)]
        if rig.loader_for(self.app.exe) == rig.WINE:
            args.append("--from32")
        result = subprocess.run(args,
                                env=self.app.env, capture_output=True, text=True, timeout=120)
        try:
            summary = json.loads(result.stdout.strip().splitlines()[-1])
        except (IndexError, ValueError):
            raise rig.RigError(f"clipboard reader said {result.stdout!r} {result.stderr[-500:]!r}")
        if result.returncode != 0:
            raise rig.RigError(f"clipboard reader failed: {summary}")
        bitmap = summary.get("bitmap")
        if not bitmap:
            return summary, None
        with open(self._clip_file, "rb") as f:
            image = Image(bitmap["width"], bitmap["height"], f.read())
        if bitmap["bits"] <= 8:
            with open(self._clip_file + ".idx", "rb") as f:
                raw = f.read()
            stride = bitmap["width_bytes"]
            image.indices = b"".join(raw[y * stride:y * stride + image.width] for y in range(image.height))
        return summary, image

    def window_picture(self, name):
        """A screenshot of the program's window (frame included) as an Image,
        with the offset of the client area inside it."""
        path = self.app.screenshot(os.path.join(self.app.dir, name + ".ppm"))
        image = read_ppm(path)
        return image, (self.origin[0] - self.window_rect["x"], self.origin[1] - self.window_rect["y"])

    # -- commands

    def run_command(self, start, timeout=60):
        """Sends the command (a callable: key press or click), then watches the
        window disappear and come back, sampling the program's CPU time. The
        program is idle again when this returns (a probe call has been
        answered, or a message box is up)."""
        timeline = Timeline()
        t0 = time.time()
        start()
        mapped = True
        while True:
            now = time.time() - t0
            state = self.mapped()
            timeline.samples.append((now, self.cpu_seconds()))
            if state != mapped:
                mapped = state
                if not state:
                    timeline.hidden_at = now
                else:
                    timeline.shown_at = now
                    break
            if now > timeout:
                raise AssertionError(
                    f"the window was {'never hidden' if timeline.hidden_at is None else 'not shown again'}"
                    f" within {timeout} s of the command")
            time.sleep(0.01)
        self.app.wait_until(lambda: self.app.probe("msgbox")["dialogs"] or self.app.tree(), timeout,
                            what="the program to answer after the command")
        return timeline

    def status_text(self):
        return self.app.controls()[STATUS_BAR]["text"]


def status_line(name, size):
    """The status bar after a save: the file's name and its size."""
    return f" {name} \uff1a {size:,} bytes"


def session_with_folder(folder, ini, prepare=None):
    """A running session whose settings save into C:\\<folder>, made first;
    prepare(session) runs before the start."""
    session = rig.Session(start=False, ini=ini)
    try:
        os.makedirs(drive_c_folder(session, folder))
        if prepare:
            prepare(session)
        session.launch()
    except BaseException:
        session.stop()
        raise
    return session


def png_layout(path):
    """(bit depth, colour type, palette entries) of a PNG file, from its
    IHDR and PLTE chunks; colour type 3 is an indexed image."""
    with open(path, "rb") as f:
        data = f.read()
    if data[:8] != b"\x89PNG\r\n\x1a\n":
        raise ValueError(f"{path}: not a PNG file")
    pos, depth, kind, entries = 8, None, None, 0
    while pos + 8 <= len(data):
        length, name = int.from_bytes(data[pos:pos + 4], "big"), data[pos + 4:pos + 8]
        if name == b"IHDR":
            depth, kind = data[pos + 16], data[pos + 17]
        elif name == b"PLTE":
            entries = length // 3
        pos += 12 + length
    return depth, kind, entries
