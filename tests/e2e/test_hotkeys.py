"""Capturing from anywhere end to end: PrtSc and Alt+PrtSc pressed while
another program's window has the focus, a held key, a minimised window, a
key another program holds, the options dialog, the cursor drawn in, and the
icon in the notification area with its menu.

Keys go by XTEST to the window that has the X focus, as a user's do. Alt
is let go after PrtSc: `xdotool key alt+Print` lets go of Alt first, which
the window in front takes for a lone Alt (its menu).
"""

import os
import subprocess
import time

import rig
from capture_tools import (STATUS_BAR, Driver, OtherWindow, drive_c_folder, fixture_exe, read_bmp,
                           session_with_folder, settings)

SCREEN = (1024, 768)
BMP_SIZE = 14 + 40 + SCREEN[0] * SCREEN[1] * 3
FOLDER = "shots"
DESKTOP = (0x33, 0x66, 0xCC)
OTHER = ("Another program", 420, 260, 360, 240, (0x20, 0x90, 0x40))
WM_SYSCOMMAND = 0x0112
SC_MINIMIZE = 0xF020
SYSTEM_MENU_OPTIONS = 0x0100
OPTIONS = "オプション"
# The options dialog's controls: 1100 + the row of its layout.
CHK_SCREEN = 1103
CMD_OK = 1119
# Wine's own notification area (Session(tray=True)) and its first icon.
TRAY_ICON = (13, 32)


def ini(**options):
    lines = settings(timer_kind=1, clip=0, auto_save=1, path="C:\\" + FOLDER)
    return lines + "".join(f"{key.ljust(10)}:{value}\n" for key, value in options.items())


def folder_of(app):
    return drive_c_folder(app, FOLDER)


def print_screen(app, alt=False):
    keys = ["alt", "Print"] if alt else ["Print"]
    for key in keys:
        app.xdotool("keydown", key)
    for key in reversed(keys):
        app.xdotool("keyup", key)


def saved(app, name, timeout=60):
    """Waits for the file and for the status bar naming it, and reads it."""
    path = os.path.join(folder_of(app), name)
    app.wait_until(lambda: os.path.exists(path) and name in app.controls()[STATUS_BAR]["text"], timeout,
                   f"{name} saved")
    return read_bmp(path)


def files(app):
    return sorted(os.listdir(folder_of(app)))


def test_keys_capture_from_another_program_which_stays_in_front():
    app = session_with_folder(FOLDER, ini())
    try:
        checks = rig.Checks()
        Driver(app).set_root(DESKTOP)
        title, left, top, width, height, fill = OTHER
        with OtherWindow(app, *OTHER):
            app.wait_until(lambda: app.tree(title)["foreground"], 30, "the other program in front")

            print_screen(app)
            bmp = saved(app, "Screen01.bmp")
            image = bmp.to_image()
            checks.equal((bmp.width, bmp.height), SCREEN, "PrtSc: the whole screen")
            checks.equal(image.at(left + width // 2, top + height // 2), fill, "PrtSc: the other window in it")
            checks.equal(image.at(100, 300), DESKTOP, "PrtSc: the desktop where Scrimble's window stands")
            checks.equal(app.tree(title)["foreground"], True, "PrtSc: the other program still in front")
            checks.equal(app.tree()["visible"], True, "PrtSc: Scrimble's window shown again")

            print_screen(app, alt=True)
            bmp = saved(app, "Screen11.bmp")
            rect = app.tree(title)["rect"]
            checks.equal((bmp.width, bmp.height), (rect["w"], rect["h"]), "Alt+PrtSc: the other window's size")
            checks.equal(bmp.to_image().at(bmp.width // 2, bmp.height // 2), fill, "Alt+PrtSc: its client")
            checks.equal(app.tree(title)["foreground"], True, "Alt+PrtSc: the other program still in front")
            checks.equal(app.focus(title)["foreground_title"], title, "Alt+PrtSc: the focus where it was")

            # A held key repeats (the X server's autorepeat): one capture.
            subprocess.run(["xset", "-display", app.display, "r", "on"], check=True)
            app.xdotool("keydown", "Print")
            time.sleep(1.5)
            app.xdotool("keyup", "Print")
            saved(app, "Screen21.bmp")
            time.sleep(3)
            checks.equal(files(app), ["Screen01.bmp", "Screen11.bmp", "Screen21.bmp"], "after a held PrtSc")

        # Minimised, the window stays so; the keys still save.
        app.probe("post", app.title, WM_SYSCOMMAND, SC_MINIMIZE, 0)
        app.wait_until(lambda: app.tree()["minimized"], 30, "Scrimble minimised")
        print_screen(app)
        saved(app, "Screen31.bmp")
        checks.equal(app.tree()["minimized"], True, "PrtSc while minimised: still minimised")
        checks.done()
    finally:
        app.stop()


def test_a_key_held_by_another_program_is_named_and_the_options_turn_keys_off_for_good():
    app = rig.Session(start=False, ini=ini(Cursor=1))
    holder = None
    try:
        os.makedirs(folder_of(app))
        holder = subprocess.Popen([rig.WINE64, fixture_exe(), "hold-hotkey"], env=app.env, stdin=subprocess.PIPE,
                                  stdout=subprocess.PIPE, start_new_session=True)
        assert holder.stdout.readline().strip() == b"ready", "the fixture could not have Alt+PrtSc"
        app.launch()
        checks = rig.Checks()
        status = app.wait_until(lambda: app.controls()[STATUS_BAR]["text"], 30, "the status after the start")
        checks.equal(status, "Alt+PrtSc は他のプログラムが使用中です。", "status bar names the key held elsewhere")

        # PrtSc still works, and draws the cursor where the pointer is.
        Driver(app).set_root(DESKTOP)
        app.xdotool("mousemove", "--sync", 600, 400)
        print_screen(app)
        image = saved(app, "Screen01.bmp").to_image()
        cursor = [image.at(600 + dx, 400 + dy) for dx in range(0, 8) for dy in range(0, 12)]
        checks.true(any(pixel != DESKTOP for pixel in cursor), "the cursor's pixels at the pointer")
        checks.equal(image.at(640, 440), DESKTOP, "no cursor away from the pointer")

        # Off in the options: PrtSc saves nothing, also after a restart.
        set_key_in_options(app, CHK_SCREEN)
        print_screen(app)
        time.sleep(3)
        checks.equal(files(app), ["Screen01.bmp"], "PrtSc turned off")
        app.key("Escape")
        checks.equal(app.wait_exit(60), 0, "exit code")
        checks.true("OnScreen  :0" in app.read_file("Scrimble.ini").splitlines(), "kept in the settings")
        app.launch()
        print_screen(app)
        time.sleep(3)
        checks.equal(files(app), ["Screen01.bmp"], "PrtSc still off after a restart")
        set_key_in_options(app, CHK_SCREEN)
        print_screen(app)
        saved(app, "Screen11.bmp")
        checks.done()
    finally:
        if holder is not None:
            holder.stdin.close()
            holder.wait(30)
        app.stop()


def set_key_in_options(app, check_box):
    """Opens the options from the window's system menu, toggles a key's check
    box and presses OK."""
    app.probe("post", app.title, WM_SYSCOMMAND, SYSTEM_MENU_OPTIONS, 0)
    app.wait_until(lambda: app.probe("tree", OPTIONS, check=False).get("visible"), 60, "the options dialog")
    for control in (check_box, CMD_OK):
        rect = app.controls(OPTIONS)[control]["rect"]
        app.click(rect["x"] + rect["w"] // 2, rect["y"] + rect["h"] // 2, title=OPTIONS)
    app.wait_until(lambda: not app.probe("tree", OPTIONS, check=False).get("visible"), 30, "the dialog to close")


def test_the_icon_in_the_notification_area_and_its_menu():
    # The window below Wine's notification area, not over it.
    app = rig.Session(start=False, tray=True, ini=ini(ToTray=1, FormTop=1500))
    try:
        os.makedirs(folder_of(app))
        app.launch()
        checks = rig.Checks()
        tray = app.wait_until(lambda: [w for w in app.windows() if w["class"] == "__winex11_standalone_tray"], 30,
                              "Wine's notification area with the icon")[0]
        Driver(app).set_root(DESKTOP)

        # The menu's first entry takes the screen once the menu has gone.
        app.click_screen(*TRAY_ICON, button=3)
        menu = app.wait_until(lambda: [w for w in app.windows() if w["class"] == "#32768"], 30, "the icon's menu")[0]
        time.sleep(0.5)  # the menu takes the keyboard once it has been drawn
        app.key("Down", "Return")
        bmp = saved(app, "Screen01.bmp")
        image = bmp.to_image()
        r = menu["rect"]
        below_tray = [(x, y) for x in range(r["x"], r["x"] + r["w"], 7)
                      for y in range(max(r["y"], tray["rect"]["y"] + tray["rect"]["h"]), r["y"] + r["h"], 7)]
        checks.true(all(image.at(x, y) == DESKTOP for x, y in below_tray), "no pixel of the menu in the picture")

        # Minimised into the notification area; a click on the icon brings the
        # window back in front.
        app.probe("post", app.title, WM_SYSCOMMAND, SC_MINIMIZE, 0)
        app.wait_until(lambda: not app.probe("tree", app.title, check=False).get("visible"), 30, "the window hidden")
        app.click_screen(*TRAY_ICON)
        app.wait_until(lambda: app.tree().get("visible") and app.tree()["foreground"], 30, "the window in front")

        # 終了 closes as Esc does: the last entry, clicked.
        app.click_screen(*TRAY_ICON, button=3)
        r = app.wait_until(lambda: [w for w in app.windows() if w["class"] == "#32768"], 30, "the icon's menu")[0]["rect"]
        app.click_screen(r["x"] + r["w"] // 2, r["y"] + r["h"] - 8)
        checks.equal(app.wait_exit(60), 0, "exit code after 終了")
        checks.true("No        :11" in app.read_file("Scrimble.ini").splitlines(), "settings written")
        checks.done()
    finally:
        app.stop()
