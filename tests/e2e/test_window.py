"""The main window as it opens: title, size, every control's place, kind,
text, list items, limits and states, the initial focus and the tab cycle.

Controls are identified by their control IDs (1000 + row of the window
definition). Positions come from the window definition in twips, turned into
pixels at the display's DPI (15 twips a pixel at 96 DPI); children of a frame
are placed relative to the frame. The layout tests run at 96, 144 and 192 DPI.
"""

import os

import pytest

import rig
from capture_tools import read_ppm

SCALES = pytest.mark.parametrize("dpi", [96, 144, 192], indirect=True, ids=lambda d: f"{d}dpi")

# name: (id, kind, container, left, top, width, height) in twips
LAYOUT = {
    "cmdHome":         (1000, "button",   None,          4440,    0,  375,  375),
    "cmdPrint":        (1001, "button",   None,          1620,    0,  375,  375),
    "chkAutoSave":     (1002, "checkbox", None,          2520,  900, 2175,  255),
    "cmdExplorer":     (1003, "button",   None,          1140,    0,  375,  375),
    "chkClip":         (1004, "checkbox", None,          2520,  600, 2115,  255),
    "fraAutoSave":     (1005, "frame",    None,             0, 1200, 4815, 1485),
    "txtFile":         (1006, "text",     "fraAutoSave",  720,  780, 1515,  270),
    "txtNumber":       (1007, "text",     "fraAutoSave", 3000,  780,  615,  270),
    "txtUp":           (1008, "text",     "fraAutoSave", 4260,  780,  435,  270),
    "cmdPath":         (1009, "button",   "fraAutoSave", 4320,  240,  375,  375),
    "lblPath":         (1010, "label",    "fraAutoSave",  750,  240, 3435,  450),
    "lblSvPath":       (1011, "label",    "fraAutoSave",   60,  240,  735,  195),
    "lblFile":         (1012, "label",    "fraAutoSave",   60,  840,  855,  195),
    "lblNumber":       (1013, "label",    "fraAutoSave", 2340,  840,  855,  195),
    "lblUp":           (1014, "label",    "fraAutoSave", 3720,  840,  555,  195),
    "fraTimer":        (1015, "frame",    None,             0,  540, 2415,  615),
    "cboTime":         (1016, "combo",    "fraTimer",    1620,  240,  495,  300),
    "cboTimer":        (1017, "combo",    "fraTimer",      60,  240, 1515,  300),
    "Label1":          (1018, "label",    "fraTimer",    2160,  300,  195,  195),
    "StatusBar1":      (1019, "status",   None,             0, 5970, 4830,  315),
    "cmdSave":         (1020, "button",   None,           780,    0,  375,  375),
    "cmdActiveWindow": (1021, "button",   None,           420,    0,  375,  375),
    "cmdFullScreen":   (1022, "button",   None,            60,    0,  375,  375),
    "imgPicArea":      (1023, "image",    None,            60, 2730, 4695, 3195),
    "cboFormat":       (1024, "combo",    "fraAutoSave",  720, 1125, 1515,  300),
    "lblFormat":       (1025, "label",    "fraAutoSave",   60, 1185,  615,  195),
    "cmdRegion":       (1026, "button",   None,          2100,    0,  375,  375),
}

# Window text of each control: a caption, an initial text, or for a picture
# button its tooltip (its accessible name).
TEXTS = {
    "cmdFullScreen": "画面全体をキャプチャします。",
    "cmdActiveWindow": "アクティブウィンドウをキャプチャします。",
    "cmdSave": "キャプチャすると名前を付けて保存できます。",
    "cmdExplorer": "保存パスのフォルダを開きます。",
    "cmdPrint": "キャプチャすると印刷できます。",
    "cmdHome": "Tavorinへ。",
    "cmdRegion": "範囲を指定してキャプチャします（F3、前回の範囲は Shift+F3）。",
    "fraTimer": "タイマー設定",
    "Label1": "秒",
    "chkClip": "クリップボードに保存",
    "chkAutoSave": "ファイルに保存",
    "fraAutoSave": "ファイルに保存",
    "lblSvPath": "保存ﾊﾟｽ",
    "lblPath": "C:\\",
    "cmdPath": "ファイルを保存するパスの指定。",
    "lblFile": "ﾌｧｲﾙ名",
    "txtFile": "Capture",
    "lblNumber": "開始No",
    "txtNumber": "001",
    "lblUp": "アップ",
    "txtUp": "1",
    "lblFormat": "形式",
    "StatusBar1": "",
}

CBO_TIMER_ITEMS = ["使用しない", "アクティブのみ", "常時使用"]
CBO_TIME_ITEMS = [str(i) for i in range(1, 10)]
CBO_FORMAT_ITEMS = ["BMP", "PNG"]

TAB_ORDER = ["cmdFullScreen", "cmdActiveWindow", "cmdExplorer", "cmdHome", "cboTimer", "cboTime",
             "chkClip", "chkAutoSave", "cmdPath", "txtFile", "txtNumber", "txtUp", "cboFormat", "cmdRegion"]

# Settings that keep every control enabled (a delay mode other than "not
# used", auto-save on) and the texts equal to the window's initial ones, so
# the checks hold whether or not the settings are applied at start.
SETTINGS = "\n".join([
    "FormTop   :300",
    "FormLeft  :300",
    "TimerKind :3",
    "TimerTime :3",
    "Clip      :0",
    "AutoSave  :1",
    "Path      :C:\\",
    "File      :Capture",
    "No        :001",
    "Up        :1",
]) + "\n"


def make_app(dpi=None):
    if dpi is None:
        return rig.Session(ini=SETTINGS)
    return rig.Session(ini=SETTINGS, dpi=dpi, width=1920, height=1080)


def cid(name):
    return LAYOUT[name][0]


def pixels(twips, dpi):
    """Twips as pixels at that DPI, halves rounded up (MulDiv)."""
    return (2 * twips * dpi + 1440) // 2880


def expected_rect(name, dpi):
    _, _, container, left, top, width, height = LAYOUT[name]
    if container:
        left += LAYOUT[container][3]
        top += LAYOUT[container][4]
    return tuple(pixels(v, dpi) for v in (left, top, width, height))


def kind_of(control):
    cls = control["class"].lower()
    if cls == "button":
        kind = control["button"]["kind"]
        if kind == "groupbox":
            return "frame"
        if kind in ("checkbox", "autocheckbox", "3state", "auto3state"):
            return "checkbox"
        if kind in ("push", "defpush", "ownerdraw"):
            return "button"
        return "button:" + kind
    if cls == "combobox":
        return "combo"
    if cls == "edit":
        return "text"
    if cls == "msctls_statusbar32":
        return "status"
    if cls == "static":
        # A label shows text; a picture static can serve as the preview.
        return "image" if control["static"]["type"] in (0x03, 0x0D, 0x0E, 0x0F) else "label"
    # The preview may be a window class of the program's own.
    return "image"


@SCALES
def test_window_title_size_and_frame(app, dpi):
    top = app.tree()
    checks = rig.Checks()
    checks.equal(top["dpi"], dpi, "the system DPI that Wine reports")
    checks.equal(top["title"], "Scrimble β", "title")
    for axis, actual, at96 in (("width", top["client"]["w"], 322), ("height", top["client"]["h"], 419)):
        checks.near(actual, at96 * dpi / 96, 0 if dpi == 96 else 2, f"client {axis} in pixels")
    checks.equal(top["style"]["thickframe"], False, "resizable border")
    checks.equal(top["style"]["sysmenu"], True, "system menu with close button")
    checks.equal(top["style"]["minimizebox"], True, "minimise button")
    checks.equal(len(top["controls"]), len(LAYOUT), "number of controls")
    checks.done()


@SCALES
def test_every_control_has_its_kind_place_and_text(app, dpi):
    top = app.tree()
    controls = {c["id"]: c for c in top["controls"]}
    checks = rig.Checks()
    for name, row in LAYOUT.items():
        control = controls.get(row[0])
        if not checks.true(control is not None, f"{name}: no control with ID {row[0]}"):
            continue
        checks.equal(kind_of(control), row[1], f"{name} kind ({control['class']})")
        r = control["rect"]
        ex, ey, ew, eh = expected_rect(name, dpi)
        for axis, actual, expected in (("left", r["x"], ex), ("top", r["y"], ey),
                                       ("width", r["w"], ew), ("height", r["h"], eh)):
            checks.near(actual, expected, 1, f"{name} {axis}")
        if name in TEXTS:
            checks.equal(control["text"], TEXTS[name], f"{name} text")
        checks.equal(control["visible"], True, f"{name} visible")
    checks.done()


# Wine's Japanese fallback font gives every kana a full em, so the widest item
# "アクティブのみ" (7 em) is a few pixels wider than the field that cboTimer's
# fixed width leaves beside its button, at any scale; Windows' proportional UI
# fonts fit it. Only its height is checked.
WIDTH_UNCHECKED = {"cboTimer"}


@SCALES
def test_japanese_text_fits_every_control(app, dpi):
    names = names_by_id()
    checks = rig.Checks()
    measured = app.text_fit()["controls"]
    checks.equal(len(measured), 17, "controls with texts of their own (labels, frames, boxes, lists)")
    for c in measured:
        name = names.get(c["id"], c["id"])
        need, room = c["need"], c["client"]
        checks.true(need["h"] <= room["h"], f"{name} {c['text']!r}: text {need['h']} px high in {room['h']}")
        if name not in WIDTH_UNCHECKED:
            checks.true(need["w"] <= room["w"], f"{name} {c['text']!r}: text {need['w']} px wide in {room['w']}")
    checks.done()


# Tooltips of controls whose window text is something else.
OTHER_TIPS = {"lblPath": "ファイルを保存するパス。", "imgPicArea": "プレビュー。"}


def wait_for_tooltip(app, name, dpi):
    """Rests the mouse on the control and waits for its tooltip."""
    text = OTHER_TIPS.get(name, TEXTS.get(name))
    left, top, width, height = expected_rect(name, dpi)
    x, y = app.client_to_screen(left + width // 2, top + height // 2)
    app.xdotool("mousemove", x, y)
    app.xdotool("mousemove", x + 1, y)  # a move inside the control starts the tooltip's timer
    app.wait_until(lambda: any(t["visible"] and t["text"] == text for t in app.tree()["tooltips"]),
                   timeout=10, what=f"the tooltip of {name} at {dpi} DPI")


@SCALES
def test_greyed_and_enabled_controls_show_their_tooltips(app, dpi):
    for name in ("cmdSave", "cmdPrint", "cmdFullScreen", "lblPath", "imgPicArea"):
        wait_for_tooltip(app, name, dpi)


def window_image(app, name):
    """A screenshot of the window and where its client area starts in it."""
    top = app.tree()
    image = read_ppm(app.screenshot(os.path.join(app.dir, name + ".ppm")))
    return image, top["client_origin"]["x"] - top["rect"]["x"], top["client_origin"]["y"] - top["rect"]["y"]


# Pictures grow in whole steps, the largest that fits inside the button's
# 2-pixel raised edge: 25 and 38 pixel buttons hold 21 x 20 once, 50 twice.
PICTURE_SCALE = {96: 1, 144: 1, 192: 2}
HOUSE_INK = (19, 18)  # what src/ui/art/home.art draws of its 21 x 20 pixels


@SCALES
def test_button_pictures_grow_in_whole_steps_with_the_buttons(app, dpi):
    image, cx, cy = window_image(app, f"home-{dpi}")
    left, top, width, height = expected_rect("cmdHome", dpi)
    x0, y0 = cx + left + 2, cy + top + 2
    face = image.at(x0, y0)
    ink = [(x, y) for y in range(y0, y0 + height - 4) for x in range(x0, x0 + width - 4) if image.at(x, y) != face]
    size = (max(x for x, _ in ink) - min(x for x, _ in ink) + 1, max(y for _, y in ink) - min(y for _, y in ink) + 1)
    assert size == (HOUSE_INK[0] * PICTURE_SCALE[dpi], HOUSE_INK[1] * PICTURE_SCALE[dpi])


def test_a_long_save_path_keeps_its_end_in_view():
    # Two folders whose paths, too long for lblPath's two lines, differ only at the end.
    folder = "C:\\" + "\\".join(f"撮影フォルダ{i}" for i in range(6)) + "\\"
    pictures = []
    for last in ("最後A", "最後B"):
        with rig.Session(ini=SETTINGS.replace("Path      :C:\\", "Path      :" + folder + last)) as app:
            app.wait_until(lambda: app.controls()[cid("lblPath")]["text"].endswith(last), what="the folder")
            image, cx, cy = window_image(app, "path")
            left, top, width, height = expected_rect("lblPath", 96)
            pictures.append([image.at(cx + x, cy + y) for y in range(top, top + height)
                             for x in range(left, left + width)])
    differs = pictures[0] != pictures[1]
    assert differs, "lblPath shows the same for two folders that differ at the end"


def test_lists_limits_and_states(app):
    controls = app.controls()
    checks = rig.Checks()
    timer = controls[cid("cboTimer")]["combo"]
    time_ = controls[cid("cboTime")]["combo"]
    checks.equal(timer["items"], CBO_TIMER_ITEMS, "cboTimer items")
    checks.equal(time_["items"], CBO_TIME_ITEMS, "cboTime items")
    format_ = controls[cid("cboFormat")]["combo"]
    checks.equal(format_["items"], CBO_FORMAT_ITEMS, "cboFormat items")
    checks.equal(format_["selected"], 0, "cboFormat: BMP for settings of ten lines")
    for name, combo in (("cboTimer", timer), ("cboTime", time_), ("cboFormat", format_)):
        checks.equal(combo["kind"], "dropdownlist", f"{name} style")
        checks.equal(combo["sorted"], False, f"{name} sorted")
    checks.equal(controls[cid("txtNumber")]["edit"]["limit"], 5, "txtNumber limit")
    checks.equal(controls[cid("txtUp")]["edit"]["limit"], 3, "txtUp limit")
    for name in ("txtFile", "txtNumber", "txtUp"):
        edit = controls[cid(name)]["edit"]
        checks.equal((edit["multiline"], edit["readonly"], edit["password"]),
                     (False, False, False), f"{name} multiline/readonly/password")
    checks.true(controls[cid("txtFile")]["edit"]["limit"] > 5, "txtFile has no small limit")
    for name in ("cmdSave", "cmdPrint"):
        checks.equal(controls[cid(name)]["enabled"], False, f"{name} enabled")
    for name, row in LAYOUT.items():
        if name not in ("cmdSave", "cmdPrint"):
            checks.equal(controls[row[0]]["enabled"], True, f"{name} enabled")
        if row[1] == "button":
            checks.true(controls[row[0]]["button"]["kind"] != "defpush",
                        f"{name} must not be the default button")
    checks.equal(controls[cid("chkAutoSave")]["button"]["check"], 1, "chkAutoSave checked")
    checks.equal(controls[cid("chkClip")]["button"]["check"], 0, "chkClip unchecked")
    checks.done()


def test_labels_frames_and_image_lie_beneath_windowed_controls(app):
    controls = app.tree()["controls"]
    beneath = [c for c in controls if kind_of(c) in ("label", "frame", "image")]
    above = [c for c in controls if kind_of(c) in ("button", "checkbox", "combo", "text")]
    lowest_windowed = max(c["z"] for c in above)
    checks = rig.Checks()
    for c in beneath:
        checks.true(c["z"] > lowest_windowed,
                    f"{c['class']} {c['id']} ({c['text']!r}) at z {c['z']} is above a windowed "
                    f"control (lowest windowed control at z {lowest_windowed})")
    checks.done()


def test_focus_starts_on_full_screen_button(app):
    focus = app.focus()
    assert focus["focus"] is not None, "no control has the focus"
    assert focus["focus"]["id"] == cid("cmdFullScreen"), f"focus on {focus['focus']}"


def names_by_id():
    return {row[0]: name for name, row in LAYOUT.items()}


def wait_for_focus(app, expected_name, step):
    names = names_by_id()
    try:
        app.wait_until(lambda: app.focused_id() == cid(expected_name), timeout=10,
                       what=f"focus on {expected_name}")
    except AssertionError:
        actual = app.focused_id()
        raise AssertionError(f"after {step}: focus on {names.get(actual, actual)}, "
                             f"expected {expected_name}") from None


def test_tab_cycles_through_the_controls_in_tab_order(app):
    if not app.focus()["foreground_is_window"]:
        # A click on the caption makes the window active without moving its focus.
        origin = app.tree()["client_origin"]
        app.click_screen(origin["x"] + 200, origin["y"] - 8)
    wait_for_focus(app, "cmdFullScreen", "start")
    for step, name in enumerate(TAB_ORDER[1:] + TAB_ORDER[:1], start=1):
        app.key("Tab")
        wait_for_focus(app, name, f"Tab #{step}")


def test_shift_tab_goes_backwards(app):
    wait_for_focus(app, "cmdFullScreen", "start")
    for step, name in enumerate(reversed(TAB_ORDER), start=1):
        app.key("shift+Tab")
        wait_for_focus(app, name, f"Shift+Tab #{step}")


def test_a_window_that_cannot_be_made_ends_the_program_with_a_code_not_an_abort():
    """Without an X server Wine can make no window: the failure is caught and
    reported (the message box cannot show there either), and the program
    ends with exit code 1 instead of aborting through std::terminate."""
    session = rig.Session(start=False)
    try:
        missing = next(f":{n}" for n in range(9999, 9000, -1) if not os.path.exists(f"/tmp/.X11-unix/X{n}"))
        session.env["DISPLAY"] = missing
        proc = session.spawn()
        code = session.wait_exit(120, proc=proc)
        with open(os.path.join(session.dir, "app.log"), errors="replace") as f:
            log = f.read()
        checks = rig.Checks()
        checks.equal(code, 1, "exit code")
        checks.true("terminate called" not in log, f"the program aborted: {log[-300:]!r}")
        checks.done()
    finally:
        session.stop()


WM_DPICHANGED = 0x02E0


def test_a_dpi_change_lays_the_window_out_anew(app):
    # As when the window moves to a monitor of another scale (the rectangle
    # Windows suggests is left out: it would not cross the process border).
    checks = rig.Checks()
    try:
        for dpi in (144, 96):  # 192 would not fit the 1024 x 768 test screen
            app.probe("post", app.title, WM_DPICHANGED, dpi << 16 | dpi, 0)
            app.wait_until(lambda: app.tree()["client"]["w"] == pixels(4830, dpi), what=f"the layout at {dpi} DPI")
            top = app.tree()
            checks.equal((top["client"]["w"], top["client"]["h"]), (pixels(4830, dpi), pixels(6285, dpi)),
                         f"client size at {dpi} DPI")
            for c in top["controls"]:
                name = names_by_id()[c["id"]]
                for axis, expected in zip("xywh", expected_rect(name, dpi)):
                    checks.near(c["rect"][axis], expected, 1, f"{name} {axis} at {dpi} DPI")
            wait_for_tooltip(app, "cmdSave", dpi)
    finally:
        app.probe("post", app.title, WM_DPICHANGED, 96 << 16 | 96, 0)
    checks.done()
