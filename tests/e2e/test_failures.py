"""The failure table end to end. Each way a save or the settings can fail
ends in one message box ("number : description", naming what failed and
where) over a visible window, and loses nothing: the BMP file already in the
folder and the settings file stay byte for byte as they were, and no scratch
file is left behind. A program killed while saving leaves the old file whole,
and its scratch file is gone once the program has started again.

The folders are made to refuse writes in ways that hold for root, as Wine
runs here: a small tmpfs, read-only bind mounts, a read-only file attribute
(which Wine, unlike Windows, would not enforce by itself).
"""

import contextlib
import ctypes
import os
import select
import signal
import struct
import subprocess
import time
from dataclasses import dataclass, field
from typing import Callable

import pytest

import rig
from capture_tools import SAVE_FAILED, STATUS_BAR, TXT_NUMBER, Driver, fixture_exe, settings, windows_path

FOLDER = "shots"  # C:\shots
OLD_BMP = b"BM an earlier capture, kept byte for byte"
BMP_SIZE = 14 + 40 + 1024 * 768 * 3
STALE_SCRATCH_SECONDS = 10  # kStaleScratchSeconds in src/platform/file_io.h


def ini(number):
    # The extra line is one the program's writer drops: a settings file that
    # was written after all would not stay the same.
    return settings(timer_kind=1, clip=1, auto_save=1, path="C:\\" + FOLDER, number=number) + "Kept      :x\n"


def folder_of(app):
    return os.path.join(app.prefix, "drive_c", FOLDER)


def scratch_files(*folders):
    return [name for folder in folders if os.path.isdir(folder)
            for name in os.listdir(folder) if name.startswith("~") and name.endswith(".tmp")]


def run(*command):
    subprocess.run(command, check=True, stdout=subprocess.DEVNULL, stderr=subprocess.PIPE)


def read_only_mount(stack, path):
    run("mount", "--bind", path, path)
    stack.callback(run, "umount", "-l", path)
    run("mount", "-o", "remount,ro,bind", path)


def put_old_bmp(app):
    os.makedirs(folder_of(app), exist_ok=True)
    with open(os.path.join(folder_of(app), "Screen01.bmp"), "wb") as f:
        f.write(OLD_BMP)


# ------------------------------------------------------------------ arrangements

def full_disk(app, stack):
    run("mount", "-t", "tmpfs", "-o", "size=1m", "tmpfs", folder_of(app))
    stack.callback(run, "umount", "-l", folder_of(app))
    put_old_bmp(app)  # on the small disk, where the capture does not fit


def read_only_save_folder(app, stack):
    read_only_mount(stack, folder_of(app))


def folder_named_as_the_file(app, stack):
    os.makedirs(os.path.join(folder_of(app), "Screen11.bmp"))


def clipboard_held(app, stack):
    holder = subprocess.Popen([rig.WINE64, fixture_exe(), "hold-clipboard"], env=app.env, stdin=subprocess.PIPE,
                              stdout=subprocess.PIPE, stderr=subprocess.DEVNULL, start_new_session=True)
    stack.callback(holder.wait, 30)
    stack.callback(holder.stdin.close)
    if holder.stdout.readline().strip() != b"ready":
        raise rig.RigError("the clipboard holder did not start")


def read_only_settings_file(app, stack):
    os.chmod(os.path.join(app.workdir, "Scrimble.ini"), 0o444)


def read_only_settings_folder(app, stack):
    read_only_mount(stack, app.workdir)


@dataclass
class Row:
    arrange: Callable
    number: str          # txtNumber at start: Screen<number>.bmp is the target
    key: str             # F1 saves, Escape writes the settings and ends
    message: str         # {file}: the target's Windows path
    number_after: str = None  # None: the program ends
    status_after: str = SAVE_FAILED
    files_after: list = field(default_factory=lambda: ["Screen01.bmp"])


ROWS = {
    "full disk": Row(full_disk, "01", "F1",
                     "61 : ディスクの空き容量が足りないため、ファイルに書き込めません: {file}", "01"),
    "read-only save folder": Row(read_only_save_folder, "01", "F1",
                                 "70 : 書き込みが許可されていないため、ファイルに書き込めません: {file}", "01"),
    "folder named as the file": Row(folder_named_as_the_file, "11", "F1",
                                    "75 : 同じ名前のフォルダがあるため、ファイルに書き込めません: {file}", "11",
                                    files_after=["Screen01.bmp", "Screen11.bmp"]),
    # The capture only missed the clipboard: it is saved all the same.
    "clipboard held": Row(clipboard_held, "11", "F1",
                          "521 : 画像をクリップボードにコピーできません。他のプログラムがクリップボードを使用中です。", "21",
                          f" Screen11.bmp \uff1a {BMP_SIZE:,} bytes", ["Screen01.bmp", "Screen11.bmp"]),
    "read-only settings file": Row(read_only_settings_file, "01", "Escape",
                                   "70 : 設定を保存できませんでした。読み取り専用のため、ファイルに書き込めません: {ini}"),
    "read-only settings folder": Row(read_only_settings_folder, "01", "Escape",
                                     "70 : 設定を保存できませんでした。書き込みが許可されていないため、"
                                     "ファイルに書き込めません: {ini}"),
}


@pytest.mark.parametrize("name", ROWS)
def test_failure_is_told_and_loses_nothing(name):
    row = ROWS[name]
    with rig.Session(start=False, ini=ini(row.number)) as app, contextlib.ExitStack() as stack:
        put_old_bmp(app)
        row.arrange(app, stack)
        settings_before = app.read_file("Scrimble.ini", encoding=None)
        app.launch()
        d = Driver(app)
        if row.key == "F1":
            d.run_command(lambda: app.key("F1"))
        else:
            app.key(row.key)
        dialogs = app.wait_until(app.msgboxes, 60, "the failure message box")

        checks = rig.Checks()
        target = f"C:\\{FOLDER}\\Screen{row.number}.bmp"
        expected = row.message.format(file=target, ini=windows_path(app.workdir) + "\\Scrimble.ini")
        checks.equal([(box["title"], box["texts"][-1:], [b["text"] for b in box["buttons"]]) for box in dialogs],
                     [("Scrimble", [expected], ["OK"])], "message boxes: title, text, buttons")
        checks.equal(app.tree()["visible"], True, "window visible under the message")
        app.press_msgbox("OK")
        if row.number_after is None:
            checks.equal(app.wait_exit(60), 1, "exit code after the settings could not be written")
        else:
            app.wait_until(lambda: not app.msgboxes() and d.status_text() == row.status_after, 30,
                           f"status {row.status_after!r}")
            checks.equal(app.controls()[TXT_NUMBER]["text"], row.number_after, "txtNumber")
            checks.equal(app.tree()["visible"], True, "window visible after the message")
        checks.equal(sorted(os.listdir(folder_of(app))), row.files_after, "files in the save folder")
        with open(os.path.join(folder_of(app), "Screen01.bmp"), "rb") as f:
            checks.equal(f.read(), OLD_BMP, "the earlier capture")
        checks.equal(app.read_file("Scrimble.ini", encoding=None), settings_before, "the settings file")
        checks.equal(scratch_files(app.workdir), [], "scratch files beside the settings")
        checks.done()


# ------------------------------------------------------------------ killed while saving

IN_CREATE = 0x100


class Created:
    """Tells, through inotify, the moment a file is created in a folder."""

    def __init__(self, folder):
        libc = ctypes.CDLL(None, use_errno=True)
        self.fd = libc.inotify_init1(os.O_CLOEXEC)
        if self.fd < 0 or libc.inotify_add_watch(self.fd, folder.encode(), IN_CREATE) < 0:
            raise OSError(ctypes.get_errno(), "inotify")

    def wait_for(self, accept, timeout):
        deadline = time.time() + timeout
        while select.select([self.fd], [], [], max(0, deadline - time.time()))[0]:
            data = os.read(self.fd, 65536)
            while data:
                _, _, _, length = struct.unpack_from("iIII", data)
                name = data[16:16 + length].rstrip(b"\0").decode()
                if accept(name):
                    return name
                data = data[16 + length:]
        raise AssertionError(f"no file accepted within {timeout} s")

    def close(self):
        os.close(self.fd)


def test_killed_while_saving_keeps_the_old_file_and_the_next_start_clears_the_scratch_file():
    # 3840 x 2160 x 24 bits: a 25 MB file, written and flushed after the
    # scratch file appears; the kill lands within a millisecond of it.
    with rig.Session(start=False, width=3840, height=2160, ini=ini("01")) as app:
        put_old_bmp(app)
        settings_before = app.read_file("Scrimble.ini", encoding=None)
        app.launch()
        created = Created(folder_of(app))
        try:
            app.key("F1")
            scratch = created.wait_for(lambda name: name.startswith("~") and name.endswith(".tmp"), 60)
            os.kill(app.app.pid, signal.SIGKILL)
        finally:
            created.close()
        app.wait_exit(30)
        checks = rig.Checks()
        folder = folder_of(app)
        checks.equal(sorted(os.listdir(folder)), sorted(["Screen01.bmp", scratch]),
                     "after the kill: the old file and the scratch file cut short")
        # Only a scratch file nobody has written for a while counts as left behind.
        time.sleep(max(0.0, os.path.getmtime(os.path.join(folder, scratch)) + STALE_SCRATCH_SECONDS + 1 - time.time()))

        app.launch()
        checks.equal(sorted(os.listdir(folder)), ["Screen01.bmp"], "after the next start")
        with open(os.path.join(folder, "Screen01.bmp"), "rb") as f:
            checks.equal(f.read(), OLD_BMP, "the old file of that name")
        checks.equal(app.read_file("Scrimble.ini", encoding=None), settings_before, "the settings file")
        checks.done()
