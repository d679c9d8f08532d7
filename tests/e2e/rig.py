"""End-to-end rig: runs Scrimble.exe under Wine on a private X server and
lets a test drive it with xdotool and look inside it with scrimble-probe.

    with Session(ini=TEXT) as app:  # Xvfb, fresh prefix, Scrimble running
        top = app.tree()            # window + controls as the probe sees them
        app.key("Tab")
        assert app.focused_id() == 1021

Session(depth=24, width=1024, height=768, ini=None, start=True, exe=None,
        title="Scrimble β", display=None, prefix=None, workdir=None, probe32=False,
        dpi=None, dwm_standin=False)
  lifecycle  launch() spawn() alive() exit_code() wait_exit(timeout, proc)
             stop() (also on leaving a with block)
  inspect    tree() controls() focus() focused_id() clipboard(points) text_fit()
             msgboxes() press_msgbox("OK") windows() probe(cmd, ...)
             probe32(cmd, ...) (32-bit build; clipboard() uses it for bitmaps)
             dwm_calls() (with dwm_standin)
  input      key(*keys) type(text) click(x, y) click_control(id)
             click_screen(x, y)
  files      workdir, read_file(name) write_file(name, text) opened_urls()
  screen     screenshot(path, whole_screen=False) set_root_colour("#rrggbb")
  waiting    wait_until(predicate, timeout, what)
Checks() collects mismatches and reports them all at once (done()).

Everything a session creates lives in one temporary directory that stop()
removes (set SCRIMBLE_E2E_KEEP=1 to keep it). Scrimble's working directory,
where it keeps Scrimble.ini, is `app.workdir`.
"""

import fcntl
import json
import os
import select
import shutil
import signal
import subprocess
import tempfile
import time

import printing

ROOT = os.path.abspath(os.path.join(os.path.dirname(__file__), "..", ".."))
BUILD = os.path.join(ROOT, "build")
# The program under test; the suite's conftest sets it from --arch / --exe.
SCRIMBLE_EXE = os.environ.get("SCRIMBLE_EXE", os.path.join(BUILD, "win64", "Scrimble.exe"))
# Set for --exe (a release unpacked from its zip): tests that run the program
# from its own folder run it there instead of from a copy.
RUN_IN_EXE_FOLDER = False
PROBE_EXE = os.environ.get("SCRIMBLE_PROBE", os.path.join(BUILD, "probe", "scrimble-probe.exe"))
# Wine hands a 32-bit program's clipboard bitmap to a 64-bit reader as a
# handle that no GDI call accepts; the 32-bit build of the same probe reads it.
PROBE32_EXE = os.environ.get("SCRIMBLE_PROBE32", os.path.join(BUILD, "probe32", "scrimble-probe.exe"))
# The number names what ensure_template() puts into the prefix; a new recipe
# gets a new folder, so that older checkouts keep using theirs.
TEMPLATE = os.environ.get("SCRIMBLE_WINE_TEMPLATE", os.path.join(BUILD, "wine-template-3"))
TITLE = "Scrimble \u03b2"

# Control IDs: 1000 + the control's row in the window definition.
CONTROL_IDS = {name: 1000 + row for row, name in enumerate([
    "cmdHome", "cmdPrint", "chkAutoSave", "cmdExplorer", "chkClip", "fraAutoSave", "txtFile",
    "txtNumber", "txtUp", "cmdPath", "lblPath", "lblSvPath", "lblFile", "lblNumber", "lblUp",
    "fraTimer", "cboTime", "cboTimer", "Label1", "StatusBar1", "cmdSave", "cmdActiveWindow",
    "cmdFullScreen", "imgPicArea", "cboFormat", "lblFormat", "cmdRegion"])}

WINE = "/usr/lib/wine/wine"        # 32-bit loader (through qemu where the kernel lacks i386)
WINE64 = "/usr/lib/wine/wine64"    # 64-bit loader
WINESERVER = "wineserver"

# Starting a 32-bit exe costs about a minute of emulated CPU on machines
# without 32-bit kernel support; give it room.
START_TIMEOUT = float(os.environ.get("SCRIMBLE_E2E_START_TIMEOUT", "240"))
PROBE_TIMEOUT = float(os.environ.get("SCRIMBLE_E2E_PROBE_TIMEOUT", "60"))
# Wine's double-click time is 500 ms; a little more keeps two clicks apart.
DOUBLE_CLICK_SECONDS = 0.6


class RigError(Exception):
    """The rig itself could not do what a test asked (not a test failure)."""


def build_fixture(source, output, compiler, *flags):
    """Compiles a test fixture once; again when its source is newer. Several
    test runs may ask at once."""
    os.makedirs(os.path.dirname(output), exist_ok=True)
    with open(output + ".lock", "w") as lock:
        fcntl.flock(lock, fcntl.LOCK_EX)
        if os.path.exists(output) and os.path.getmtime(output) >= os.path.getmtime(source):
            return output
        partial = output + f".partial-{os.getpid()}"
        result = subprocess.run([compiler, "-std=c++17", "-O2", "-static", "-o", partial, source,
                                 *flags], capture_output=True, text=True, timeout=300)
        if result.returncode != 0:
            raise RigError(f"cannot build {source}:\n{result.stderr[-2000:]}")
        os.replace(partial, output)
        return output


DWM_STANDIN_SOURCE = os.path.join(os.path.dirname(os.path.abspath(__file__)), "fixtures",
                                  "dwmapi_standin.cpp")


def dwm_standin_dll(bits):
    """The stand-in dwmapi.dll for 32- or 64-bit processes (see its source);
    --kill-at gives the i686 exports their plain names."""
    cpu = "x86_64" if bits == 64 else "i686"
    output = os.path.join(BUILD, "e2e-fixtures", f"dwmapi-{cpu}.dll")
    return build_fixture(DWM_STANDIN_SOURCE, output, f"{cpu}-w64-mingw32-g++-posix", "-shared",
                         "-Wl,--kill-at")


def wine_env(prefix, display, extra_path=None):
    env = {k: v for k, v in os.environ.items()
           if not k.startswith("LC_") and k not in ("LANGUAGE", "WINELOADER", "WINESERVER")}
    env.update({
        "WINEPREFIX": prefix,
        "WINEARCH": "win64",
        "WINEDEBUG": "-all",
        "WINEDLLOVERRIDES": "mscoree,mshtml=",
        "LANG": "ja_JP.UTF-8",
        "DISPLAY": display,
    })
    if extra_path:
        env["PATH"] = extra_path + os.pathsep + env.get("PATH", "/usr/bin:/bin")
    return env


def loader_for(exe):
    """wine64 for a 64-bit exe (native), wine for a 32-bit one (emulated here)."""
    with open(exe, "rb") as f:
        header = f.read(4096)
    offset = int.from_bytes(header[0x3C:0x40], "little")
    machine = int.from_bytes(header[offset + 4:offset + 6], "little")
    return WINE64 if machine == 0x8664 else WINE


def i386_native():
    """Whether this kernel runs 32-bit code itself: no qemu-i386 registered in
    binfmt_misc, and the 32-bit loader runs."""
    try:
        with open("/proc/sys/fs/binfmt_misc/qemu-i386") as f:
            if f.readline().strip() == "enabled":
                return False
    except OSError:
        pass
    try:
        return subprocess.run(["/lib/ld-linux.so.2", "--version"], stdout=subprocess.DEVNULL,
                              stderr=subprocess.DEVNULL).returncode == 0
    except OSError:
        return False


def wine_version():
    return subprocess.run([WINE64, "--version"], capture_output=True, text=True).stdout.strip()


# ------------------------------------------------------------------ X server

class Xvfb:
    """A private X server on a free display number."""

    def __init__(self, width=1024, height=768, depth=24):
        read_fd, write_fd = os.pipe()
        self.proc = subprocess.Popen(
            ["Xvfb", "-displayfd", str(write_fd), "-screen", "0", f"{width}x{height}x{depth}",
             "-noreset", "-nolisten", "tcp"],
            pass_fds=(write_fd,), stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL,
            start_new_session=True)
        os.close(write_fd)
        number = b""
        deadline = time.time() + 30
        while time.time() < deadline and not number.endswith(b"\n"):
            ready, _, _ = select.select([read_fd], [], [], 1)
            if ready:
                chunk = os.read(read_fd, 16)
                if not chunk:
                    break
                number += chunk
        os.close(read_fd)
        if not number.strip():
            self.stop()
            raise RigError("Xvfb did not start")
        self.display = ":" + number.decode().strip()

    def stop(self):
        if self.proc.poll() is None:
            self.proc.terminate()
            try:
                self.proc.wait(10)
            except subprocess.TimeoutExpired:
                self.proc.kill()
                self.proc.wait()


# ------------------------------------------------------------------ prefix

def ensure_template(display, log=print):
    """Creates the template once per machine and Wine version: a win64 prefix
    with Wine's fonts where Wine looks for them, and windows that Wine neither
    decorates nor hands to a window manager: there is none on the test display,
    and a managed window waits 2 s for one on every hide."""
    os.makedirs(os.path.dirname(TEMPLATE), exist_ok=True)
    stamp = os.path.join(TEMPLATE, ".scrimble-wine-version")
    version = wine_version()
    with open(TEMPLATE + ".lock", "w") as lock:
        fcntl.flock(lock, fcntl.LOCK_EX)
        try:
            with open(stamp) as f:
                if f.read().strip() == version:
                    return
        except OSError:
            pass
        log(f"rig: creating the Wine prefix template for {version} (takes a few minutes, once)")
        work = TEMPLATE + f".tmp-{os.getpid()}"
        shutil.rmtree(work, ignore_errors=True)
        env = wine_env(work, display)
        started = time.time()
        subprocess.run([WINE64, "wineboot", "-i"], env=env, check=True,
                       stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        subprocess.run([WINESERVER, "-w"], env=env, check=True)
        fonts = os.path.join(work, "drive_c", "windows", "Fonts")
        os.makedirs(fonts, exist_ok=True)
        for name in os.listdir("/usr/share/wine/fonts"):
            shutil.copy2(os.path.join("/usr/share/wine/fonts", name), fonts)
        # ShowSystray: without an X notification area Wine shows its own tray
        # window at the screen's top left, which every capture of the whole
        # screen would take in; the icon is still added (a session that
        # shows it: Session(tray=True)).
        for name in ("Decorated", "Managed", "ShowSystray"):
            subprocess.run([WINE64, "reg", "add", r"HKCU\Software\Wine\X11 Driver", "/v", name,
                            "/t", "REG_SZ", "/d", "N", "/f"], env=env, check=True,
                           stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        subprocess.run([WINESERVER, "-w"], env=env, check=True)
        with open(os.path.join(work, ".scrimble-wine-version"), "w") as f:
            f.write(version + "\n")
        shutil.rmtree(TEMPLATE, ignore_errors=True)
        os.rename(work, TEMPLATE)
        log(f"rig: template ready in {time.time() - started:.0f} s")


# Wine never writes to these once the prefix exists, so copies may share them.
_SHARED_DIRS = {os.path.join("drive_c", "windows", d) for d in ("system32", "syswow64", "winsxs")}


def copy_prefix(dest):
    """A fresh prefix from the template; the big DLL folders are hard-linked."""
    os.makedirs(dest)
    for dirpath, dirnames, filenames in os.walk(TEMPLATE):
        rel = os.path.relpath(dirpath, TEMPLATE)
        if rel in _SHARED_DIRS:
            dirnames[:] = []
            subprocess.run(["cp", "-al", dirpath, os.path.join(dest, rel)], check=True)
            continue
        # Anything else is copied whole once we reach a folder with no shared
        # folder below it.
        below = [d for d in _SHARED_DIRS if d.startswith(rel + os.sep) or rel == "."]
        if not below:
            dirnames[:] = []
            subprocess.run(["cp", "-a", dirpath, os.path.join(dest, rel)], check=True)
            continue
        if rel != ".":
            os.makedirs(os.path.join(dest, rel), exist_ok=True)
            shutil.copystat(dirpath, os.path.join(dest, rel))
        for name in filenames:
            subprocess.run(["cp", "-a", os.path.join(dirpath, name), os.path.join(dest, rel, name)],
                           check=True)
        for name in list(dirnames):
            full = os.path.join(dirpath, name)
            if os.path.islink(full):
                subprocess.run(["cp", "-a", full, os.path.join(dest, rel, name)], check=True)
                dirnames.remove(name)


# ------------------------------------------------------------------ probe

class Probe:
    """One long-lived scrimble-probe in serve mode; answers in about a
    millisecond instead of the second that a fresh Wine process costs."""

    def __init__(self, env, log_path, exe=None):
        exe = exe or PROBE_EXE
        if not os.path.exists(exe):
            raise RigError(f"{exe} is missing; run `make build`")
        self.log = open(log_path, "ab")
        self.proc = subprocess.Popen([loader_for(exe), exe, "serve"], env=env, stdin=subprocess.PIPE,
                                     stdout=subprocess.PIPE, stderr=self.log, start_new_session=True)
        self.buffer = b""
        self.answered = False

    def call(self, *args, timeout=PROBE_TIMEOUT):
        if self.proc.poll() is not None:
            raise RigError(f"probe exited with {self.proc.returncode}")
        line = "\t".join(str(a) for a in args) + "\n"
        self.proc.stdin.write(line.encode("utf-8"))
        self.proc.stdin.flush()
        if not self.answered:
            timeout = max(timeout, START_TIMEOUT)  # the first answer waits for Wine to start
        deadline = time.time() + timeout
        fd = self.proc.stdout.fileno()
        while b"\n" not in self.buffer:
            left = deadline - time.time()
            if left <= 0:
                raise RigError(f"probe gave no answer to {args!r} within {timeout} s")
            ready, _, _ = select.select([fd], [], [], left)
            if ready:
                chunk = os.read(fd, 65536)
                if not chunk:
                    raise RigError("probe closed its output")
                self.buffer += chunk
        answer, self.buffer = self.buffer.split(b"\n", 1)
        self.answered = True
        reply = json.loads(answer.decode("utf-8"))
        return reply["status"], reply["result"]

    def stop(self):
        if self.proc.poll() is None:
            try:
                self.proc.stdin.write(b"quit\n")
                self.proc.stdin.flush()
                self.proc.wait(5)
            except (OSError, subprocess.TimeoutExpired):
                self.proc.kill()
                self.proc.wait()
        self.log.close()


# ------------------------------------------------------------------ session

FAKE_XDG_OPEN = """#!/bin/sh
# Records what the program asked the desktop to open instead of opening it.
printf '%s\\n' "$*" >> "{log}"
"""


class Session:
    """Xvfb + fresh Wine prefix + (optionally) a running Scrimble.exe.

    Parameters: depth/width/height of the X screen; ini = text written to
    Scrimble.ini in the working directory before start (None: no file);
    start = False to set things up without starting the program (call
    launch() later); exe = another program to run instead of Scrimble.exe;
    display = an X display to use instead of a private Xvfb; prefix and
    workdir = lasting folders to use (and keep) instead of temporary ones;
    probe32 = start the 32-bit probe at once, alongside the program, for
    tests that read the clipboard (otherwise it starts at the first need);
    dpi = the display scale in dots per inch (96 = 100 %), written into the
    prefix before anything of Wine starts in it; dwm_standin = put the
    stand-in dwmapi.dll (fixtures/dwmapi_standin.cpp) in the system folder of
    the program's architecture and have Wine load it instead of its own, so
    that the program sees a compositor as on Windows 10 and 11, and log its
    calls (dwm_calls()); printer = "pdf" starts a CUPS server of the
    session's own with a PDF printer as the default (self.cups: where the
    PDFs land, see printing.py), "none" leaves Wine without any printer (the
    tests' default: none of the machine's), "system" the machine's own;
    tray = show Wine's own notification area (a window at the screen's top
    left, 166 x 45, the first icon at (3, 22)), which the template hides.
    """

    def __init__(self, depth=24, width=1024, height=768, ini=None, start=True, exe=None,
                 title=TITLE, log=print, display=None, prefix=None, workdir=None,
                 probe32=False, dpi=None, dwm_standin=False, printer="none", tray=False):
        self.title = title
        self.exe = os.path.abspath(exe or SCRIMBLE_EXE)
        self.log = log
        self.app = None
        self._procs = []
        self._logs = []
        self.probe_proc = None
        self.probe32_proc = None
        self.depth = depth
        self.x11_window = None
        self.xvfb = None
        self._last_click = None
        self.dwm_log = None
        self.cups = None
        self.dir = tempfile.mkdtemp(prefix="scrimble-e2e-")
        try:
            self.workdir = os.path.abspath(workdir or os.path.join(self.dir, "work"))
            self.prefix = os.path.abspath(prefix or os.path.join(self.dir, "prefix"))
            self.bin = os.path.join(self.dir, "bin")
            self.xdg_log = os.path.join(self.dir, "xdg-open.log")
            os.makedirs(self.workdir, exist_ok=True)
            os.makedirs(self.bin)
            with open(os.path.join(self.bin, "xdg-open"), "w") as f:
                f.write(FAKE_XDG_OPEN.format(log=self.xdg_log))
            os.chmod(os.path.join(self.bin, "xdg-open"), 0o755)
            if ini is not None:
                self.write_file("Scrimble.ini", ini)

            if display:
                self.display = display
            else:
                self.xvfb = Xvfb(width, height, depth)
                self.display = self.xvfb.display
            if not os.path.exists(os.path.join(self.prefix, "system.reg")):
                ensure_template(self.display, log)
                shutil.rmtree(self.prefix, ignore_errors=True)
                copy_prefix(self.prefix)
            self.env = wine_env(self.prefix, self.display, self.bin)
            # Wine reads the printers once, in the first process of the
            # prefix that asks: the server is chosen before any starts.
            if printer == "pdf":
                self.cups = printing.start_cups(self.dir)
                self.env.update(self.cups.env)
            elif printer == "none":
                self.env.update(printing.no_printer_env(self.dir))
            if dwm_standin:
                self._install_dwm_standin()
            if dpi is not None:
                self.set_dpi(dpi)
            if tray:
                # Read by the prefix's explorer.exe as it starts: the one that
                # `reg` started goes first.
                self._reg_add(r"HKCU\Software\Wine\X11 Driver", "ShowSystray", "REG_SZ", "Y")
                subprocess.run([WINESERVER, "-k"], env=self.env, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
                subprocess.run([WINESERVER, "-w"], env=self.env, timeout=30)
            self.probe_proc = Probe(self.env, os.path.join(self.dir, "probe.log"))
            if probe32:
                self._start_probe32()
            if start:
                self.launch()
        except BaseException:
            self.stop()
            raise

    def set_dpi(self, dpi):
        """Sets the prefix's display scale; Wine reads it as each process starts."""
        self._reg_add(r"HKCU\Control Panel\Desktop", "LogPixels", "REG_DWORD", str(dpi))

    def _reg_add(self, key, name, kind, value):
        subprocess.run([WINE64, "reg", "add", key, "/v", name, "/t", kind, "/d", value, "/f"], env=self.env,
                       check=True, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)

    def _install_dwm_standin(self):
        bits = 64 if loader_for(self.exe) == WINE64 else 32
        # A 32-bit process's system folder is syswow64 (file system redirection).
        target = os.path.join(self.prefix, "drive_c", "windows",
                              "system32" if bits == 64 else "syswow64", "dwmapi.dll")
        # The prefix's DLL folders are hard links into the template: replace
        # the link, never write through it.
        if os.path.lexists(target):
            os.unlink(target)
        shutil.copyfile(dwm_standin_dll(bits), target)
        self.dwm_log = os.path.join(self.dir, "dwm.log")
        self.env["SCRIMBLE_DWM_LOG"] = "Z:" + self.dwm_log.replace("/", "\\")
        self.env["WINEDLLOVERRIDES"] += ";dwmapi=n"

    def dwm_calls(self):
        """The stand-in dwmapi.dll's calls so far, oldest first, as
        (function, hwnd, attribute, value): hwnd 0 and attribute -1 where the
        function takes none, value the first DWORD passed in or None."""
        if self.dwm_log is None:
            raise RigError("no stand-in dwmapi.dll in this session (dwm_standin=True)")
        try:
            with open(self.dwm_log, encoding="ascii") as f:
                lines = f.read().splitlines()
        except FileNotFoundError:
            return []
        calls = []
        for line in lines:
            try:
                function, hwnd, attribute, value = line.split()
                calls.append((function, int(hwnd), int(attribute),
                              None if value == "-" else int(value)))
            except ValueError:
                raise RigError(f"{self.dwm_log}: unreadable line {line!r}") from None
        return calls

    # -- lifecycle

    def launch(self, timeout=START_TIMEOUT):
        """Starts the program and waits until its window is visible."""
        if not os.path.exists(self.exe):
            raise RigError(f"{self.exe} is missing; run `make build`")
        if self.alive():
            raise RigError("the program is still running; stop it before launching it again")
        started = time.time()
        self.app = self.spawn()
        top = self.wait_until(lambda: self._visible_tree(), timeout,
                              what=f"window {self.title!r} to appear", interval=1.0)
        self.x11_window = top.get("x11_window") or self._xdotool_search()
        self.start_seconds = time.time() - started
        self.log(f"rig: {os.path.basename(self.exe)} up after {self.start_seconds:.0f} s")
        return top

    def spawn(self):
        """Starts one more copy of the program in the same prefix and working
        directory without waiting for anything; returns its Popen. launch()
        uses it; a test may call it directly to start a second instance."""
        log = open(os.path.join(self.dir, "app.log"), "ab")
        self._logs.append(log)
        proc = subprocess.Popen([loader_for(self.exe), self.exe], cwd=self.workdir, env=self.env,
                                stdout=log, stderr=log, start_new_session=True)
        self._procs.append(proc)
        return proc

    def _visible_tree(self):
        if self.app is not None and self.app.poll() is not None:
            raise RigError(f"program exited with {self.app.returncode} before its window appeared")
        status, tree = self.probe_proc.call("tree", self.title)
        if status == 0 and tree.get("visible"):
            return tree
        # A message in the window's place (a settings file it cannot write,
        # say) fails the start at once, with its text.
        boxes = self.msgboxes()
        if boxes:
            raise RigError(f"a message instead of the window: {[b['texts'] for b in boxes]}")
        return None

    def _xdotool_search(self):
        out = self.xdotool("search", "--onlyvisible", "--name", "^" + self.title + "$", check=False)
        ids = out.split()
        return int(ids[0]) if ids else None

    def alive(self):
        return self.app is not None and self.app.poll() is None

    def exit_code(self):
        """The program's exit code, or None while it runs."""
        return None if self.app is None else self.app.poll()

    def wait_exit(self, timeout=60, proc=None):
        """Waits until the program (or the given spawned copy) has ended and
        returns its exit code."""
        proc = proc or self.app
        self.wait_until(lambda: proc.poll() is not None, timeout, what="program to exit")
        return proc.returncode

    def stop(self):
        """Ends every Wine process of this prefix, the X server, and removes
        the session directory."""
        for probe in (self.probe_proc, self.probe32_proc):
            if probe is not None:
                probe.stop()
        self.probe_proc = self.probe32_proc = None
        if getattr(self, "env", None) is not None:
            subprocess.run([WINESERVER, "-k"], env=self.env, stdout=subprocess.DEVNULL,
                           stderr=subprocess.DEVNULL)
            subprocess.run([WINESERVER, "-w"], env=self.env, stdout=subprocess.DEVNULL,
                           stderr=subprocess.DEVNULL, timeout=30)
        for proc in self._procs:
            try:
                proc.wait(10)
            except subprocess.TimeoutExpired:
                os.killpg(proc.pid, signal.SIGKILL)
                proc.wait()
        self._procs = []
        for log in self._logs:
            log.close()
        self._logs = []
        if self.cups is not None:
            printing.stop_cups(self.cups)
            self.cups = None
        if self.xvfb is not None:
            self.xvfb.stop()
            self.xvfb = None
        if os.environ.get("SCRIMBLE_E2E_KEEP"):
            self.log(f"rig: kept {self.dir}")
        else:
            shutil.rmtree(self.dir, ignore_errors=True)

    def __enter__(self):
        return self

    def __exit__(self, *exc):
        self.stop()

    # -- inspection

    def probe(self, *args, check=True):
        """Runs one probe command; returns its parsed JSON. With check, a
        non-zero status raises RigError."""
        status, result = self.probe_proc.call(*args)
        if check and status != 0:
            raise RigError(f"probe {' '.join(map(str, args))}: status {status}: {result}")
        return result

    def _start_probe32(self):
        if self.probe32_proc is None:
            self.probe32_proc = Probe(self.env, os.path.join(self.dir, "probe32.log"), PROBE32_EXE)
        return self.probe32_proc

    def probe32(self, *args, check=True):
        """Like probe(), through the 32-bit build (its first answer takes
        about a minute where 32-bit code runs emulated)."""
        status, result = self._start_probe32().call(*args)
        if check and status != 0:
            raise RigError(f"probe32 {' '.join(map(str, args))}: status {status}: {result}")
        return result

    def tree(self, title=None):
        return self.probe("tree", title or self.title)

    def controls(self, title=None):
        """Controls of the window keyed by control ID."""
        return {c["id"]: c for c in self.tree(title)["controls"]}

    def focus(self, title=None):
        return self.probe("focus", title or self.title)

    def focused_id(self):
        f = self.focus()["focus"]
        return None if f is None else f["id"]

    def clipboard(self, points=(), probe32=None):
        """Formats on the clipboard and, for a bitmap, its size, bit count,
        most common colours and the colours at the given (x, y) points. A
        32-bit program's bitmap is read by the 32-bit probe (see PROBE32_EXE),
        whose first answer takes a minute or two."""
        args = ["clipboard"]
        for x, y in points:
            args += ["--at", f"{x},{y}"]
        if probe32 is None:
            probe32 = loader_for(self.exe) == WINE
        return self.probe32(*args) if probe32 else self.probe(*args)

    def text_fit(self, title=None):
        """Per control that shows text: its client size and the size its text
        needs in its font (see the probe's textfit)."""
        return self.probe("textfit", title or self.title)

    def msgboxes(self):
        return self.probe("msgbox")["dialogs"]

    def press_msgbox(self, button="OK"):
        return self.probe("msgbox", "--press", button)

    def windows(self):
        return self.probe("windows")["windows"]

    def opened_urls(self):
        """What the program handed to xdg-open, one entry per launch."""
        try:
            with open(self.xdg_log, encoding="utf-8") as f:
                return f.read().splitlines()
        except FileNotFoundError:
            return []

    def read_file(self, name, encoding="cp932"):
        with open(os.path.join(self.workdir, name), "rb") as f:
            data = f.read()
        return data if encoding is None else data.decode(encoding)

    def write_file(self, name, text, encoding="cp932", newline="\r\n"):
        data = text if isinstance(text, bytes) else text.replace("\n", newline).encode(encoding)
        with open(os.path.join(self.workdir, name), "wb") as f:
            f.write(data)

    # -- input

    def xdotool(self, *args, check=True):
        env = dict(self.env)
        result = subprocess.run(["xdotool", *map(str, args)], env=env, capture_output=True,
                                text=True, timeout=60)
        if check and result.returncode != 0:
            raise RigError(f"xdotool {' '.join(map(str, args))}: {result.stderr.strip()}")
        return result.stdout

    # Keys go through XTEST to whichever window has the X focus, as a user's
    # keys do. Not `xdotool key --window`: xdotool then picks XTEST or a
    # synthetic event per event, by whether that window has the focus at that
    # moment. Scrimble hides its window between the press and the release of
    # F1, so the press went by XTEST and the release as a synthetic event; the
    # server still held F1 down and its autorepeat sent a capture every 200 ms.

    def key(self, *keys, delay_ms=50):
        """Presses keys (xdotool names: Tab, F1, Escape, shift+Tab...); they
        reach the focused control of the foreground window."""
        self.xdotool("key", "--delay", delay_ms, *keys)

    def type(self, text, delay_ms=50):
        self.xdotool("type", "--delay", delay_ms, text)

    def client_to_screen(self, x, y, title=None):
        origin = self.tree(title)["client_origin"]
        return origin["x"] + x, origin["y"] + y

    def click(self, x, y, button=1, title=None):
        """Clicks at client coordinates of the window (or of another top-level
        window given by title); a click also makes the window the foreground one."""
        sx, sy = self.client_to_screen(x, y, title)
        self.click_screen(sx, sy, button)

    def click_screen(self, x, y, button=1):
        # `mousemove --sync` to where the pointer already is waits about 15 s
        # for a motion event that never comes.
        here = self.xdotool("getmouselocation", "--shell").split()
        if f"X={x}" not in here or f"Y={y}" not in here:
            self.xdotool("mousemove", "--sync", x, y)
        # A second click on the same spot within the double-click time is a
        # double click, which a text box takes without taking the focus.
        if self._last_click is not None:
            lx, ly, at = self._last_click
            wait = DOUBLE_CLICK_SECONDS - (time.time() - at)
            if abs(lx - x) <= 4 and abs(ly - y) <= 4 and wait > 0:
                time.sleep(wait)
        self.xdotool("click", button)
        self._last_click = (x, y, time.time())

    def click_control(self, control_id, button=1):
        """Clicks the centre of the control with that ID."""
        c = self.controls()[control_id]["rect"]
        self.click(c["x"] + c["w"] // 2, c["y"] + c["h"] // 2, button)

    # -- pictures

    def set_root_colour(self, rgb):
        """Paints the X root window (the desktop behind every window) in one
        colour, e.g. "#3366cc", so that a screen capture has known content.
        True-colour displays only: on a palette display Wine maps the X pixel
        value through its own palette, so the capture shows another colour."""
        subprocess.run(["xsetroot", "-display", self.display, "-solid", rgb], check=True,
                       stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, timeout=30)

    def screenshot(self, path, whole_screen=False, settle_timeout=30):
        """Saves the window (or the whole screen) as an image file; the format
        follows the file name's extension. Waits until two captures in a row
        agree, so a window still painting is not caught half drawn."""
        target = "root" if whole_screen or not self.x11_window else hex(self.x11_window)
        path = os.path.abspath(path)
        os.makedirs(os.path.dirname(path), exist_ok=True)
        base, ext = os.path.splitext(path)
        trial = base + ".partial" + ext
        previous = None
        deadline = time.time() + settle_timeout
        while True:
            subprocess.run(["import", "-display", self.display, "-window", target, trial],
                           check=True, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL,
                           timeout=60)
            with open(trial, "rb") as f:
                data = f.read()
            if data == previous or time.time() >= deadline:
                break
            previous = data
            time.sleep(0.5)
        os.replace(trial, path)
        return path

    # -- waiting

    def wait_until(self, predicate, timeout=30, what="condition", interval=0.2):
        """Calls predicate until it returns something truthy and returns that;
        raises AssertionError after timeout seconds."""
        deadline = time.time() + timeout
        while True:
            value = predicate()
            if value:
                return value
            if time.time() >= deadline:
                raise AssertionError(f"timed out after {timeout} s waiting for {what}")
            time.sleep(interval)


# ------------------------------------------------------------------ checks

class Checks:
    """Collects mismatches so that one run reports all of them at once."""

    def __init__(self):
        self.failures = []

    def equal(self, actual, expected, what):
        if actual != expected:
            self.failures.append(f"{what}: expected {expected!r}, got {actual!r}")
        return actual == expected

    def near(self, actual, expected, tolerance, what):
        ok = abs(actual - expected) <= tolerance
        if not ok:
            self.failures.append(f"{what}: expected {expected}±{tolerance}, got {actual}")
        return ok

    def true(self, condition, what):
        if not condition:
            self.failures.append(what)
        return bool(condition)

    def done(self):
        if self.failures:
            raise AssertionError(f"{len(self.failures)} mismatch(es):\n  " + "\n  ".join(self.failures))
