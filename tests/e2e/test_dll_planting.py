"""DLLs lying beside the program, as in a downloads folder, are never loaded
in place of the system's: neither one that the program imports at start nor
one that it looks up later (a capture asks for the compositor's functions).

The program runs from a folder of its own that also holds a DLL, under the
names of system DLLs, that leaves a marker file when it is loaded.
"""

import fcntl
import glob
import os
import shutil
import subprocess

import rig
from capture_tools import Driver, settings

SOURCE = os.path.join(os.path.dirname(os.path.abspath(__file__)), "fixtures", "planted_dll.cpp")
PLANTED_NAMES = ["msimg32.dll", "dwmapi.dll"]


def planted_dll(machine):
    """Builds the planted DLL for the program's architecture once; again
    when its source is newer."""
    compiler = {"x64": "x86_64-w64-mingw32-g++-posix", "x86": "i686-w64-mingw32-g++-posix"}[machine]
    out = os.path.join(rig.BUILD, "e2e-fixtures", f"planted-{machine}.dll")
    os.makedirs(os.path.dirname(out), exist_ok=True)
    with open(out + ".lock", "w") as lock:
        fcntl.flock(lock, fcntl.LOCK_EX)
        if os.path.exists(out) and os.path.getmtime(out) >= os.path.getmtime(SOURCE):
            return out
        partial = out + f".partial-{os.getpid()}"
        result = subprocess.run([compiler, "-std=c++17", "-O2", "-shared", "-static", "-Wl,--kill-at",
                                 "-o", partial, SOURCE], capture_output=True, text=True, timeout=300)
        if result.returncode != 0:
            raise rig.RigError(f"cannot build {SOURCE}:\n{result.stderr[-2000:]}")
        os.replace(partial, out)
        return out


def test_dlls_beside_the_program_are_not_loaded():
    machine = "x64" if rig.loader_for(rig.SCRIMBLE_EXE) == rig.WINE64 else "x86"
    dll = planted_dll(machine)
    app = rig.Session(start=False, ini=settings(auto_save=0))
    try:
        folder = os.path.join(app.dir, "downloads")
        os.makedirs(folder)
        app.exe = os.path.join(folder, "Scrimble.exe")
        shutil.copy2(rig.SCRIMBLE_EXE, app.exe)
        for name in PLANTED_NAMES:
            shutil.copy2(dll, os.path.join(folder, name))
        app.launch()
        Driver(app).run_command(lambda: app.key("F1"))
        checks = rig.Checks()
        checks.equal(app.alive(), True, "program running after a capture")
        checks.equal(sorted(os.path.basename(p) for p in glob.glob(os.path.join(folder, "*.loaded"))), [],
                     "planted DLLs loaded")
        checks.done()
    finally:
        app.stop()
