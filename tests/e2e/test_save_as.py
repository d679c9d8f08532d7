"""Save As end to end: the picture in the preview written through the
system's save dialog (Wine's own here), driven by keys as a user drives it.
The extension typed decides the encoding, else the type chosen in the
dialog does; the dialog proposes the
last auto-saved name in the auto-save folder, and the numbering stays where
it is; Cancel writes nothing; before the first capture there is nothing to
save.
"""

import os
import subprocess

import rig
from capture_tools import (CMD_FULL_SCREEN, STATUS_BAR, TXT_NUMBER, Driver, OtherWindow, drive_c_folder,
                           read_bmp, read_ppm, session_with_folder, settings, status_line)

SCREEN = (1024, 768)
FOLDER = "shots"  # C:\shots
CMD_SAVE = 1020
# Controls of Wine's save dialog: the file name box and the type list.
FILE_NAME = 1152
FILE_TYPE = 1136
TYPES = ["PNG (*.png)", "JPEG (*.jpg; *.jpeg)", "BMP (*.bmp)"]
DESKTOP = (0x33, 0x66, 0xCC)
# A window with a title bar, text and sharp edges gives the JPEG something
# to lose; the plain desktop around it should come through nearly untouched.
OTHER = ("Save As subject", 520, 300, 400, 300, (0xF0, 0xF0, 0xF0))
# The first dialog loads the shell's browser; through qemu that takes long.
DIALOG_TIMEOUT = 180

_captured = set()  # session directories whose program holds a capture


def make_app():
    return session_with_folder(FOLDER, settings(clip=0, auto_save=1, path="C:\\" + FOLDER, file="Screen",
                                                number="01", up="10"))


def folder_of(app):
    return drive_c_folder(app, FOLDER)


def save_dialog(app):
    """The visible dialog that Scrimble owns, as the probe lists it, or None."""
    boxes = [b for b in app.msgboxes() if b["owner_title"] == app.title]
    return boxes[0] if boxes else None


def capture(app):
    """One whole-screen capture (auto-saved as Screen01.bmp), once per session."""
    d = Driver(app)
    if app.dir not in _captured:
        d.set_root(DESKTOP)
        with OtherWindow(app, *OTHER):
            d.run_command(lambda: d.click(CMD_FULL_SCREEN))
            app.wait_until(lambda: "Screen01.bmp" in d.status_text(), 60, "Screen01.bmp saved")
        _captured.add(app.dir)
    # Keys must reach Scrimble, not whatever took the front when the other
    # window closed.
    if not app.tree()["foreground"]:
        d.click(STATUS_BAR)
        app.wait_until(lambda: app.tree()["foreground"], 30, "Scrimble in front")
    return d


def open_dialog(app, start):
    start()
    box = app.wait_until(lambda: save_dialog(app), DIALOG_TIMEOUT, "the Save As dialog")
    return box, app.controls(box["title"])


def close_dialog(app, *keys):
    app.key(*keys)
    app.wait_until(lambda: save_dialog(app) is None, 60, "the Save As dialog to close")


def choose(app, type_index, name):
    """In the open dialog: the type first (Tab to the type list, Down), then
    back to the name box and the whole name replaced. In that order the name
    stays as typed: Wine rewrites the extension in the box on a type change."""
    app.key("Tab", *(["Down"] * type_index), "shift+Tab")
    app.key("End", "shift+Home")
    app.type(name)


def moved_within(app, before):
    """The focus has left `before` for another control of Scrimble's window."""
    f = app.focus()
    return (f["active"] is not None and f["active"]["text"] == app.title
            and f["focus"] is not None and f["focus"]["id"] != before)


def jpeg_errors(image, reference, block=16):
    """Per colour channel: the mean absolute difference over the picture and
    the largest mean over one block of block x block pixels, which a
    damaged or misplaced piece drives up while ringing at edges does not."""
    out = []
    w, h = image.width, image.height
    for c in range(3):
        diff = bytes(abs(a - b) for a, b in zip(image.data[c::3], reference.data[c::3]))
        worst = 0
        for top in range(0, h - block + 1, block):
            for left in range(0, w - block + 1, block):
                total = sum(sum(diff[(top + y) * w + left:(top + y) * w + left + block]) for y in range(block))
                worst = max(worst, total / block ** 2)
        out.append((round(sum(diff) / len(diff), 2), round(worst, 1)))
    return out


def decode(app, path):
    ppm = os.path.join(app.dir, os.path.basename(path) + ".ppm")
    subprocess.run(["convert", path, ppm], check=True, capture_output=True, timeout=120)
    return read_ppm(ppm)


def test_save_as_is_greyed_and_ctrl_s_does_nothing_before_the_first_capture(app):
    # Runs first so the shared program has no capture yet; a fresh one otherwise.
    own = make_app() if app.dir in _captured else None
    s = own or app
    try:
        checks = rig.Checks()
        controls = s.controls()
        checks.equal(controls[CMD_SAVE]["enabled"], False, "cmdSave enabled before any capture")
        status = controls[STATUS_BAR]["text"]
        before = s.focused_id()
        # The Tab after Ctrl+S proves that Ctrl+S has been handled: it moves
        # the focus only once the program is back in its own window's loop;
        # a dialog would have become the thread's active window instead.
        s.key("ctrl+s", "Tab")
        s.wait_until(lambda: moved_within(s, before), 30, "the Tab after Ctrl+S to move Scrimble's focus")
        checks.equal(save_dialog(s), None, "dialog after Ctrl+S")
        checks.equal([w["title"] for w in s.windows()], [s.title], "visible top-level windows")
        controls = s.controls()
        checks.equal(controls[STATUS_BAR]["text"], status, "status bar")
        checks.equal(controls[CMD_SAVE]["enabled"], False, "cmdSave enabled after Ctrl+S")
        checks.equal(os.listdir(folder_of(s)), [], "files in the folder")
        checks.done()
    finally:
        if own:
            own.stop()


def test_save_as_png_jpeg_and_bmp_through_the_dialog(app):
    d = capture(app)
    folder = folder_of(app)
    checks = rig.Checks()
    checks.equal(app.controls()[CMD_SAVE]["enabled"], True, "cmdSave enabled after a capture")
    number = app.controls()[TXT_NUMBER]["text"]
    screen_bmp = os.path.join(folder, "Screen01.bmp")
    with open(screen_bmp, "rb") as f:
        bmp_bytes = f.read()
    reference = read_bmp(screen_bmp).to_image()
    files = {"Screen01.bmp"}

    # (how the dialog is opened, type, name typed, file expected): a missing
    # extension added, one already there not doubled, and a typed extension
    # deciding the format over the type chosen (Wine's dialog would make it
    # "shot.jpg.png"). Bare names land in C:\shots only if the dialog opened
    # there: Scrimble runs elsewhere.
    saves = [("cmdSave", 0, "Copy1", "Copy1.png"),
             ("Ctrl+S", 1, "Copy2", "Copy2.jpg"),
             ("Ctrl+S", 2, "Copy3.bmp", "Copy3.bmp"),
             ("Ctrl+S", 0, "shot.jpg", "shot.jpg")]
    for opener, type_index, typed, expected in saves:
        start = (lambda: d.click(CMD_SAVE)) if opener == "cmdSave" else (lambda: app.key("ctrl+s"))
        box, dialog = open_dialog(app, start)
        step = f"{expected} ({opener})"
        checks.equal(dialog[FILE_NAME]["text"], "Screen01", f"{step}: proposed name")
        checks.equal(dialog[FILE_TYPE]["combo"]["items"], TYPES, f"{step}: file types")
        checks.equal(dialog[FILE_TYPE]["combo"]["selected"], 0, f"{step}: type proposed")
        checks.equal(app.tree()["enabled"], False, f"{step}: Scrimble disabled under the dialog")
        choose(app, type_index, typed)
        dialog = app.controls(box["title"])
        checks.equal(dialog[FILE_TYPE]["combo"]["selected"], type_index, f"{step}: type chosen")
        checks.equal(dialog[FILE_NAME]["text"], typed, f"{step}: name typed")
        close_dialog(app, "Return")

        path = os.path.join(folder, expected)
        files.add(expected)
        # The status bar names what was written; wait for it, then compare.
        app.wait_until(lambda: expected in d.status_text(), 60, f"{expected} in the status bar")
        size = os.path.getsize(path) if os.path.exists(path) else None
        checks.equal(d.status_text(), status_line(expected, size or 0), f"{step}: status bar")
        checks.equal(sorted(os.listdir(folder)), sorted(files),
                     f"{step}: files in the folder (extension added, no scratch file left)")
        checks.equal(app.controls()[TXT_NUMBER]["text"], number, f"{step}: txtNumber")
        if size is None:
            continue
        with open(path, "rb") as f:
            data = f.read()
        kind = os.path.splitext(expected)[1]
        if kind == ".png":
            checks.equal(data[:8], b"\x89PNG\r\n\x1a\n", f"{step}: PNG signature")
            image = decode(app, path)
            checks.equal((image.width, image.height), SCREEN, f"{step}: size")
            checks.true(image.data == reference.data, f"{step}: every pixel must equal Screen01.bmp's")
        elif kind == ".jpg":
            checks.equal(data[:3], b"\xff\xd8\xff", f"{step}: JPEG signature")
            image = decode(app, path)
            checks.equal((image.width, image.height), SCREEN, f"{step}: size")
            if (image.width, image.height) == SCREEN:
                # Wine's encoder ignores the quality asked for and writes its
                # default, so the bounds leave room for that.
                errors = jpeg_errors(image, reference)
                checks.true(all(mean < 3 and worst < 40 for mean, worst in errors),
                            f"{step}: error per channel (mean, worst 16x16 block) {errors} "
                            f"must stay under (3, 40)")
            checks.true(len(data) * 10 < len(bmp_bytes), f"{step}: {len(data)} bytes, not a tenth of the BMP's")
        else:
            checks.true(data == bmp_bytes, f"{step}: must be byte for byte Screen01.bmp "
                                           f"({len(data)} bytes, starts {data[:2]!r})")
    checks.done()


def test_cancel_writes_nothing_and_leaves_the_status(app):
    d = capture(app)
    folder = folder_of(app)
    files = sorted(os.listdir(folder))
    status = d.status_text()
    number = app.controls()[TXT_NUMBER]["text"]
    open_dialog(app, lambda: app.key("ctrl+s"))
    # A name typed and then abandoned: Escape must not save it.
    app.key("End", "shift+Home")
    app.type("Cancelled")
    close_dialog(app, "Escape")
    checks = rig.Checks()
    controls = app.controls()  # answered once the command has returned
    checks.equal(sorted(os.listdir(folder)), files, "files in the folder")
    checks.equal(controls[STATUS_BAR]["text"], status, "status bar")
    checks.equal(controls[TXT_NUMBER]["text"], number, "txtNumber")
    checks.equal(app.tree()["enabled"], True, "Scrimble enabled again")
    checks.done()
