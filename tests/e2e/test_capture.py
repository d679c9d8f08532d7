"""Capture commands end to end: the whole screen and the foreground window
into the preview and the clipboard, with and without the delay, and on a
256-colour palette display.

The desktop (the X root window) is painted in one known colour, so a whole
screen capture taken while Scrimble's window is really gone is that colour
everywhere, including where the window stood.
"""

import os
import subprocess

import pytest

import rig
from capture_tools import (CBO_TIME, CBO_TIMER, CMD_ACTIVE_WINDOW, CMD_FULL_SCREEN, IMG_PIC_AREA,
                           NOT_SAVED, STATUS_BAR, Driver, OtherWindow, png_layout, read_bmp, read_ppm, settings)

SCREEN = (1024, 768)
CF_PALETTE = 9
DESKTOP = (0x33, 0x66, 0xCC)
SECOND_DESKTOP = (0xCC, 0x99, 0x33)
OTHER_FILL = (0xC0, 0x30, 0x20)
# Placed over part of Scrimble's window, clear of its capture buttons.
OTHER_RECT = (150, 200, 400, 300)

DELAY_SECONDS = 2
# Hide and capture take longer under emulation and on a busy machine; the
# delay is judged against the same command without a delay.
DELAY_TOLERANCE = 0.5
DELAY_RUNS = 3
# The delay sleeps until a message comes or the clock's second changes, so it
# costs next to nothing (a loop that polls without idling keeps a core busy:
# 1 CPU second a second). The CPU time is read in clock ticks of 10 ms over
# half a second or more, so reading alone can add up to 0.02.
MAX_CPU_PER_SECOND = 0.05


def make_app():
    return rig.Session(ini=settings(timer_kind=1, timer_time=DELAY_SECONDS, clip=1, auto_save=0))


def test_full_screen_goes_to_clipboard_without_scrimble_in_it(app):
    d = Driver(app)
    checks = rig.Checks()
    d.set_root(DESKTOP)
    before, client = d.window_picture("before")
    pic = d.rects[IMG_PIC_AREA]
    preview = (client[0] + pic["x"] + 2, client[1] + pic["y"] + 2, pic["w"] - 4, pic["h"] - 4)
    checks.true(before.region_share(DESKTOP, *preview) < 0.5,
                "step 0: the preview must not show the desktop colour before any capture")

    timeline = d.run_command(lambda: d.click(CMD_FULL_SCREEN))
    print(f"    full screen: hidden {timeline.hidden_at:.2f} s after the click, "
          f"shown again {timeline.hidden_for:.2f} s later")

    summary, image = d.clipboard()
    if image is None:
        raise AssertionError(f"step 1: no bitmap on the clipboard: {summary}")
    checks.equal((image.width, image.height), SCREEN, "step 1: clipboard bitmap size")
    window = d.window_rect
    title_bar = (window["x"] + window["w"] // 2, window["y"] + 8)
    client_centre = (d.origin[0] + 161, d.origin[1] + 210)
    for what, (x, y) in (("title bar", title_bar), ("client centre", client_centre),
                         ("capture button", d.centre(CMD_FULL_SCREEN)), ("top left", (0, 0)),
                         ("bottom right", (SCREEN[0] - 1, SCREEN[1] - 1))):
        checks.equal(image.at(x, y), DESKTOP, f"step 1: clipboard pixel at the {what} ({x}, {y})")
    checks.true(image.is_uniform(DESKTOP),
                "step 1: every clipboard pixel must be the desktop colour (Scrimble's window "
                "or part of it is in the capture)")

    top = app.tree()
    checks.equal(top["visible"], True, "step 2: window visible again")
    checks.equal(d.mapped(), True, "step 2: window mapped on the X server")
    status = {c["id"]: c for c in top["controls"]}[STATUS_BAR]["text"]
    checks.equal(status, NOT_SAVED, "step 3: status bar with auto-save off")

    after, _ = d.window_picture("after")
    share = after.region_share(DESKTOP, *preview)
    checks.true(share > 0.99, f"step 4: the preview must show the capture (desktop colour in "
                              f"{share:.1%} of it)")
    checks.done()


@pytest.mark.parametrize("dpi", [96, 144, 192])
def test_full_screen_capture_has_the_display_size_at_every_scale(dpi):
    # At 192 DPI, rounding the screen's 7.5 twips a pixel before dividing
    # once made 1920 x 1080 into 1800 x 1012.
    with rig.Session(dpi=dpi, width=1920, height=1080, ini=settings(clip=1, auto_save=0)) as app:
        app.key("F1")
        bitmap = app.wait_until(lambda: app.clipboard().get("bitmap"), timeout=60, what="a bitmap on the clipboard")
        assert (bitmap["width"], bitmap["height"]) == (1920, 1080)


def test_active_window_captures_the_window_in_front(app):
    d = Driver(app)
    checks = rig.Checks()
    left, top, width, height = OTHER_RECT
    with OtherWindow(app, "Other window", left, top, width, height, OTHER_FILL) as other:
        info = app.tree(other.title)
        checks.equal((info["rect"]["w"], info["rect"]["h"]), (width, height), "other window size")
        d.run_command(lambda: d.click(CMD_ACTIVE_WINDOW))
        summary, image = d.clipboard()
        if image is None:
            raise AssertionError(f"no bitmap on the clipboard: {summary}")
        checks.equal((image.width, image.height), (width, height), "clipboard bitmap size")
        # Its client area, and its title bar above it: the whole window was taken.
        cx = info["client_origin"]["x"] - info["rect"]["x"]
        cy = info["client_origin"]["y"] - info["rect"]["y"]
        cw, ch = info["client"]["w"], info["client"]["h"]
        share = image.region_share(OTHER_FILL, cx, cy, cw, ch)
        checks.true(share == 1.0, f"the other window's client area must be its fill colour in the "
                                  f"capture (it is in {share:.1%})")
        checks.true(cy > 0 and image.at(width // 2, cy // 2) != OTHER_FILL,
                    "the capture must include the title bar")
        checks.equal(app.tree()["visible"], True, "Scrimble visible again")
    checks.done()


def select_delay_always(app, d):
    """Chooses "常時使用" in cboTimer as a user would: open the list, End, Enter."""
    d.click(CBO_TIMER)
    app.wait_until(lambda: app.controls()[CBO_TIMER]["combo"]["dropped"], 30, "the list to open")
    app.key("End", "Return")
    app.wait_until(lambda: not app.controls()[CBO_TIMER]["combo"]["dropped"], 30, "the list to close")
    controls = app.controls()
    assert controls[CBO_TIMER]["combo"]["selected"] == 2, controls[CBO_TIMER]["combo"]
    assert controls[CBO_TIME]["text"] == str(DELAY_SECONDS), controls[CBO_TIME]


def test_delay_lasts_two_to_three_seconds_and_idles(app):
    d = Driver(app)
    d.set_root(DESKTOP)
    baseline = []
    for run in range(2):
        timeline = d.run_command(lambda: app.key("F1"))
        baseline.append(timeline.hidden_for)
    no_delay = min(baseline)
    print(f"    without delay: hidden for {', '.join(f'{b:.2f}' for b in baseline)} s")

    select_delay_always(app, d)
    d.set_root(SECOND_DESKTOP)
    checks = rig.Checks()
    results = []
    for run in range(1, DELAY_RUNS + 1):
        timeline = d.run_command(lambda: app.key("F1"))
        extra = timeline.hidden_for - no_delay
        # From 0.6 s after the hide to 2.0 s: inside the delay whatever its
        # phase (the hide needs a few tenths before the delay starts).
        rate = timeline.cpu_rate(timeline.hidden_at + 0.6, timeline.hidden_at + 2.0)
        total = timeline.cpu_between(timeline.hidden_at, timeline.shown_at)
        results.append((timeline.hidden_for, extra, rate))
        shown_rate = "unmeasured" if rate is None else f"{rate:.3f} s/s"
        print(f"    delay run {run}: hidden {timeline.hidden_at:.2f} s after F1, for "
              f"{timeline.hidden_for:.2f} s ({extra:.2f} s more than without delay); CPU during "
              f"the delay {shown_rate}, {total:.2f} CPU s over the hidden time")
        checks.true(timeline.hidden_for > DELAY_SECONDS,
                    f"run {run}: hidden for {timeline.hidden_for:.2f} s, not more than {DELAY_SECONDS} s")
        checks.true(rate is not None and rate < MAX_CPU_PER_SECOND,
                    f"run {run}: CPU during the delay {rate} s per second, limit {MAX_CPU_PER_SECOND}")
    best_extra = min(r[1] for r in results)
    checks.true(best_extra <= DELAY_SECONDS + 1 + DELAY_TOLERANCE,
                f"the delay added at least {best_extra:.2f} s; at most {DELAY_SECONDS + 1} s "
                f"(+{DELAY_TOLERANCE} s tolerance) expected")
    checks.true(best_extra > DELAY_SECONDS - DELAY_TOLERANCE,
                f"the delay added only {best_extra:.2f} s")
    summary, image = d.clipboard()
    checks.true(image is not None and (image.width, image.height) == SCREEN
                and image.is_uniform(SECOND_DESKTOP),
                f"the clipboard must hold the delayed capture of the repainted desktop: {summary}")
    checks.done()


def test_palette_display_capture_carries_the_palette():
    """On a 256-colour palette display the clipboard gets the bitmap with its
    palette, and the saved file is 8 bits per pixel with 256 colours and the
    same pixels, in BMP and in PNG. The pixels are compared as colour indices: on an 8-bit X
    server Wine's system palette entries and the colour table it gives a
    bitmap's indices do not agree, so colours read through the clipboard's
    palette and through the file's table may differ for the same index."""
    session = rig.Session(start=False, depth=8)
    try:
        shots = os.path.join(session.prefix, "drive_c", "shots8")
        os.makedirs(shots)
        session.write_file("Scrimble.ini", settings(clip=1, auto_save=1, path="C:\\shots8"))
        session.launch()
        d = Driver(session)
        checks = rig.Checks()
        left, top, width, height = 500, 300, 400, 300
        with OtherWindow(session, "Other window", left, top, width, height, (0x00, 0x80, 0x80)):
            # F1 would go to the window in front; a click brings Scrimble forward.
            d.run_command(lambda: d.click(CMD_FULL_SCREEN))
            session.wait_until(lambda: d.status_text() != NOT_SAVED, 60, "the capture to be saved")
        summary, image = d.clipboard()
        if image is None:
            raise AssertionError(f"no bitmap on the clipboard: {summary}")
        bitmap = summary["bitmap"]
        checks.equal((bitmap["width"], bitmap["height"], bitmap["bits"]), SCREEN + (8,),
                     "clipboard bitmap size and bits per pixel")
        checks.true(CF_PALETTE in summary["formats"], f"CF_PALETTE on the clipboard: {summary['formats']}")
        checks.equal(bitmap["palette_entries"], 256, "entries of the clipboard palette")
        inside, outside = (left + width // 2, top + height // 2), (10, SCREEN[1] - 10)
        checks.true(image.at(*inside) != image.at(*outside),
                    f"the other window must stand out from the desktop in the capture "
                    f"({image.at(*inside)} inside, {image.at(*outside)} outside)")

        bmp = read_bmp(os.path.join(shots, "Screen01.bmp"))
        checks.equal((bmp.width, bmp.height, bmp.bits, bmp.compression), SCREEN + (8, 0),
                     "BMP width, height, bits per pixel, compression")
        checks.equal(len(bmp.palette), 256, "BMP colour table entries")
        checks.equal(bmp.pixel_offset, 14 + 40 + 256 * 4, "BMP pixel offset")
        checks.equal(bmp.file_size, 14 + 40 + 256 * 4 + SCREEN[0] * SCREEN[1], "BMP file size")
        checks.equal(bmp.declared_size, bmp.file_size, "BMP size in the file header")
        checks.true(image.indices is not None and bmp.indices() == image.indices,
                    "the saved file's colour indices must equal the clipboard bitmap's, pixel "
                    "for pixel")

        # The same screen saved as PNG stays an indexed image with the
        # palette, and shows what the BMP shows.
        session.key("Escape")
        session.wait_exit(60)
        session.write_file("Scrimble.ini", settings(clip=0, auto_save=1, path="C:\\shots8", number="02",
                                                    format="PNG"))
        session.launch()
        with OtherWindow(session, "Other window", left, top, width, height, (0x00, 0x80, 0x80)):
            d = Driver(session)
            d.run_command(lambda: d.click(CMD_FULL_SCREEN))
            session.wait_until(lambda: "Screen02.png" in d.status_text(), 60, "the PNG to be saved")
        png = os.path.join(shots, "Screen02.png")
        checks.equal(png_layout(png), (8, 3, 256), "PNG bit depth, colour type (indexed), palette entries")
        subprocess.run(["convert", png, png + ".ppm"], check=True)
        checks.true(read_ppm(png + ".ppm").data == bmp.to_image().data,
                    "the PNG must show, pixel for pixel, what the BMP of the same screen shows")
        checks.done()
    finally:
        session.stop()
