"""Several monitors: a whole screen capture takes the virtual screen (the
bounding box of every monitor) and blackens what no monitor shows; the
window comes back to its place on a monitor left of the primary, and leaves
a place that no monitor shows for the default one.

The X server's root is split into monitors (monitors.py), each painted in its
own colour and the rest of the root in a colour that is not black: under Wine
a part no monitor covers reads as whatever the root shows there, so black in
the capture is the program's own doing.
"""

import os

import pytest

import rig
from capture_tools import CMD_ACTIVE_WINDOW, Driver, OtherWindow, read_bmp, rgb_hex, settings
from monitors import Layout, MonitorSession, picture

# Starting the 32-bit program goes through an emulator on this machine.
START_TIMEOUT = max(rig.START_TIMEOUT, 480)
EXIT_TIMEOUT = 120
TWIPS_PER_PIXEL = 15

PRIMARY = "#3366cc"
SECOND = "#cc9933"
GAP = "#22aa55"
BLACK = (0, 0, 0)

# Per layout: the monitors (w, h, x, y; the primary first), the parts of
# their bounding box that none of them covers (x, y, w, h), in screen
# coordinates, and where Scrimble's window stands (on the second monitor,
# which must be left out of the capture as well).
LAYOUTS = {
    # Left of the primary and shorter: the bottom left corner is nobody's.
    "left-shorter": (Layout([(1024, 768, 0, 0), (800, 600, -800, 0)]),
                     [(-800, 600, 800, 168)], (-600, 100)),
    # Right of the primary and raised: negative Y, a strip above the primary
    # and one below the second monitor.
    "right-raised": (Layout([(1024, 768, 0, 0), (800, 600, 1024, -200)]),
                     [(0, -200, 1024, 200), (1024, 400, 800, 368)], (1200, -150)),
}

SHOTS = "shots"  # C:\shots


def rgb(colour):
    return tuple(bytes.fromhex(colour.lstrip("#")))


def placed(left_twips, top_twips, **values):
    """Scrimble.ini text with the window's place."""
    lines = settings(**values).splitlines()
    return "\n".join([f"FormTop   :{top_twips}", f"FormLeft  :{left_twips}"] + lines[2:]) + "\n"


def require_layout(app, uncovered=()):
    """The monitors Wine shows must be the layout's, and a part that no
    monitor covers must read as the root's gap colour (not black by itself),
    or nothing here means anything."""
    centres = [(x + w // 2, y + h // 2) for x, y, w, h in uncovered]
    seen = app.seen(centres)
    rects = [(m["rect"]["w"], m["rect"]["h"], m["rect"]["x"], m["rect"]["y"]) for m in seen["monitors"]]
    if rects != app.layout.monitors or seen["virtual"] != app.layout.virtual():
        raise rig.RigError(f"Wine shows monitors {rects}, virtual screen {seen['virtual']}; "
                           f"wanted {app.layout.monitors}, {app.layout.virtual()}")
    read = [p["bitblt"] for p in seen["points"]]
    if read != [GAP] * len(centres):
        raise rig.RigError(f"the screen reads {read} at {centres}, where no monitor is; wanted {GAP}")


def check_picture(checks, what, image, layout, uncovered):
    size = (layout.width, layout.height)
    if not checks.equal((image.width, image.height), size, f"{what}: size (the virtual screen's)"):
        return
    for number, ((w, h, x, y), colour) in enumerate(zip(layout.monitors, (PRIMARY, SECOND)), 1):
        share = image.region_share(rgb(colour), x - layout.left, y - layout.top, w, h)
        checks.true(share == 1.0, f"{what}: monitor {number} ({w}x{h} at {x},{y}) must be "
                                  f"{colour} throughout; it is in {share:.2%}")
    for x, y, w, h in uncovered:
        ix, iy = x - layout.left, y - layout.top
        share = image.region_share(BLACK, ix, iy, w, h)
        checks.true(share == 1.0, f"{what}: the part no monitor shows ({w}x{h} at {x},{y}) must "
                                  f"be black; it is in {share:.2%}, {image.at(ix + w // 2, iy + h // 2)} "
                                  f"at its centre")
    expected = picture(layout, (PRIMARY, SECOND))
    if image.data != expected:
        wrong = [(i // 3 % image.width, i // 3 // image.width) for i in range(0, len(expected), 3)
                 if image.data[i:i + 3] != expected[i:i + 3]]
        x, y = wrong[0]
        checks.true(False, f"{what}: {len(wrong)} pixels differ from the monitors' colours and "
                           f"black elsewhere; the first at picture ({x}, {y}) is {image.at(x, y)}")


@pytest.mark.parametrize("name", LAYOUTS)
def test_full_screen_takes_every_monitor_and_blackens_what_none_shows(name):
    layout, uncovered, (x, y) = LAYOUTS[name]
    ini = placed(x * TWIPS_PER_PIXEL, y * TWIPS_PER_PIXEL, clip=1, auto_save=1,
                 path="C:\\" + SHOTS, file="Screen", number="01", up="1")
    with MonitorSession(layout, [PRIMARY, SECOND], gap=GAP, ini=ini, start=False) as app:
        shots = os.path.join(app.prefix, "drive_c", SHOTS)
        os.makedirs(shots)
        require_layout(app, uncovered)
        top = app.launch(timeout=START_TIMEOUT)
        checks = rig.Checks()
        checks.equal((top["rect"]["x"], top["rect"]["y"]), (x, y), "window on the second monitor")
        d = Driver(app)
        d.run_command(lambda: app.key("F1"))
        size = 14 + 40 + layout.width * layout.height * 3  # rows of 5472 bytes need no padding
        expected_status = f" Screen01.bmp \uff1a {size:,} bytes"
        try:
            app.wait_until(lambda: d.status_text() == expected_status, 60, "the capture to be saved")
        except AssertionError:
            raise AssertionError(f"status bar reads {d.status_text()!r}, expected {expected_status!r}; "
                                 f"message boxes: {app.msgboxes()}") from None

        bmp = read_bmp(os.path.join(shots, "Screen01.bmp"))
        checks.equal((bmp.bits, bmp.file_size), (24, size), "BMP bits per pixel and file size")
        check_picture(checks, "BMP", bmp.to_image(), layout, uncovered)
        summary, image = d.clipboard()
        if checks.true(image is not None, f"a bitmap on the clipboard: {summary}"):
            check_picture(checks, "clipboard", image, layout, uncovered)
        checks.equal(app.tree()["visible"], True, "the window shown again after the capture")
        checks.done()


def overlap(a, b):
    """The common part of two (x, y, w, h) rectangles, or None."""
    left, top = max(a[0], b[0]), max(a[1], b[1])
    right, bottom = min(a[0] + a[2], b[0] + b[2]), min(a[1] + a[3], b[1] + b[3])
    return (left, top, right - left, bottom - top) if right > left and bottom > top else None


OTHER_FILL = (0xC0, 0x30, 0x20)


def test_active_window_is_cut_to_the_virtual_screen_and_blackened_where_no_monitor_shows_it():
    layout, (corner,), (x, y) = LAYOUTS["left-shorter"]
    # Across the border of the two monitors, into the corner that neither
    # shows, and 132 pixels below the bottom of the virtual screen.
    other_rect = (-200, 500, 400, 400)
    ini = placed(x * TWIPS_PER_PIXEL, y * TWIPS_PER_PIXEL, clip=1, auto_save=0)
    with MonitorSession(layout, [PRIMARY, SECOND], gap=GAP, ini=ini, start=False) as app:
        require_layout(app, [corner])
        app.launch(timeout=START_TIMEOUT)
        d = Driver(app)
        with OtherWindow(app, "Other window", *other_rect, OTHER_FILL) as other:
            info = app.tree(other.title)
            shown = tuple(info["rect"][k] for k in ("x", "y", "w", "h"))
            if shown != other_rect:
                raise rig.RigError(f"the other window stands at {shown}, not {other_rect}")
            # Where no monitor is, the screen still shows the window: black in
            # the capture is Scrimble's doing.
            read = app.seen([(-100, 700)])["points"][0]["bitblt"]
            if read != rgb_hex(OTHER_FILL):
                raise rig.RigError(f"the screen reads {read} at (-100, 700), inside the other window")
            # The click brings Scrimble forward; hidden, it leaves the other
            # window in front. xdotool takes X root coordinates.
            button = layout.to_root(*d.centre(CMD_ACTIVE_WINDOW))
            d.run_command(lambda: app.xdotool("mousemove", *button, "click", 1))
            summary, image = d.clipboard()
        if image is None:
            raise AssertionError(f"no bitmap on the clipboard: {summary}")
        checks = rig.Checks()
        cut = overlap(other_rect, (layout.left, layout.top, layout.width, layout.height))
        checks.equal((image.width, image.height), cut[2:], "capture size (the window cut to the virtual screen)")
        if image.width == cut[2] and image.height == cut[3]:
            client = (info["client_origin"]["x"], info["client_origin"]["y"],
                      info["client"]["w"], info["client"]["h"])
            for what, monitor in (("primary", layout.monitors[0]), ("left monitor", layout.monitors[1])):
                w, h, mx, my = monitor
                part = overlap(client, (mx, my, w, h))
                share = image.region_share(OTHER_FILL, part[0] - cut[0], part[1] - cut[1], *part[2:])
                checks.true(share == 1.0, f"the window's client area on the {what} ({part}) must be "
                                          f"its fill colour; it is in {share:.2%}")
            hidden = overlap(cut, corner)
            share = image.region_share(BLACK, hidden[0] - cut[0], hidden[1] - cut[1], *hidden[2:])
            checks.true(share == 1.0, f"the part of the window that no monitor shows ({hidden}) must "
                                      f"be black; it is in {share:.2%}")
        checks.done()


def window_place(app):
    rect = app.tree()["rect"]
    return rect["x"], rect["y"]


def saved_place(app):
    """(FormLeft, FormTop) of Scrimble.ini in twips."""
    lines = app.read_file("Scrimble.ini").splitlines()
    return int(lines[1][11:]), int(lines[0][11:])


def run_once(app, checks, ini, expected_place, step):
    """Starts the program with these settings, checks where its window stands,
    ends it with Esc and returns the place it saved."""
    if ini is not None:
        app.write_file("Scrimble.ini", ini)
    app.launch(timeout=START_TIMEOUT)
    place = window_place(app)
    checks.true(abs(place[0] - expected_place[0]) <= 1 and abs(place[1] - expected_place[1]) <= 1,
                f"{step}: window at {place}, expected {expected_place} (±1)")
    app.key("Escape")
    checks.equal(app.wait_exit(EXIT_TIMEOUT), 0, f"{step}: exit code after Esc")
    return saved_place(app)


# The default place: 10 twips from the primary's top left corner.
DEFAULT_PLACE = (round(10 / TWIPS_PER_PIXEL), round(10 / TWIPS_PER_PIXEL))


def test_window_returns_to_the_left_monitor_and_leaves_places_no_monitor_shows():
    layout = LAYOUTS["left-shorter"][0]
    left = (-600 * TWIPS_PER_PIXEL, 100 * TWIPS_PER_PIXEL)
    with MonitorSession(layout, [PRIMARY, SECOND], gap=GAP, start=False) as app:
        require_layout(app)
        checks = rig.Checks()
        saved = run_once(app, checks, placed(*left), (-600, 100), "on the left monitor")
        checks.equal(saved, left, "place saved after Esc, in twips")
        saved = run_once(app, checks, None, (-600, 100), "restarted")
        checks.equal(saved, left, "place saved after the restart, in twips")

        # Top left corner at (-600, 500): most of the window hangs into the
        # corner that no monitor shows, but its top still is on the left monitor.
        run_once(app, checks, placed(-600 * TWIPS_PER_PIXEL, 500 * TWIPS_PER_PIXEL), (-600, 500),
                 "partly on the left monitor")

        # Inside the monitors' bounding box, yet on none of them: the corner
        # below the left monitor; and right of every monitor, where a third
        # one stood.
        for step, (x, y) in (("in the corner no monitor shows", (-600, 620)),
                             ("right of every monitor", (1100, 100))):
            saved = run_once(app, checks, placed(x * TWIPS_PER_PIXEL, y * TWIPS_PER_PIXEL),
                             DEFAULT_PLACE, step)
            checks.equal(saved, (10, 10), f"{step}: place saved after Esc, in twips")
        checks.done()


def test_a_region_across_the_seam_of_two_monitors_takes_both_parts():
    # From (-100, 100) on the left monitor to (100, 200) on the primary one.
    layout, (corner,), (x, y) = LAYOUTS["left-shorter"]
    ini = placed(200 * TWIPS_PER_PIXEL, 300 * TWIPS_PER_PIXEL, clip=0, auto_save=1,
                 path="C:\\" + SHOTS, file="Screen", number="01", up="1")
    with MonitorSession(layout, [PRIMARY, SECOND], gap=GAP, ini=ini, start=False) as app:
        shots = os.path.join(app.prefix, "drive_c", SHOTS)
        os.makedirs(shots)
        require_layout(app, [corner])
        app.launch(timeout=START_TIMEOUT)
        app.key("F3")
        app.wait_until(lambda: [w for w in app.windows() if w["class"] == "ScrimbleRegionOverlay"], 60, "the overlay")
        app.xdotool("mousemove", "--sync", *layout.to_root(-100, 100))
        app.xdotool("mousedown", 1)
        app.xdotool("mousemove", "--sync", *layout.to_root(100, 200))
        app.xdotool("mouseup", 1)
        path = os.path.join(shots, "Screen01.bmp")
        app.wait_until(lambda: os.path.exists(path) and "Screen01.bmp" in Driver(app).status_text(), 60,
                       "the region saved")
        image = read_bmp(path).to_image()
        checks = rig.Checks()
        checks.equal((image.width, image.height), (200, 100), "size")
        checks.equal(image.region_share(rgb(SECOND), 0, 0, 100, 100), 1.0, "the left monitor's half")
        checks.equal(image.region_share(rgb(PRIMARY), 100, 0, 100, 100), 1.0, "the primary monitor's half")
        checks.done()
