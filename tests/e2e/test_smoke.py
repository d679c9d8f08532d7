"""One short run of the real program, the one that every build gets (also
the 32-bit one where it can run only under emulation, and a release unpacked
from its zip): start in an empty folder, one full-screen capture with the
clipboard and auto-save on, Esc, and the settings file written there with the
advanced number.
"""

import os
import shutil

import pytest

import rig
from capture_tools import Driver, read_bmp, settings, windows_path

pytestmark = pytest.mark.smoke

SCREEN = (1024, 768)
DESKTOP = (0x2A, 0x7F, 0xB4)


def test_start_capture_save_and_quit_in_an_empty_folder():
    with rig.Session(start=False) as session:
        # The program alone in a folder of its own, as a user unpacks it; with
        # --exe, the folder the release was unpacked into.
        if rig.RUN_IN_EXE_FOLDER:
            folder = os.path.dirname(rig.SCRIMBLE_EXE)
        else:
            folder = os.path.join(session.dir, "unpacked")
            os.makedirs(folder)
            shutil.copy2(rig.SCRIMBLE_EXE, folder)
        before = set(os.listdir(folder))
        session.exe = os.path.join(folder, "Scrimble.exe")
        session.workdir = folder
        session.write_file("Scrimble.ini", settings(timer_kind=1, clip=1, auto_save=1,
                                                    path=windows_path(folder), number="01", up="10"))
        session.launch()
        d = Driver(session)
        d.set_root(DESKTOP)
        d.run_command(lambda: session.key("F1"))

        checks = rig.Checks()
        shot = os.path.join(folder, "Screen01.bmp")
        session.wait_until(lambda: os.path.exists(shot), 60, "Screen01.bmp")
        bmp = read_bmp(shot)
        checks.equal((bmp.width, bmp.height, bmp.bits), (*SCREEN, 24), "BMP size and depth")
        checks.equal((bmp.declared_size, bmp.expected_size()), (len(bmp.data), len(bmp.data)),
                     "BMP header's file size and pixel layout against the file length")
        checks.true(bmp.is_uniform_24(DESKTOP), "every BMP pixel is the desktop colour")
        summary, image = d.clipboard()
        checks.equal(image and (image.width, image.height), SCREEN, f"clipboard bitmap ({summary})")

        session.key("Escape")
        checks.equal(session.wait_exit(60), 0, "exit code after Esc")
        written = session.read_file("Scrimble.ini").splitlines()
        checks.true("No        :11" in written, f"settings written with the next number: {written}")
        checks.equal(set(os.listdir(folder)) - before, {"Scrimble.ini", "Screen01.bmp"},
                     "files the run left in its folder")
        checks.done()
