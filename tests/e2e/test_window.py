"""The main window as it opens: title, size, every control's place, kind,
text, list items, limits and states, the initial focus and the tab cycle.

Controls are identified by their control IDs (1000 + row of the window
definition). Positions come from the window definition in twips, turned into
pixels at 96 DPI (15 twips a pixel); children of a frame are placed relative
to the frame.
"""

import rig

TWIPS_PER_PIXEL = 15

# name: (id, kind, container, left, top, width, height) in twips
LAYOUT = {
    "cmdHome":         (1000, "button",   None,          4440,    0,  375,  375),
    "cmdPrint":        (1001, "button",   None,          1620,    0,  375,  375),
    "chkAutoSave":     (1002, "checkbox", None,          2520,  900, 2175,  255),
    "cmdExplorer":     (1003, "button",   None,          1140,    0,  375,  375),
    "chkClip":         (1004, "checkbox", None,          2520,  600, 2115,  255),
    "fraAutoSave":     (1005, "frame",    None,             0, 1200, 4815, 1155),
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
    "imgPicArea":      (1023, "image",    None,            60, 2400, 4695, 3525),
}

# Window text of each control: a caption, an initial text, or for a picture
# button its tooltip (its accessible name).
TEXTS = {
    "cmdFullScreen": "画面全体をキャプチャします。",
    "cmdActiveWindow": "アクティブウィンドウをキャプチャします。",
    "cmdSave": "もう少し待ってね！",
    "cmdExplorer": "保存パスのフォルダを開きます。",
    "cmdPrint": "もう少し待ってね！",
    "cmdHome": "Tavorinへ。",
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
    "StatusBar1": "",
}

CBO_TIMER_ITEMS = ["使用しない", "アクティブのみ", "常時使用"]
CBO_TIME_ITEMS = [str(i) for i in range(1, 10)]

TAB_ORDER = ["cmdFullScreen", "cmdActiveWindow", "cmdExplorer", "cmdHome", "cboTimer", "cboTime",
             "chkClip", "chkAutoSave", "cmdPath", "txtFile", "txtNumber", "txtUp"]

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


def make_app():
    return rig.Session(ini=SETTINGS)


def cid(name):
    return LAYOUT[name][0]


def expected_rect(name):
    _, _, container, left, top, width, height = LAYOUT[name]
    if container:
        left += LAYOUT[container][3]
        top += LAYOUT[container][4]
    return tuple(v // TWIPS_PER_PIXEL for v in (left, top, width, height))


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


def test_window_title_size_and_frame(app):
    top = app.tree()
    checks = rig.Checks()
    checks.equal(top["title"], "Scrimble β", "title")
    checks.equal((top["client"]["w"], top["client"]["h"]), (322, 419), "client size in pixels")
    checks.equal(top["style"]["thickframe"], False, "resizable border")
    checks.equal(top["style"]["sysmenu"], True, "system menu with close button")
    checks.equal(top["style"]["minimizebox"], True, "minimise button")
    checks.equal(len(top["controls"]), len(LAYOUT), "number of controls")
    checks.done()


def test_every_control_has_its_kind_place_and_text(app):
    top = app.tree()
    controls = {c["id"]: c for c in top["controls"]}
    checks = rig.Checks()
    for name, row in LAYOUT.items():
        control = controls.get(row[0])
        if not checks.true(control is not None, f"{name}: no control with ID {row[0]}"):
            continue
        checks.equal(kind_of(control), row[1], f"{name} kind ({control['class']})")
        r = control["rect"]
        ex, ey, ew, eh = expected_rect(name)
        for axis, actual, expected in (("left", r["x"], ex), ("top", r["y"], ey),
                                       ("width", r["w"], ew), ("height", r["h"], eh)):
            checks.near(actual, expected, 1, f"{name} {axis}")
        if name in TEXTS:
            checks.equal(control["text"], TEXTS[name], f"{name} text")
        checks.equal(control["visible"], True, f"{name} visible")
    checks.done()


def test_lists_limits_and_states(app):
    controls = app.controls()
    checks = rig.Checks()
    timer = controls[cid("cboTimer")]["combo"]
    time_ = controls[cid("cboTime")]["combo"]
    checks.equal(timer["items"], CBO_TIMER_ITEMS, "cboTimer items")
    checks.equal(time_["items"], CBO_TIME_ITEMS, "cboTime items")
    for name, combo in (("cboTimer", timer), ("cboTime", time_)):
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


# The tooltips of a picture button, a label and the preview.
TOOLTIPS = {"cmdFullScreen": "画面全体をキャプチャします。", "lblPath": "ファイルを保存するパス。",
            "imgPicArea": "プレビュー。"}


def test_resting_the_mouse_on_a_control_shows_its_tooltip(app):
    checks = rig.Checks()

    def shown():
        return [t["text"] for t in app.tree()["tooltips"] if t["visible"]]

    for name, text in TOOLTIPS.items():
        r = app.controls()[cid(name)]["rect"]
        x, y = app.client_to_screen(r["x"] + r["w"] // 2, r["y"] + r["h"] // 2)
        app.xdotool("mousemove", x, y)
        app.xdotool("mousemove", x + 1, y)  # a move inside the control starts the tooltip's timer
        try:
            app.wait_until(lambda: text in shown(), 10, f"the tooltip over {name}")
        except AssertionError:
            checks.equal(shown(), [text], f"tooltips shown over {name}")
    app.xdotool("mousemove", 0, 0)
    checks.done()
