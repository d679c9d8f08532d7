"""Numbered auto-save end to end: each capture written as folder + name +
number + ".bmp" (or ".png"), the number advanced by the step, the outcome in
the status bar; a name already taken skipped, never written over; the next
number kept through a kill; a missing folder reported and left missing.

The desktop is repainted in a new colour before each capture, so every file
can be traced to its own capture.
"""

import os
import shutil
import signal
import subprocess

import rig
from capture_tools import (CHK_AUTO_SAVE, CMD_ACTIVE_WINDOW, CMD_FULL_SCREEN, LBL_NUMBER, NOT_SAVED, SAVE_FAILED,
                           STATUS_BAR, TXT_NUMBER, Driver, OtherWindow, drive_c_folder, read_bmp, read_ppm,
                           session_with_folder, settings, status_line)

SCREEN = (1024, 768)
BMP_SIZE = 14 + 40 + SCREEN[0] * SCREEN[1] * 3  # 24 bits, rows of 3072 bytes need no padding
FOLDER = "shots"  # C:\shots
JUNK = b"not a bmp!"
# An earlier capture under the series' first name, in other letters' case.
EARLIER = "screen01.BMP"
# Three saves, a kill, a start and three more; the first name is taken.
SERIES = [
    ("Screen11.bmp", (0x33, 0x66, 0xCC), "21"),
    ("Screen21.bmp", (0x66, 0xCC, 0x33), "31"),
    ("Screen31.bmp", (0xCC, 0x33, 0x66), "41"),
    ("Screen41.bmp", (0x99, 0x33, 0xCC), "51"),
    ("Screen51.bmp", (0x33, 0xCC, 0x99), "61"),
    ("Screen61.bmp", (0xCC, 0x99, 0x33), "71"),
]
INI = settings(timer_kind=1, clip=1, auto_save=1, path="C:\\" + FOLDER, file="Screen", number="01", up="10")


def make_app():
    return session_with_folder(FOLDER, INI)


def folder_of(app):
    return drive_c_folder(app, FOLDER)


def capture_and_wait_for_status(app, d, expected_status, step):
    d.run_command(lambda: app.key("F1"))
    try:
        app.wait_until(lambda: d.status_text() == expected_status, 60, f"status {expected_status!r}")
    except AssertionError:
        raise AssertionError(f"{step}: status bar reads {d.status_text()!r}, expected "
                             f"{expected_status!r}; message boxes: {app.msgboxes()}") from None


def test_the_series_never_writes_over_a_file_and_goes_on_after_a_kill():
    """An earlier file under the series' first name is skipped, and every
    save keeps the next number in the settings file at once: three saves, a
    kill (no close), a start and three more give six new files, and neither
    the earlier file nor the first three change."""
    def earlier_file(session):
        with open(os.path.join(folder_of(session), EARLIER), "wb") as f:
            f.write(JUNK)

    app = session_with_folder(FOLDER, INI, earlier_file)
    try:
        story_of_six_captures(app)
    finally:
        app.stop()


def story_of_six_captures(app):
    folder = folder_of(app)
    checks = rig.Checks()
    controls = app.controls()
    checks.equal(controls[TXT_NUMBER]["text"], "01", "start: txtNumber")
    checks.equal(controls[LBL_NUMBER]["text"], "開始No", "start: lblNumber")
    written = {}
    for step, (name, colour, next_number) in enumerate(SERIES, start=1):
        if step == 4:
            os.kill(app.app.pid, signal.SIGKILL)
            app.wait_exit(30)
            app.launch()
            checks.equal(app.controls()[TXT_NUMBER]["text"], "41", "after the kill: the number kept")
        d = Driver(app)
        d.set_root(colour)
        capture_and_wait_for_status(app, d, status_line(name, BMP_SIZE), f"capture {step}")
        controls = app.controls()
        checks.equal(controls[TXT_NUMBER]["text"], next_number, f"capture {step}: txtNumber")
        checks.equal(controls[LBL_NUMBER]["text"], "次のNo", f"capture {step}: lblNumber")
        checks.true(f"\r\nNo        :{next_number}\r\n" in app.read_file("Scrimble.ini"),
                    f"capture {step}: the next number in the settings file at once")
        checks.equal(sorted(os.listdir(folder)), sorted([EARLIER] + [n for n, _, _ in SERIES[:step]]),
                     f"capture {step}: files in the folder (no scratch files left)")
        with open(os.path.join(folder, name), "rb") as f:
            written[name] = f.read()

    with open(os.path.join(folder, EARLIER), "rb") as f:
        checks.equal(f.read(), JUNK, f"the earlier {EARLIER}")
    for name, colour, _ in SERIES:
        path = os.path.join(folder, name)
        with open(path, "rb") as f:
            checks.true(f.read() == written[name], f"{name}: unchanged since its capture")
        bmp = read_bmp(path)
        checks.equal((bmp.width, bmp.height, bmp.planes, bmp.bits, bmp.compression),
                     (SCREEN[0], SCREEN[1], 1, 24, 0), f"{name}: width, height, planes, bits, compression")
        checks.equal(bmp.file_size, BMP_SIZE, f"{name}: file size")
        checks.equal(bmp.declared_size, bmp.file_size, f"{name}: size in the file header")
        checks.equal(bmp.pixel_offset, 54, f"{name}: pixel offset")
        checks.true(bmp.is_uniform_24(colour),
                    f"{name}: every pixel must be the desktop colour of its capture {colour} "
                    f"(top left {bmp.at(0, 0)}, centre {bmp.at(512, 384)})")
    checks.done()


def test_a_window_of_odd_width_is_saved_with_padded_rows_pixel_for_pixel(app):
    d = Driver(app)
    checks = rig.Checks()
    # Rows of 1203 bytes, padded to 1204; clear of Scrimble's own window.
    left, top, width, height, fill = 600, 300, 401, 301, (0x20, 0x90, 0x40)
    name = f"Screen{app.controls()[TXT_NUMBER]['text']}.bmp"
    with OtherWindow(app, "Odd window", left, top, width, height, fill) as other:
        info = app.tree(other.title)
        d.run_command(lambda: d.click(CMD_ACTIVE_WINDOW))
        app.wait_until(lambda: name in d.status_text(), 60, f"{name} saved")
        screen = read_ppm(app.screenshot(os.path.join(app.dir, "odd.ppm"), whole_screen=True))
    bmp = read_bmp(os.path.join(folder_of(app), name))
    checks.equal((bmp.width, bmp.height, bmp.bits, bmp.stride), (width, height, 24, 1204),
                 "width, height, bits, row stride")
    checks.equal(bmp.file_size, 54 + 1204 * height, "file size")
    padding = {bmp.data[bmp.pixel_offset + row * bmp.stride + 1203] for row in range(height)}
    checks.equal(padding, {0}, "the padding byte of every row")
    image = bmp.to_image()
    cy = info["client_origin"]["y"] - info["rect"]["y"]
    checks.equal(image.at(width // 2, height // 2), fill, "the window's fill colour in the middle")
    # Below the title bar, which turns inactive once Scrimble is back in front,
    # every pixel up to the last of each row is the one on the screen.
    shown = b"".join(screen.data[((top + y) * screen.width + left) * 3:((top + y) * screen.width + left + width) * 3]
                     for y in range(cy, height))
    saved = image.data[cy * width * 3:]
    differing = sum(1 for i in range(0, len(shown), 3) if shown[i:i + 3] != saved[i:i + 3])
    checks.equal(differing, 0, "pixels of the file that differ from the window on the screen")
    checks.done()


def test_missing_folder_is_reported_and_not_created(app):
    d = Driver(app)
    folder = folder_of(app)
    number_before = app.controls()[TXT_NUMBER]["text"]
    shutil.rmtree(folder)
    d.set_root((0x99, 0x99, 0x99))
    d.run_command(lambda: app.key("F1"))
    dialogs = app.wait_until(app.msgboxes, 60, "the failure message box")
    checks = rig.Checks()
    checks.equal(len(dialogs), 1, "one message box")
    box = dialogs[0]
    checks.equal(box["title"], "Scrimble", "message box title")
    checks.equal([b["text"] for b in box["buttons"]], ["OK"], "message box buttons")
    text = box["texts"][-1] if box["texts"] else ""
    checks.true(text.startswith("75 : "), f"message box text {text!r} must start with '75 : '")
    checks.true(FOLDER in text, f"message box text {text!r} names the file")
    checks.equal(os.path.exists(folder), False, "while the box is up: folder still missing")

    app.press_msgbox("OK")
    app.wait_until(lambda: not app.msgboxes(), 30, "the message box to close")
    app.wait_until(lambda: d.status_text() == SAVE_FAILED, 30, "the failure status")
    controls = app.controls()
    checks.equal(controls[STATUS_BAR]["text"], SAVE_FAILED, "status bar after OK")
    checks.equal(controls[TXT_NUMBER]["text"], number_before, "txtNumber unchanged")
    checks.equal(os.path.exists(folder), False, "folder not created")
    checks.equal([n for n in os.listdir(os.path.dirname(folder)) if n.lower().startswith("screen")], [],
                 "no file written beside the missing folder")
    checks.equal(app.tree()["visible"], True, "window visible")
    checks.done()


def test_status_reads_not_saved_when_auto_save_is_off(app):
    d = Driver(app)
    checks = rig.Checks()
    os.makedirs(folder_of(app))
    d.click(CHK_AUTO_SAVE)
    app.wait_until(lambda: app.controls()[CHK_AUTO_SAVE]["button"]["check"] == 0, 30, "auto-save off")
    number_before = app.controls()[TXT_NUMBER]["text"]
    d.run_command(lambda: app.key("F1"))
    app.wait_until(lambda: d.status_text() == NOT_SAVED, 30, "the not-saved status")
    checks.equal(os.listdir(folder_of(app)), [], "no file written")
    checks.equal(app.controls()[TXT_NUMBER]["text"], number_before, "txtNumber unchanged")
    checks.done()


def test_a_device_name_as_base_name_is_a_save_error_and_writes_nothing():
    # Base "NUL" and no number make "NUL.bmp", which Windows opens as the
    # NUL device: a save there would write nothing and report no error.
    app = rig.Session(start=False, ini=settings(timer_kind=1, auto_save=1, path="C:\\" + FOLDER,
                                                file="NUL", number=""))
    try:
        os.makedirs(folder_of(app))
        app.launch()
        d = Driver(app)
        d.run_command(lambda: app.key("F1"))
        dialogs = app.wait_until(app.msgboxes, 60, "the failure message box")
        checks = rig.Checks()
        checks.equal([box["texts"][-1:] for box in dialogs], [["52 : ファイル名に使えない名前です: NUL.bmp"]],
                     "message box text")
        app.press_msgbox("OK")
        app.wait_until(lambda: d.status_text() == SAVE_FAILED, 30, "the failure status")
        checks.equal(os.listdir(folder_of(app)), [], "nothing written in the folder")
        checks.equal(app.controls()[LBL_NUMBER]["text"], "開始No", "lblNumber unchanged")
        checks.done()
    finally:
        app.stop()
def test_closing_during_the_delay_saves_nothing():
    """A close that arrives while the delay runs writes the settings and ends
    the program; the capture under way is dropped, so the next run does not
    hand out the number of a file already written."""
    session = rig.Session(start=False, ini=settings(timer_kind=3, timer_time=2, clip=0, auto_save=1,
                                                    path="C:\\" + FOLDER, number="01", up="10"))
    try:
        os.makedirs(folder_of(session))
        session.launch()
        d = Driver(session)
        session.key("F1")
        session.wait_until(lambda: not d.mapped(), 30, "the window to hide", interval=0.05)
        session.probe("post", session.title, 0x0010, 0, 0)  # WM_CLOSE, as the system sends it
        checks = rig.Checks()
        checks.equal(session.wait_exit(60), 0, "exit code")
        checks.equal(os.listdir(folder_of(session)), [], "files in the folder")
        settings_file = session.read_file("Scrimble.ini")
        checks.true("\r\nNo        :01\r\n" in settings_file, f"number in the settings: {settings_file!r}")
        checks.done()
    finally:
        session.stop()


def test_png_series_equals_the_capture_and_the_choice_survives_a_restart():
    """Auto-save in PNG: the file decodes (outside the program) to exactly the
    picture on the clipboard, is far smaller than the BMP would be, and the
    choice comes back after a restart, numbering on."""
    app = rig.Session(start=False, ini=settings(clip=1, auto_save=1, path="C:\\" + FOLDER, format="PNG"))
    try:
        os.makedirs(folder_of(app))
        app.launch()
        checks = rig.Checks()
        for name, colour in (("Screen01.png", (0x33, 0x66, 0xCC)), ("Screen11.png", (0xCC, 0x99, 0x33))):
            d = Driver(app)  # of this run of the program
            checks.equal(app.controls()[rig.CONTROL_IDS["cboFormat"]]["combo"]["selected"], 1, f"{name}: PNG chosen")
            d.set_root(colour)
            with OtherWindow(app, "Text window", 520, 300, 400, 300, (0xF0, 0xF0, 0xF0)):
                d.run_command(lambda: d.click(CMD_FULL_SCREEN))  # F1 would go to the window in front
                app.wait_until(lambda: name in d.status_text(), 60, f"{name} saved")
            path = os.path.join(folder_of(app), name)
            _, clip = d.clipboard()
            ppm = os.path.join(app.dir, name + ".ppm")
            subprocess.run(["convert", path, ppm], check=True)
            decoded = read_ppm(ppm)
            checks.equal((decoded.width, decoded.height), SCREEN, f"{name}: size")
            checks.true(clip is not None and decoded.data == clip.data,
                        f"{name}: every pixel must equal the capture on the clipboard")
            size = os.path.getsize(path)
            checks.true(size * 10 < BMP_SIZE, f"{name}: {size} bytes, not a tenth of the BMP's {BMP_SIZE}")
            if name == "Screen01.png":
                app.key("Escape")
                app.wait_exit(60)
                checks.true("Format    :PNG" in app.read_file("Scrimble.ini").splitlines(), "the choice written")
                app.launch()
        checks.equal(sorted(os.listdir(folder_of(app))), ["Screen01.png", "Screen11.png"], "files in the folder")
        checks.done()
    finally:
        app.stop()
