"""The main window's behaviour end to end: the delay-length list following the
delay mode, the number box refusing a word, the capture keys from a text box
and with modifiers, the folder browser, the shell launches, a second copy
turned away, and the settings written on Esc and on closing the window.

The tests that take `app` share one running program (starting it costs one
to three minutes here) and run in the order written; each leaves the window
as it found it where it can. The last one ends the program; the close test
starts its own.
"""

import json
import os
import re
import time

import rig
from capture_tools import DEFAULT_OPTION_LINES, OtherWindow

START_TIMEOUT = max(rig.START_TIMEOUT, 480)
# A 32-bit helper that the shell starts (explorer, winebrowser) or a second
# copy of the program needs as long as the program itself to come up.
LAUNCH_TIMEOUT = 480
EXIT_TIMEOUT = 120
# What takes this long to answer a click hangs (the reply comes within a second).
HANG_SECONDS = 10

ID = rig.CONTROL_IDS

TIMER_ENTRIES = ["使用しない", "アクティブのみ", "常時使用"]
SHOTS = "shots"

# Placed right of and below where Wine's explorer opens (0, 0, 640 x 480), so
# a folder window never covers this window's title bar.
WINDOW_LEFT_TWIPS = 9600
WINDOW_TOP_TWIPS = 4500


def home_page_address():
    """The address the program is built with, from its one named constant."""
    source = os.path.join(rig.ROOT, "src", "ui", "shell_commands.cpp")
    with open(source, encoding="utf-8") as f:
        match = re.search(r'kHomePageAddress\s*=\s*L"([^"]+)"', f.read())
    assert match, f"no kHomePageAddress in {source}"
    return match.group(1)


def windows_path(unix_path):
    # Wine maps drive Z: to the Unix root.
    return "Z:" + unix_path.replace("/", "\\")


def settings_lines(folder, timer_kind=2, timer_time=1, number="01", step="10", file="Screen"):
    return [
        f"FormTop   :{WINDOW_TOP_TWIPS}",
        f"FormLeft  :{WINDOW_LEFT_TWIPS}",
        f"TimerKind :{timer_kind}",
        f"TimerTime :{timer_time}",
        "Clip      :1",
        "AutoSave  :1",
        f"Path      :{folder}",
        f"File      :{file}",
        f"No        :{number}",
        f"Up        :{step}",
        "Format    :BMP",
    ] + DEFAULT_OPTION_LINES


def ini_bytes(lines):
    return "".join(line + "\r\n" for line in lines).encode("cp932")


def start(make_ini):
    """A session whose working directory holds a folder for captures and the
    Scrimble.ini that make_ini(folder) returns, with the program running."""
    app = rig.Session(start=False)
    try:
        os.makedirs(os.path.join(app.workdir, SHOTS))
        app.shots = os.path.join(app.workdir, SHOTS)
        app.shots_path = windows_path(app.shots)
        app.write_file("Scrimble.ini", ini_bytes(make_ini(app.shots_path)))
        app.launch(timeout=START_TIMEOUT)
    except BaseException:
        app.stop()
        raise
    return app


def make_app():
    return start(lambda folder: settings_lines(folder))


# ------------------------------------------------------------------ helpers

def make_foreground(app):
    """Keys go to the foreground window; a click on the title bar makes ours
    the foreground one without moving its focus."""
    if app.focus()["foreground_is_window"]:
        return
    top = app.tree()
    app.click_screen(top["client_origin"]["x"] + top["client"]["w"] // 2,
                     (top["rect"]["y"] + top["client_origin"]["y"]) // 2)
    app.wait_until(lambda: app.focus()["foreground_is_window"], 10, "window in the foreground")


def wait_for_focus(app, name, step, timeout=10):
    try:
        app.wait_until(lambda: app.focused_id() == ID[name], timeout, f"focus on {name}")
    except AssertionError:
        raise AssertionError(f"{step}: focus on control {app.focused_id()}, expected {name}") from None


def stays_focused(app, name, seconds=2.0):
    """True when the focus is on the control now and for `seconds` after."""
    end = time.time() + seconds
    while time.time() < end:
        if app.focused_id() != ID[name]:
            return False
        time.sleep(0.25)
    return app.focused_id() == ID[name]


def focus_control(app, name):
    make_foreground(app)
    app.click_control(ID[name])
    wait_for_focus(app, name, f"click on {name}")


def replace_text(app, name, text):
    """Puts `text` into a text box as a user would: click, select all, type."""
    focus_control(app, name)
    app.key("End", "shift+Home")
    app.type(text)
    app.wait_until(lambda: app.controls()[ID[name]]["text"] == text, 10, f"{name} to read {text!r}")


def combo_state(app, name):
    c = app.controls()[ID[name]]
    return c["combo"]["selected"], c["enabled"]


def wait_for_status(app, file_name):
    """The status bar's text once it names the file just saved."""
    def status():
        text = app.controls()[ID["StatusBar1"]]["text"]
        return text if file_name in text else None
    return app.wait_until(status, 30, f"status bar to report {file_name}")


def shots(app):
    return sorted(os.listdir(app.shots))


def size_text(size):
    # Grouped by thousands and at least four digits, as the status bar shows it.
    return f"{size:05,}"


def close_by_title_bar(app, title):
    """Clicks the close button that Wine draws on the window's title bar."""
    top = app.tree(title)
    border = top["client_origin"]["x"] - top["rect"]["x"]
    right = top["rect"]["x"] + top["rect"]["w"]
    app.click_screen(right - border - 10, (top["rect"]["y"] + top["client_origin"]["y"]) // 2)


def new_windows(app, before_handles):
    return [w for w in app.windows() if w["hwnd"] not in before_handles]


def dialogs_up(app):
    """The program's own dialogs and message boxes."""
    pid = app.tree()["pid"]
    return [d for d in app.msgboxes() if d["pid"] == pid]


# ------------------------------------------------------------------ tests

def test_delay_length_follows_the_delay_mode(app):
    checks = rig.Checks()
    # Loaded "アクティブのみ": the length list is usable right after start.
    checks.equal(combo_state(app, "cboTimer"), (1, True), "cboTimer after start")
    checks.equal(combo_state(app, "cboTime"), (0, True), "cboTime after start (selected, enabled)")

    focus_control(app, "cboTimer")  # a click drops the list down
    steps = [("Up", 0, False), ("Return", 0, False), ("Down", 1, True), ("Down", 2, True),
             ("Up", 1, True), ("Up", 0, False)]
    for key, entry, time_enabled in steps:
        app.key(key)
        try:
            app.wait_until(lambda: combo_state(app, "cboTimer")[0] == entry
                           and combo_state(app, "cboTime")[1] == time_enabled, 10,
                           f"{TIMER_ENTRIES[entry]} chosen")
        except AssertionError:
            pass
        timer_index, _ = combo_state(app, "cboTimer")
        time_index, enabled = combo_state(app, "cboTime")
        checks.equal(timer_index, entry, f"after {key}: cboTimer entry")
        checks.equal(enabled, time_enabled, f"after {key} ({TIMER_ENTRIES[entry]}): cboTime enabled")
        checks.equal(time_index, 0, f"after {key}: cboTime keeps its entry")
    checks.equal(app.controls()[ID["cboTimer"]]["combo"]["dropped"], False, "list closed again")
    checks.done()


def test_number_box_keeps_the_focus_until_it_holds_a_number(app):
    checks = rig.Checks()
    replace_text(app, "txtNumber", "abc")
    app.key("Tab")
    time.sleep(1)
    checks.true(stays_focused(app, "txtNumber"),
                f"after Tab with a word: focus on {app.focused_id()}, expected it to stay in txtNumber")
    checks.equal(app.controls()[ID["txtNumber"]]["text"], "abc", "the word stays as typed")
    checks.true(not app.msgboxes(), "no message for a word in the number box")

    replace_text(app, "txtNumber", "01")
    app.key("Tab")
    wait_for_focus(app, "txtUp", "Tab with a number")
    # Entered by Tab with the caret at its start: its whole text is selected.
    edit = app.controls()[ID["txtUp"]]
    checks.equal((edit["edit"]["sel_start"], edit["edit"]["sel_end"]), (0, len(edit["text"])),
                 "txtUp selection after Tab")
    checks.done()


def test_capture_keys_work_from_a_text_box_and_not_with_modifiers(app):
    checks = rig.Checks()
    replace_text(app, "txtNumber", "01")
    replace_text(app, "txtUp", "10")
    checks.equal(combo_state(app, "cboTimer")[0], 0, "no delay chosen (earlier test)")
    focus_control(app, "txtFile")

    # F1 from the base-name box: the whole screen, saved and on the clipboard.
    app.key("F1")
    app.wait_until(lambda: "Screen01.bmp" in shots(app), 60, "Screen01.bmp after F1")
    status = wait_for_status(app, "Screen01.bmp")
    size = os.path.getsize(os.path.join(app.shots, "Screen01.bmp"))
    checks.equal(status, f" Screen01.bmp ： {size_text(size)} bytes", "status bar after F1")
    checks.equal(app.controls()[ID["txtNumber"]]["text"], "11", "number after F1")
    # The session's clipboard was empty; the capture put a bitmap there. (Its
    # pixels are the capture tests' business.)
    checks.true("CF_BITMAP" in app.clipboard(probe32=False)["formats"], "bitmap on the clipboard after F1")
    checks.true(app.tree()["visible"], "window shown again after F1")
    wait_for_focus(app, "txtFile", "after F1 (the window comes back with its focus)")

    # F2 from the same box: the window that comes to the front once ours
    # hides (with none at all, the capture is refused with a message), saved
    # under the next number.
    with OtherWindow(app, "Window behind", 600, 400, 300, 200, (0x20, 0x90, 0x40)):
        focus_control(app, "txtFile")
        app.key("F2")
        app.wait_until(lambda: "Screen11.bmp" in shots(app), 60, "Screen11.bmp after F2")
        wait_for_status(app, "Screen11.bmp")
    checks.equal(app.controls()[ID["txtNumber"]]["text"], "21", "number after F2")
    wait_for_focus(app, "txtFile", "after F2")

    # With Shift or Ctrl held the keys are no shortcuts.
    before = (shots(app), app.controls()[ID["StatusBar1"]]["text"])
    app.key("shift+F1")
    app.key("ctrl+F2")
    time.sleep(8)  # a capture would have saved within a few seconds
    after = (shots(app), app.controls()[ID["StatusBar1"]]["text"])
    checks.equal(after, before, "files and status bar after Shift+F1 and Ctrl+F2")
    checks.equal(app.controls()[ID["txtNumber"]]["text"], "21", "number after Shift+F1 and Ctrl+F2")
    checks.equal(app.tree()["visible"], True, "window still shown")
    checks.done()


def test_cancelling_the_folder_browser_keeps_the_folder(app):
    checks = rig.Checks()
    folder = app.controls()[ID["lblPath"]]["text"]
    checks.equal(folder, app.shots_path, "folder before browsing")
    make_foreground(app)
    pid = app.tree()["pid"]
    app.click_control(ID["cmdPath"])
    dialogs = app.wait_until(lambda: [d for d in app.msgboxes() if d["pid"] == pid], 60,
                             "the folder browser")
    try:
        browser = dialogs[0]
        checks.equal(browser["owner_title"], app.title, "folder browser owner")
        checks.true("ﾌｫﾙﾀﾞを選択してください" in browser["texts"],
                    f"prompt in the folder browser: {browser['texts']}")
        checks.equal(app.tree()["enabled"], False, "main window disabled while browsing (modal)")
        cancel = [b["text"] for b in browser["buttons"] if b["id"] == 2]
        checks.equal(len(cancel), 1, f"one Cancel button among {browser['buttons']}")
    finally:
        # Cancel (ID 2) whatever its caption; the dialog must not outlive the test.
        for b in dialogs[0]["buttons"]:
            if b["id"] == 2:
                app.press_msgbox(b["text"])
    app.wait_until(lambda: not [d for d in app.msgboxes() if d["pid"] == pid], 30,
                   "the folder browser to close")
    checks.equal(app.controls()[ID["lblPath"]]["text"], folder, "folder after Cancel")
    checks.equal(app.tree()["enabled"], True, "main window enabled again")
    checks.done()


def test_f4_opens_the_folder_and_f12_the_home_page(app):
    checks = rig.Checks()
    make_foreground(app)
    before = {w["hwnd"] for w in app.windows()}
    app.key("F4")
    app.key("F12")

    def folder_windows():
        if not app.alive():
            raise AssertionError(f"program ended with {app.exit_code()} after F4 and F12")
        return [w for w in new_windows(app, before) if w["class"] == "ExplorerWClass"]

    # Wine opens a folder in its own explorer and hands web addresses to
    # xdg-open, which the session records instead of opening a browser.
    folder_window = app.wait_until(folder_windows, LAUNCH_TIMEOUT, "a file-manager window", interval=2)[0]
    checks.equal(folder_window["title"], SHOTS, "file-manager window title (the folder's name)")
    try:
        app.wait_until(lambda: app.opened_urls(), LAUNCH_TIMEOUT, "the browser launch", interval=2)
    except AssertionError as error:
        checks.true(False, str(error))
    checks.equal(app.opened_urls(), [home_page_address()], "addresses handed to the browser")

    close_by_title_bar(app, folder_window["title"])
    try:
        app.wait_until(lambda: not folder_windows(), 60, "the file-manager window to close")
    except AssertionError as error:
        checks.true(False, str(error))
    checks.equal(app.alive(), True, "program still running")
    checks.done()


def test_folder_browser_opens_after_the_folder_window_has_closed(app):
    """Nothing of the explorer process that F4 started stands between a click
    on cmdPath and the folder browser, also for a second click with the
    pointer left on the button."""
    checks = rig.Checks()
    pid = app.tree()["pid"]
    for click in (1, 2):
        make_foreground(app)
        asked = time.time()
        app.click_control(ID["cmdPath"])
        try:
            dialogs = app.wait_until(lambda: [d for d in app.msgboxes() if d["pid"] == pid], 30,
                                     "the folder browser")
        except AssertionError as error:
            checks.true(False, f"click {click}: {error}")
            continue
        waited = time.time() - asked
        checks.true(waited < HANG_SECONDS, f"click {click}: the folder browser came {waited:.1f} s after "
                                           f"the click was asked for")
        for b in dialogs[0]["buttons"]:
            if b["id"] == 2:
                app.press_msgbox(b["text"])
        app.wait_until(lambda: not [d for d in app.msgboxes() if d["pid"] == pid], 30,
                       "the folder browser to close")
    checks.done()


def test_second_copy_says_so_and_leaves_the_first_and_the_settings_alone(app):
    checks = rig.Checks()
    ini = os.path.join(app.workdir, "Scrimble.ini")
    bytes_before = app.read_file("Scrimble.ini", encoding=None)
    mtime_before = os.stat(ini).st_mtime_ns
    first_pid = app.tree()["pid"]

    second = app.spawn()  # same prefix and working directory; the session ends it if need be

    def box():
        if second.poll() is not None:
            raise AssertionError(f"second copy ended with {second.returncode} before showing a message")
        return [d for d in app.msgboxes() if d["pid"] != first_pid]

    boxes = app.wait_until(box, LAUNCH_TIMEOUT, "the second copy's message", interval=2)
    checks.equal(len(boxes), 1, f"one message box: {json.dumps(boxes, ensure_ascii=False)}")
    message = boxes[0]
    checks.equal(message["title"], "Scrimble", "message title")
    checks.equal(message["texts"], ["既に起動されています"], "message text")
    checks.equal([b["text"] for b in message["buttons"]], ["OK"], "message buttons")
    mains = [w for w in app.windows() if w["title"] == app.title]
    checks.equal([w["pid"] for w in mains], [first_pid], "only the first copy's window is shown")

    app.press_msgbox("OK")
    checks.equal(app.wait_exit(EXIT_TIMEOUT, proc=second), 0, "second copy's exit code after OK")
    checks.equal(app.alive(), True, "first copy still running")
    checks.equal(app.tree()["visible"], True, "first copy's window still shown")
    checks.equal(app.read_file("Scrimble.ini", encoding=None), bytes_before, "settings file bytes")
    checks.equal(os.stat(ini).st_mtime_ns, mtime_before, "settings file time")
    checks.done()


def test_escape_writes_the_settings_and_ends_the_program(app):
    checks = rig.Checks()
    replace_text(app, "txtNumber", "abc")  # a word is written as it is
    controls = app.controls()
    expected = ini_bytes(settings_lines(
        controls[ID["lblPath"]]["text"],
        timer_kind=controls[ID["cboTimer"]]["combo"]["selected"] + 1,
        timer_time=controls[ID["cboTime"]]["combo"]["selected"] + 1,
        number="abc",
        step=controls[ID["txtUp"]]["text"],
        file=controls[ID["txtFile"]]["text"]))
    app.key("Escape")
    checks.equal(app.wait_exit(EXIT_TIMEOUT), 0, "exit code after Esc")
    checks.equal(app.read_file("Scrimble.ini", encoding=None), expected, "settings file after Esc")
    checks.done()


def test_closing_the_window_writes_the_settings():
    app = start(lambda folder: settings_lines(folder, timer_kind=1, timer_time=5))
    try:
        checks = rig.Checks()
        # Lower case only: Wine drops the Shift that xdotool types capitals with.
        replace_text(app, "txtFile", "shot")
        focus_control(app, "cboTimer")
        app.key("Down", "Down")  # the list is down after the click: to "常時使用"
        app.wait_until(lambda: combo_state(app, "cboTimer")[0] == 2, 10, "常時使用 chosen")
        app.key("Return")
        expected = ini_bytes(settings_lines(app.shots_path, timer_kind=3, timer_time=5, file="shot"))
        close_by_title_bar(app, app.title)
        checks.equal(app.wait_exit(EXIT_TIMEOUT), 0, "exit code after closing")
        checks.equal(app.read_file("Scrimble.ini", encoding=None), expected, "settings file after closing")
        checks.done()
    finally:
        app.stop()


def test_f4_and_the_folder_button_run_no_script_named_as_the_folder():
    # A settings file can put anything in Path; the shell would run a script.
    app = start(lambda folder: settings_lines(folder.rsplit("\\", 1)[0] + "\\mark.bat"))
    try:
        marker = os.path.join(app.workdir, "marked.txt")
        with open(os.path.join(app.workdir, "mark.bat"), "w") as f:
            f.write(f"echo ran > {windows_path(marker)}\r\n")
        script = windows_path(os.path.join(app.workdir, "mark.bat"))
        checks = rig.Checks()
        checks.equal(app.controls()[ID["lblPath"]]["text"], script, "folder loaded from the settings")
        make_foreground(app)
        for what, press in [("F4", lambda: app.key("F4")),
                            ("cmdExplorer", lambda: app.click_control(ID["cmdExplorer"]))]:
            press()
            try:
                boxes = app.wait_until(lambda: dialogs_up(app), 60, f"the message after {what}")
            except AssertionError as error:
                checks.true(False, str(error))
                continue
            checks.equal([(box["title"], box["texts"][-1:]) for box in boxes],
                         [("Scrimble", [f"77 : フォルダが見つかりません: {script}"])], f"message after {what}")
            app.press_msgbox("OK")
            app.wait_until(lambda: not dialogs_up(app), 30, "the message box to close")
        time.sleep(3)  # a script started by the shell would have written by now
        checks.equal(os.path.exists(marker), False, "script ran (marker file written)")
        checks.equal(app.opened_urls(), [], "addresses handed to the browser")
        checks.done()
    finally:
        app.stop()
