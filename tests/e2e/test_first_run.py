"""The first run and the settings file's edges end to end: a default file
that sends captures to the user's Pictures folder, a working folder that
takes no settings file, a save folder longer than 100 characters, and a held
F4 that opens the folder once.

Wine links the profile's Pictures and Documents folders to the Linux home
folder; every session here gets folders of its own in their place, so that
no capture lands in the real home folder and sessions share nothing.
"""

import contextlib
import os
import re
import subprocess
import time

import rig
from capture_tools import Driver, drive_c_folder, read_bmp, settings, windows_path

# Starting the 32-bit program goes through an emulator on this machine.
START_TIMEOUT = max(rig.START_TIMEOUT, 480)
# What the shell starts for a folder comes up as slowly (32-bit for the 32-bit build).
LAUNCH_TIMEOUT = 480
EXIT_TIMEOUT = 120

ID = rig.CONTROL_IDS
SCREEN_BMP_SIZE = 14 + 40 + 1024 * 768 * 3
SETTINGS_NOT_KEPT = "設定ファイルに書き込めないため、設定は保存されません。"
SETTINGS_NOT_SAVED = "設定を保存できませんでした。"


# ------------------------------------------------------------------ helpers

def own_profile_folders(app):
    """Replaces the links of the profile's Pictures and Documents folders by
    empty folders of the session; returns the Pictures folder as (Linux
    path, Windows path)."""
    users = os.path.join(app.prefix, "drive_c", "users")
    names = [n for n in os.listdir(users) if n != "Public"]
    if len(names) != 1:
        raise rig.RigError(f"expected one user profile in {users}, found {names}")
    for folder in ("Pictures", "Documents"):
        path = os.path.join(users, names[0], folder)
        if os.path.islink(path):
            os.unlink(path)
        os.makedirs(path, exist_ok=True)
    return os.path.join(users, names[0], "Pictures"), f"C:\\users\\{names[0]}\\Pictures"


@contextlib.contextmanager
def read_only(path):
    subprocess.run(["mount", "--bind", path, path], check=True)
    try:
        subprocess.run(["mount", "-o", "remount,ro,bind", path], check=True)
        yield
    finally:
        subprocess.run(["umount", "-l", path], check=True)


def capture(app, folder, name):
    """F1 with auto-save on: the window hides and comes back, the status bar
    names the file, and the file is a whole 1024 x 768 picture in `folder`."""
    d = Driver(app)
    d.run_command(lambda: app.key("F1"))
    status = f" {name} \uff1a {SCREEN_BMP_SIZE:,} bytes"
    try:
        app.wait_until(lambda: d.status_text() == status, 60, repr(status))
    except AssertionError:
        raise AssertionError(f"after F1: status bar reads {d.status_text()!r}, expected {status!r}; "
                             f"message boxes: {app.msgboxes()}") from None
    bmp = read_bmp(os.path.join(folder, name))
    assert (bmp.width, bmp.height, bmp.file_size) == (1024, 768, SCREEN_BMP_SIZE), \
        f"{name}: {bmp.width} x {bmp.height}, {bmp.file_size} bytes"


def settings_line(app, key):
    """The value of one line of Scrimble.ini, as bytes (the file is cp932)."""
    prefix = key.ljust(10).encode() + b":"
    lines = [line for line in app.read_file("Scrimble.ini", encoding=None).split(b"\r\n")
             if line.startswith(prefix)]
    return lines[0][len(prefix):] if len(lines) == 1 else lines


def view_of(app):
    c = app.controls()
    return {
        "cboTimer": c[ID["cboTimer"]]["text"],
        "cboTime": c[ID["cboTime"]]["text"],
        "chkClip": c[ID["chkClip"]]["button"]["check"],
        "chkAutoSave": c[ID["chkAutoSave"]]["button"]["check"],
        "lblPath": c[ID["lblPath"]]["text"],
        "txtFile": c[ID["txtFile"]]["text"],
        "txtNumber": c[ID["txtNumber"]]["text"],
        "txtUp": c[ID["txtUp"]]["text"],
    }


def default_view(pictures):
    return {"cboTimer": "使用しない", "cboTime": "5", "chkClip": 1, "chkAutoSave": 1, "lblPath": pictures,
            "txtFile": "Screen", "txtNumber": "01", "txtUp": "10"}


# ------------------------------------------------------------------ tests

def test_first_start_saves_into_the_pictures_folder():
    with rig.Session(start=False) as app:
        folder, pictures = own_profile_folders(app)
        app.launch(timeout=START_TIMEOUT)
        checks = rig.Checks()
        checks.equal(settings_line(app, "Path"), pictures.encode("cp932"), "save folder in the default file")
        checks.equal((settings_line(app, "Clip"), settings_line(app, "AutoSave")), (b"1", b"1"),
                     "clipboard and auto-save in the default file")
        checks.equal(view_of(app), default_view(pictures), "controls after the first start")
        checks.done()
        capture(app, folder, "Screen01.bmp")
        checks.equal(sorted(os.listdir(folder)), ["Screen01.bmp"], "files in the Pictures folder")
        checks.equal(app.controls()[ID["txtNumber"]]["text"], "11", "number after F1")
        checks.equal(settings_line(app, "No"), b"11", "number kept in the settings at once")
        checks.done()
        # The settings lost (deleted, a new working folder): the defaults
        # start at 01 again, and the earlier capture is never written over.
        with open(os.path.join(folder, "Screen01.bmp"), "rb") as f:
            first = f.read()
        app.key("Escape")
        app.wait_exit(EXIT_TIMEOUT)
        os.remove(os.path.join(app.workdir, "Scrimble.ini"))
        app.launch(timeout=START_TIMEOUT)
        checks.equal(app.controls()[ID["txtNumber"]]["text"], "01", "number after the settings were lost")
        capture(app, folder, "Screen11.bmp")
        checks.equal(sorted(os.listdir(folder)), ["Screen01.bmp", "Screen11.bmp"], "files after the next F1")
        with open(os.path.join(folder, "Screen01.bmp"), "rb") as f:
            checks.true(f.read() == first, "Screen01.bmp from before must be unchanged")
        checks.equal(settings_line(app, "No"), b"21", "number kept after the skip")
        checks.done()


def test_a_working_folder_that_takes_no_settings_file_runs_on_the_defaults():
    with rig.Session(start=False) as app:
        folder, pictures = own_profile_folders(app)
        with read_only(app.workdir):
            app.launch(timeout=START_TIMEOUT)
            checks = rig.Checks()
            checks.equal(view_of(app), default_view(pictures), "controls after start")
            checks.equal(app.controls()[ID["StatusBar1"]]["text"], SETTINGS_NOT_KEPT, "status bar after start")
            capture(app, folder, "Screen01.bmp")

            app.key("Escape")
            boxes = app.wait_until(app.msgboxes, 60, "the message box after Esc")
            texts = [box["texts"][-1] if box["texts"] else "" for box in boxes]
            checks.equal(len(texts), 1, f"one message box after Esc: {texts}")
            # The message may carry its number first ("70 : ...").
            checks.true(texts and re.sub(r"^\d+ : ", "", texts[0]).startswith(SETTINGS_NOT_SAVED),
                        f"message after Esc {texts!r} must say {SETTINGS_NOT_SAVED!r}")
            checks.equal(app.alive(), True, "program still running while the message is up")
            app.press_msgbox("OK")
            checks.equal(app.wait_exit(EXIT_TIMEOUT), 1, "exit code after OK")
        checks.equal(os.listdir(app.workdir), [], "files in the working folder")
        checks.equal(sorted(os.listdir(folder)), ["Screen01.bmp"], "files in the Pictures folder")
        checks.done()


def test_a_save_folder_of_150_characters_is_kept_whole():
    # Four nested ASCII names: 150 characters with C:\ and the separators.
    names = [f"level{i}-".ljust(36, "x") for i in range(1, 5)]
    long_path = "C:\\" + "\\".join(names)
    assert len(long_path) == 150, long_path

    with rig.Session(start=False, ini=settings(auto_save=1, path=long_path, number="01", up="10")) as app:
        folder = drive_c_folder(app, os.path.join(*names))
        os.makedirs(folder)
        for run, name, number_after in ((1, "Screen01.bmp", b"11"), (2, "Screen11.bmp", b"21")):
            app.launch(timeout=START_TIMEOUT)
            shown = app.controls()[ID["lblPath"]]["text"]
            assert shown == long_path, f"run {run}: lblPath shows {len(shown)} characters: {shown!r}"
            capture(app, folder, name)
            app.key("Escape")
            assert app.wait_exit(EXIT_TIMEOUT) == 0, f"run {run}: exit code after Esc"
            checks = rig.Checks()
            checks.equal(settings_line(app, "Path"), long_path.encode("cp932"), f"run {run}: folder written back")
            checks.equal(settings_line(app, "No"), number_after, f"run {run}: number written back")
            checks.done()
        assert sorted(os.listdir(folder)) == ["Screen01.bmp", "Screen11.bmp"], os.listdir(folder)


def test_a_held_f4_opens_the_folder_once():
    with rig.Session(start=False) as app:
        shots = os.path.join(app.workdir, "shots")
        os.makedirs(shots)
        # Auto-save on: the name box, where the held letter goes, is usable.
        app.write_file("Scrimble.ini", settings(auto_save=1, path=windows_path(shots)))
        hand_folders_to_the_browser(app)
        app.launch(timeout=START_TIMEOUT)
        subprocess.run(["xset", "-display", app.display, "r", "on"], check=True)

        # Only a display that repeats held keys can tell the fault: a held
        # letter must type itself several times.
        app.click_control(ID["txtFile"])
        app.wait_until(lambda: app.focused_id() == ID["txtFile"], 10, "focus on txtFile")
        app.key("End")
        hold(app, "x", 1.5)
        time.sleep(1)
        typed = app.controls()[ID["txtFile"]]["text"].count("x")
        if typed < 3:
            raise rig.RigError(f"a held key typed {typed} x on this display: it does not repeat")

        # From a drop-down list, which F4 would also open and close.
        app.key("Tab", "Tab", "Tab")
        app.wait_until(lambda: app.focused_id() == ID["cboFormat"], 10, "focus on cboFormat")
        started = time.time()
        hold(app, "F4", 1.5)
        app.wait_until(app.opened_urls, LAUNCH_TIMEOUT, "the folder to be opened", interval=0.5)
        # A second open would follow the first about as fast as the first came.
        opened = settled(app.opened_urls, quiet=max(15, time.time() - started))
        assert len(opened) == 1 and windows_path(shots) in opened[0], \
            f"opened after a held F4 ({len(opened)} times): {opened[:3]}"
        assert app.alive(), f"program ended with {app.exit_code()}"
        assert not app.controls()[ID["cboFormat"]]["combo"]["dropped"], "the list dropped down by F4"


def hand_folders_to_the_browser(app):
    """Has the shell hand folders to winebrowser, which passes them to the
    session's xdg-open log (app.opened_urls()). Wine's own folder window
    takes the foreground, and the repeats of a held key would then go to it
    instead of the program."""
    reg = os.path.join(app.dir, "folders.reg")
    with open(reg, "w", encoding="utf-16", newline="\r\n") as f:
        f.write("Windows Registry Editor Version 5.00\n\n"
                "[-HKEY_CLASSES_ROOT\\Folder\\shell\\open\\ddeexec]\n\n"
                "[HKEY_CLASSES_ROOT\\Folder\\shell\\open\\command]\n"
                '@="winebrowser.exe \\"%1\\""\n')
    subprocess.run([rig.WINE64, "reg", "import", windows_path(reg)], env=app.env, check=True,
                   stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, timeout=LAUNCH_TIMEOUT)


def hold(app, key, seconds):
    """Holds a key down for that long; the X server repeats it meanwhile."""
    app.xdotool("keydown", key)
    try:
        time.sleep(seconds)
    finally:
        app.xdotool("keyup", key)


def settled(read, quiet, limit=300):
    """What read() returns once it has stayed the same for `quiet` seconds."""
    value, since, started = read(), time.time(), time.time()
    while time.time() - since < quiet and time.time() - started < limit:
        time.sleep(1)
        now = read()
        if now != value:
            value, since = now, time.time()
    return value
