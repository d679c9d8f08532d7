"""Scrimble.ini end to end: what the program reads at start, shows in its
controls and writes back when it ends, under a Japanese locale where the file
is in code page 932.

Every test starts the real program in a fresh working directory; a start
costs one to three minutes here, so each test checks a whole run: the file
after start, the controls, the window's place, and the file after Esc.
"""

import getpass
import os

import pytest

import rig
from capture_tools import DEFAULT_OPTION_LINES

# Starting the 32-bit program goes through an emulator on this machine and
# competes with other Wine sessions for two cores.
START_TIMEOUT = max(rig.START_TIMEOUT, 480)
EXIT_TIMEOUT = 120

TWIPS_PER_PIXEL = 15

ID = rig.CONTROL_IDS

# The auto-save fields follow the AutoSave check box.
AUTO_SAVE_FIELDS = ("txtFile", "txtNumber", "txtUp", "cmdPath", "lblPath")

# Captures go to the user's Pictures folder by default, as Wine's shell names
# it for the prefix's user (the Unix user).
PICTURES = f"C:\\users\\{getpass.getuser()}\\Pictures"

DEFAULT_FILE = (
    b"FormTop   :10\r\n"
    b"FormLeft  :10\r\n"
    b"TimerKind :1\r\n"
    b"TimerTime :5\r\n"
    b"Clip      :1\r\n"
    b"AutoSave  :1\r\n"
    b"Path      :" + PICTURES.encode("cp932") + b"\r\n"
    b"File      :Screen\r\n"
    b"No        :01\r\n"
    b"Up        :10\r\n"
    b"Format    :BMP\r\n" + "".join(line + "\r\n" for line in DEFAULT_OPTION_LINES).encode()
)

# What the controls show for the default file.
DEFAULT_VIEW = {
    "cboTimer": ("使用しない", 0),
    "cboTime": ("5", 4),
    "cboTime enabled": False,
    "chkClip": 1,
    "chkAutoSave": 1,
    "lblPath": PICTURES,
    "txtFile": "Screen",
    "txtNumber": "01",
    "txtUp": "10",
    "auto-save fields enabled": True,
}


def ini_bytes(lines):
    return "".join(line + "\r\n" for line in lines).encode("cp932")


def start(ini=None):
    """A session with Scrimble running in a working directory that holds
    `ini` (bytes) as Scrimble.ini, or no file at all."""
    app = rig.Session(start=False)
    try:
        if ini is not None:
            app.write_file("Scrimble.ini", ini)
        app.launch(timeout=START_TIMEOUT)
    except BaseException:
        app.stop()
        raise
    return app


def view_of(app):
    """The settings as the controls show them."""
    controls = app.controls()

    def combo(name):
        c = controls[ID[name]]
        return c["text"], c["combo"]["selected"]

    fields = [controls[ID[name]]["enabled"] for name in AUTO_SAVE_FIELDS]
    return {
        "cboTimer": combo("cboTimer"),
        "cboTime": combo("cboTime"),
        "cboTime enabled": controls[ID["cboTime"]]["enabled"],
        "chkClip": controls[ID["chkClip"]]["button"]["check"],
        "chkAutoSave": controls[ID["chkAutoSave"]]["button"]["check"],
        "lblPath": controls[ID["lblPath"]]["text"],
        "txtFile": controls[ID["txtFile"]]["text"],
        "txtNumber": controls[ID["txtNumber"]]["text"],
        "txtUp": controls[ID["txtUp"]]["text"],
        "auto-save fields enabled": all(fields) if all(fields) == any(fields) else "mixed",
    }


def check_view(checks, app, expected, step):
    actual = view_of(app)
    for key, value in expected.items():
        checks.equal(actual[key], value, f"{step}: {key}")


def check_window_at(checks, app, left_twips, top_twips, step):
    # The settings place the outer window (frame included), so the outer
    # rectangle is what must match.
    rect = app.tree()["rect"]
    checks.near(rect["x"], round(left_twips / TWIPS_PER_PIXEL), 1, f"{step}: window left in pixels")
    checks.near(rect["y"], round(top_twips / TWIPS_PER_PIXEL), 1, f"{step}: window top in pixels")


def check_defaults(checks, app, step):
    """The default file on disk, its values in the controls, the window at its default place."""
    checks.equal(app.read_file("Scrimble.ini", encoding=None), DEFAULT_FILE, f"{step}: settings file")
    check_view(checks, app, DEFAULT_VIEW, step)
    check_window_at(checks, app, 10, 10, step)


def end_with_escape(app, checks, step):
    app.key("Escape")
    code = app.wait_exit(EXIT_TIMEOUT)
    checks.equal(code, 0, f"{step}: exit code after Esc")


def test_first_start_writes_the_default_file_and_shows_its_values():
    app = start(ini=None)
    try:
        checks = rig.Checks()
        check_defaults(checks, app, "first start")
        end_with_escape(app, checks, "first start")
        checks.equal(app.read_file("Scrimble.ini", encoding=None), DEFAULT_FILE,
                     "file written back after Esc")
        checks.done()
    finally:
        app.stop()


def test_hand_edited_file_is_shown_and_written_back_as_it_was():
    lines = [
        "FormTop   :1500",
        "FormLeft  :3000",
        "TimerKind :3",
        "TimerTime :2",
        "Clip      :2",
        "AutoSave  :0",
        "Path      :C:\\画像\\ｽｸﾘｰﾝ",
        "File      :画面",
        "No        :1234567",
        "Up        :5",
    ]
    original = ini_bytes(lines)
    app = start(ini=original)
    try:
        checks = rig.Checks()
        check_view(checks, app, {
            "cboTimer": ("常時使用", 2),
            "cboTime": ("2", 1),
            "cboTime enabled": True,
            "chkClip": 2,            # greyed
            "chkAutoSave": 0,
            "lblPath": "C:\\画像\\ｽｸﾘｰﾝ",
            "txtFile": "画面",
            "txtNumber": "12345",    # the box holds five characters
            "txtUp": "5",
            "auto-save fields enabled": False,
        }, "after start")
        check_window_at(checks, app, 3000, 1500, "after start")
        checks.equal(app.read_file("Scrimble.ini", encoding=None), original,
                     "a usable file is not rewritten at start")
        end_with_escape(app, checks, "hand-edited file")
        # Written back with the format line the file of ten lines lacked.
        expected = ini_bytes(lines[:8] + ["No        :12345"] + lines[9:] + ["Format    :BMP"] + DEFAULT_OPTION_LINES)
        checks.equal(app.read_file("Scrimble.ini", encoding=None), expected,
                     "file written back after Esc (number cut to five characters)")
        checks.done()
    finally:
        app.stop()


def test_file_with_an_unusable_value_is_replaced_by_the_defaults():
    # Clip 3 is no check state; every other value of the file gives way with
    # it, but the file is kept beside as Scrimble.ini.bak, byte for byte.
    damaged = ini_bytes([
        "FormTop   :1500",
        "FormLeft  :3000",
        "TimerKind :3",
        "TimerTime :2",
        "Clip      :3",
        "AutoSave  :0",
        "Path      :D:\\pics",
        "File      :Shot",
        "No        :7",
        "Up        :2",
    ])
    app = start(ini=damaged)
    try:
        checks = rig.Checks()
        check_defaults(checks, app, "after start")
        checks.true(not app.msgboxes(), "a recovery that succeeds shows no message")
        checks.equal(app.read_file("Scrimble.ini.bak", encoding=None), damaged, "the damaged file kept as .bak")
        checks.done()
    finally:
        app.stop()


def test_position_outside_every_monitor_falls_back_to_the_default_place():
    # A left edge of 999999 twips is about 66666 pixels: on no monitor.
    lines = [
        "FormTop   :1500",
        "FormLeft  :999999",
        "TimerKind :2",
        "TimerTime :3",
        "Clip      :0",
        "AutoSave  :1",
        "Path      :C:\\",
        "File      :Screen",
        "No        :01",
        "Up        :10",
    ]
    app = start(ini=ini_bytes(lines))
    try:
        checks = rig.Checks()
        check_window_at(checks, app, 10, 10, "after start")
        checks.true(app.tree()["visible"], "window visible")
        # Only the place is given up: the other settings still apply.
        check_view(checks, app, {
            "cboTimer": ("アクティブのみ", 1),
            "cboTime": ("3", 2),
            "cboTime enabled": True,
            "chkClip": 0,
        }, "after start")
        end_with_escape(app, checks, "off-screen position")
        expected = ini_bytes(["FormTop   :10", "FormLeft  :10"] + lines[2:] + ["Format    :BMP"] + DEFAULT_OPTION_LINES)
        checks.equal(app.read_file("Scrimble.ini", encoding=None), expected,
                     "file written back with the place the window really had")
        checks.done()
    finally:
        app.stop()


WM_CLOSE = 0x0010
WM_SYSCOMMAND = 0x0112
SC_MINIMIZE = 0xF020


@pytest.mark.parametrize("dpi", [96, 144, 192])
def test_moved_window_closed_while_minimised_reopens_where_it_was(dpi):
    place = (123, 77)  # at 192 DPI its twips are no whole number
    with rig.Session(start=False, dpi=dpi, width=1920, height=1080, ini=DEFAULT_FILE) as app:
        rect = app.launch(timeout=START_TIMEOUT)["rect"]
        # Dragged by the caption, as a user moves it.
        x, y = rect["x"] + 60, rect["y"] + 8
        app.xdotool("mousemove", "--sync", x, y, "mousedown", 1,
                    "mousemove", x + place[0] - rect["x"], y + place[1] - rect["y"], "mouseup", 1)
        app.wait_until(lambda: (app.tree()["rect"]["x"], app.tree()["rect"]["y"]) == place, what="the move")
        app.probe("post", app.title, WM_SYSCOMMAND, SC_MINIMIZE, 0)
        app.wait_until(lambda: app.tree()["minimized"], what="the window to be minimised")
        app.probe("post", app.title, WM_CLOSE, 0, 0)
        checks = rig.Checks()
        checks.equal(app.wait_exit(EXIT_TIMEOUT), 0, "exit code after closing")
        saved = [float(line[11:]) * dpi / 1440 for line in app.read_file("Scrimble.ini").splitlines()[:2]]
        checks.equal((round(saved[1]), round(saved[0])), place, f"place saved in twips, as pixels ({saved})")
        rect = app.launch(timeout=START_TIMEOUT)["rect"]
        checks.equal((rect["x"], rect["y"]), place, "place after reopening")
        checks.done()
