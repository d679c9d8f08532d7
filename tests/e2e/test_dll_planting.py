"""DLLs lying beside the program, as in a downloads folder, are never loaded
in place of the system's: neither one that the program could import at start
nor one that it looks up later (a capture asks for the compositor's
functions). The program runs from a folder of its own beside a DLL, under
system DLLs' names, that leaves a marker file once loaded; a program that
imported it would not even start, since it exports nothing.
"""

import glob
import os
import shutil
import subprocess

import rig
from capture_tools import Driver, settings

SOURCE = os.path.join(os.path.dirname(os.path.abspath(__file__)), "fixtures", "planted_dll.cpp")


def test_dlls_beside_the_program_are_not_loaded():
    app = rig.Session(start=False, ini=settings(auto_save=0))
    try:
        folder = os.path.join(app.dir, "downloads")
        os.makedirs(folder)
        app.exe = shutil.copy2(rig.SCRIMBLE_EXE, os.path.join(folder, "Scrimble.exe"))
        bits = "x86_64" if rig.loader_for(app.exe) == rig.WINE64 else "i686"
        subprocess.run([f"{bits}-w64-mingw32-g++-posix", "-O2", "-shared", "-static", "-o",
                        os.path.join(folder, "msimg32.dll"), SOURCE], check=True, timeout=300)
        shutil.copy2(os.path.join(folder, "msimg32.dll"), os.path.join(folder, "dwmapi.dll"))
        app.launch()
        Driver(app).run_command(lambda: app.key("F1"))
        checks = rig.Checks()
        checks.equal(app.alive(), True, "program running after a capture")
        checks.equal([os.path.basename(p) for p in glob.glob(os.path.join(folder, "*.loaded"))], [],
                     "planted DLLs that were loaded")
        checks.done()
    finally:
        app.stop()
