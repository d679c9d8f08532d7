"""A region of the screen end to end: F3 on the frozen screen, drags in
every direction, a click on a window, Esc and a right click, the arrow keys,
the last region again after a restart and from another program, one overlay
at a time.

The screen holds a window of another program with a title bar and an edge
to it, and Scrimble's window stands clear of the regions: each saved file
must be the screen there pixel for pixel, with nothing of the overlay's own
drawing (crosshair, readout, magnifier, dimming) in it.
"""

import os
import time

import rig
from capture_tools import (STATUS_BAR, TXT_NUMBER, Driver, OtherWindow, drive_c_folder, read_bmp, read_ppm,
                           settings)

FOLDER = "shots"
DESKTOP = (0x33, 0x66, 0xCC)
OTHER = ("Picture source", 450, 150, 400, 300, (0xF0, 0xE0, 0x20))
OVERLAY_CLASS = "ScrimbleRegionOverlay"
# Across the other window's edge, below its title bar, which turns active or
# inactive as Scrimble hides and shows.
REGION = (400, 200, 600, 350)
DRAGS = [((400, 200), (600, 350)), ((600, 350), (400, 200)), ((600, 200), (400, 350)), ((400, 350), (600, 200))]


def folder_of(app):
    return drive_c_folder(app, FOLDER)


def files(app):
    return sorted(os.listdir(folder_of(app)))


def overlays(app):
    return [w for w in app.windows() if w["class"] == OVERLAY_CLASS]


def press_f3(app, keys=("F3",)):
    app.key(*keys)
    return app.wait_until(lambda: overlays(app), 60, "the overlay")[0]


def drag(app, start, end, then=()):
    app.xdotool("mousemove", "--sync", *start)
    app.xdotool("mousedown", 1)
    app.xdotool("mousemove", "--sync", (start[0] + end[0]) // 2, (start[1] + end[1]) // 2)
    app.xdotool("mousemove", "--sync", *end)
    if then:
        app.key(*then)
    else:
        app.xdotool("mouseup", 1)
    if then:
        app.xdotool("mouseup", 1)


def saved(app, name):
    path = os.path.join(folder_of(app), name)
    app.wait_until(lambda: name in app.controls()[STATUS_BAR]["text"], 60, f"{name} saved")
    return read_bmp(path).to_image()


def region_of(screen, left, top, right, bottom):
    return b"".join(screen.data[(y * screen.width + left) * 3:(y * screen.width + right) * 3] for y in range(top, bottom))


def test_a_region_is_the_screen_there_however_it_is_picked():
    app = rig.Session(start=False, ini=settings(timer_kind=1, clip=1, auto_save=1, path="C:\\" + FOLDER,
                                                number="01", up="10"))
    try:
        os.makedirs(folder_of(app))
        app.launch()
        checks = rig.Checks()
        d = Driver(app)
        d.set_root(DESKTOP)
        with OtherWindow(app, *OTHER):
            frame = app.tree(OTHER[0])["rect"]
            app.click_screen(app.tree()["rect"]["x"] + 100, app.tree()["rect"]["y"] + 8)  # Scrimble in front
            app.wait_until(lambda: app.tree()["foreground"], 30, "Scrimble in front")
            screen = read_ppm(app.screenshot(os.path.join(app.dir, "screen.ppm"), whole_screen=True))
            expected = region_of(screen, *REGION)
            number = 1
            for start, end in DRAGS:
                press_f3(app)
                drag(app, start, end)
                image = saved(app, f"Screen{number:02}.bmp")
                checks.equal((image.width, image.height), (200, 150), f"drag {start} to {end}: size")
                wrong = [(i // 3 % 200, i // 3 // 200) for i in range(0, len(expected), 3)
                         if image.data[i:i + 3] != expected[i:i + 3]]
                checks.equal(wrong[:5], [], f"drag {start} to {end}: pixels not the screen's ({len(wrong)})")
                number += 10
                app.wait_until(lambda: app.tree()["foreground"], 30, "Scrimble back in front")

            # A click without a drag takes the window under the pointer.
            press_f3(app)
            app.click_screen(frame["x"] + 200, frame["y"] + 150)
            image = saved(app, f"Screen{number:02}.bmp")
            checks.equal((image.width, image.height), (frame["w"], frame["h"]), "a click: the window's frame")
            number += 10

            # Esc and a right click: nothing saved, nothing changed.
            status = app.controls()[STATUS_BAR]["text"]
            before = (files(app), app.controls()[TXT_NUMBER]["text"])
            for cancel in (lambda: app.key("Escape"), lambda: app.click_screen(600, 300, button=3)):
                press_f3(app)
                app.xdotool("mousemove", "--sync", 550, 200)
                cancel()
                app.wait_until(lambda: not overlays(app) and app.tree()["visible"], 30, "the overlay gone")
                checks.equal((files(app), app.controls()[TXT_NUMBER]["text"]), before, "a cancel: files and number")
                checks.equal(app.controls()[STATUS_BAR]["text"], status, "a cancel: the status bar")

            # F3 again while the overlay is up stacks no second one; arrow keys
            # move the pointer during a drag: Right and Down make it a pixel
            # larger each way.
            press_f3(app)
            app.key("F3")
            time.sleep(1)
            checks.equal(len(overlays(app)), 1, "one overlay after a second F3")
            drag(app, (400, 200), (600, 350), then=("Right", "Down", "Return"))
            image = saved(app, f"Screen{number:02}.bmp")
            checks.equal((image.width, image.height), (201, 151), "arrows then Enter: one pixel larger")
            number += 10

        # The last region again after a restart, and from another program,
        # which stays in front.
        app.key("Escape")
        app.wait_exit(60)
        checks.true("Region    :400,200,601,351" in app.read_file("Scrimble.ini").splitlines(), "the region kept")
        app.launch()
        app.key("shift+F3")
        image = saved(app, f"Screen{number:02}.bmp")
        checks.equal((image.width, image.height), (201, 151), "Shift+F3 after a restart")
        number += 10
        with OtherWindow(app, *OTHER):
            app.wait_until(lambda: app.tree(OTHER[0])["foreground"], 30, "the other program in front")
            app.xdotool("keydown", "shift", "keydown", "Print", "keyup", "Print", "keyup", "shift")
            image = saved(app, f"Screen{number:02}.bmp")
            checks.equal((image.width, image.height), (201, 151), "Shift+PrtSc from another program")
            checks.equal(app.tree(OTHER[0])["foreground"], True, "Shift+PrtSc: the other program still in front")
        checks.done()
    finally:
        app.stop()
