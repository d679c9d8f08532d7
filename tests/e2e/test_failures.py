"""The failure table end to end: each failing save or settings write ends in
one message box ("number : description") over a visible window, and loses
nothing: the earlier BMP file and the settings file stay byte for byte, and
no scratch file is left. Writes are refused in ways that hold for root, as
Wine runs here: a small tmpfs, read-only bind mounts, a read-only attribute.
"""

import collections
import contextlib
import glob
import os
import signal
import subprocess
import time

import pytest

import rig
from capture_tools import (SAVE_FAILED, TXT_NUMBER, Driver, drive_c_folder, fixture_exe, settings,
                           windows_path)

OLD_BMP = b"BM an earlier capture"
DENIED = "書き込みが許可されていないため、ファイルに書き込めません: "


def folder_of(app):
    return drive_c_folder(app, "shots")


def put_old_bmp(app):
    os.makedirs(folder_of(app), exist_ok=True)
    with open(os.path.join(folder_of(app), "Screen01.bmp"), "wb") as f:
        f.write(OLD_BMP)


def earlier_capture(app):
    with open(os.path.join(folder_of(app), "Screen01.bmp"), "rb") as f:
        return f.read()


def session(number="01", up="10", **options):
    # The last line is one the program's writer drops: a settings file that
    # was rewritten after all would not stay the same.
    app = rig.Session(start=False, ini=settings(auto_save=1, path="C:\\shots", number=number, up=up) +
                      "Kept      :x\n", **options)
    put_old_bmp(app)
    return app


def sh(stack, command, undo):
    subprocess.run(command, shell=True, check=True)
    stack.callback(subprocess.run, undo, shell=True)


def read_only(stack, path):
    sh(stack, f"mount --bind {path} {path} && mount -o remount,ro,bind {path}", f"umount -l {path}")


def full_disk(app, stack):
    sh(stack, f"mount -t tmpfs -o size=1m tmpfs {folder_of(app)}", f"umount -l {folder_of(app)}")
    put_old_bmp(app)  # on the small disk, where the capture (2.3 MB) does not fit


def hold(app, stack, *what):
    holder = subprocess.Popen([rig.WINE64, fixture_exe(), *what], env=app.env, stdin=subprocess.PIPE,
                              stdout=subprocess.PIPE, start_new_session=True)
    stack.callback(holder.wait, 30)
    stack.callback(holder.stdin.close)
    assert holder.stdout.readline().strip() == b"ready", f"the {what[0]} holder did not start"


# message: {} stands for the Windows path of `target` (the settings file for
# Escape); number_after None: the program ends. The earlier Screen01.bmp is
# a name taken: the series goes on at Screen11.bmp, unless a step of 0 names
# the one file to replace.
Row = collections.namedtuple("Row", "arrange number key message number_after files_after status_after up target",
                             defaults=(None, ["Screen01.bmp"], SAVE_FAILED, "10", "Screen11.bmp"))
ROWS = {
    "full disk": Row(full_disk, "01", "F1", "61 : ディスクの空き容量が足りないため、ファイルに書き込めません: {}", "01"),
    "read-only save folder": Row(lambda app, stack: read_only(stack, folder_of(app)), "01", "F1",
                                 "70 : " + DENIED + "{}", "01"),
    "folder named as the file": Row(lambda app, stack: os.makedirs(os.path.join(folder_of(app), "Screen11.bmp")),
                                    "11", "F1", "75 : 同じ名前のフォルダがあるため、ファイルに書き込めません: {}", "11",
                                    ["Screen01.bmp", "Screen11.bmp"], up="0"),
    # Only the copy to the clipboard failed: the capture is saved all the same.
    # A number that cannot advance: nothing is written that the next capture
    # would write over.
    "number at its limit": Row(lambda app, stack: None, "32767", "F1", "6 : オーバーフローしました。", "32767"),
    # A viewer has open the one file that each capture replaces.
    "capture open in a viewer": Row(lambda app, stack: hold(app, stack, "hold-file", "C:\\shots\\Screen01.bmp"),
                                    "01", "F1", "70 : 他のプログラムが使用中のため、ファイルに書き込めません: {}", "01",
                                    up="0", target="Screen01.bmp"),
    "clipboard held": Row(lambda app, stack: hold(app, stack, "hold-clipboard"), "11", "F1",
                          "521 : 画像をクリップボードにコピーできません。他のプログラムがクリップボードを使用中です。", "21",
                          ["Screen01.bmp", "Screen11.bmp"], " Screen11.bmp \uff1a 2,359,350 bytes"),
    "read-only settings file": Row(lambda app, stack: os.chmod(os.path.join(app.workdir, "Scrimble.ini"), 0o444),
                                   "01", "Escape", "70 : 設定を保存できませんでした。読み取り専用のため、ファイルに書き込めません: {}"),
    "read-only settings folder": Row(lambda app, stack: read_only(stack, app.workdir), "01", "Escape",
                                     "70 : 設定を保存できませんでした。" + DENIED + "{}"),
}


@pytest.mark.parametrize("name", ROWS)
def test_failure_is_told_and_loses_nothing(name):
    arrange, number, key, message, number_after, files_after, status_after, up, target = ROWS[name]
    with session(number, up) as app, contextlib.ExitStack() as stack:
        arrange(app, stack)
        settings_before = app.read_file("Scrimble.ini", encoding=None)
        app.launch()
        d = Driver(app)
        if key == "F1":
            d.run_command(lambda: app.key(key))  # the window hides and comes back
        else:
            app.key(key)
        dialogs = app.wait_until(app.msgboxes, 60, "the failure message box")

        checks = rig.Checks()
        path = windows_path(app.workdir) + "\\Scrimble.ini" if key == "Escape" else "C:\\shots\\" + target
        checks.equal([(box["title"], box["texts"][-1:], [b["text"] for b in box["buttons"]]) for box in dialogs],
                     [("Scrimble", [message.format(path)], ["OK"])], "message boxes: title, text, buttons")
        checks.equal(app.tree()["visible"], True, "window visible under the message")
        app.press_msgbox("OK")
        if number_after is None:
            checks.equal(app.wait_exit(60), 1, "exit code")
        else:
            app.wait_until(lambda: not app.msgboxes() and d.status_text() == status_after, 30, repr(status_after))
            checks.equal(app.controls()[TXT_NUMBER]["text"], number_after, "txtNumber")
        checks.equal(sorted(os.listdir(folder_of(app))), files_after, "files in the save folder (no scratch file)")
        checks.equal(earlier_capture(app), OLD_BMP, "the earlier capture")
        if status_after == SAVE_FAILED or number_after is None:
            checks.equal(app.read_file("Scrimble.ini", encoding=None), settings_before, "the settings file")
        else:  # saved: the next number kept at once
            checks.true(f"\r\nNo        :{number_after}\r\n" in app.read_file("Scrimble.ini"),
                        f"the settings file keeps the number {number_after}")
        checks.equal(glob.glob(os.path.join(app.workdir, "~*.tmp")), [], "scratch files beside the settings")
        checks.done()


def test_killed_while_saving_keeps_the_old_file_and_the_next_start_removes_the_scratch_file():
    # A 25 MB file at 3840 x 2160: written and flushed while the scratch file
    # is there, long enough to be caught by a tight poll.
    with session(width=3840, height=2160) as app:
        settings_before = app.read_file("Scrimble.ini", encoding=None)
        app.launch()
        app.key("F1")
        deadline = time.time() + 60
        while not (scratch := glob.glob(os.path.join(folder_of(app), "~*.tmp"))) and time.time() < deadline:
            pass
        os.kill(app.app.pid, signal.SIGKILL)
        assert scratch, "no scratch file within 60 s of F1"
        app.wait_exit(30)
        checks = rig.Checks()
        checks.equal(sorted(os.listdir(folder_of(app))), sorted(["Screen01.bmp", os.path.basename(scratch[0])]),
                     "after the kill: the old file and the scratch file cut short")
        # Only a scratch file nobody has written for 10 s counts as left behind.
        time.sleep(max(0.0, os.path.getmtime(scratch[0]) + 11 - time.time()))
        app.launch()
        checks.equal(os.listdir(folder_of(app)), ["Screen01.bmp"], "after the next start")
        checks.equal(earlier_capture(app), OLD_BMP, "the old file of that name")
        checks.equal(app.read_file("Scrimble.ini", encoding=None), settings_before, "the settings file")
        checks.done()
