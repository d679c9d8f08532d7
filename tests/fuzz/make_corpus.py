#!/usr/bin/env python3
"""Writes the seed corpora under tests/fuzz/corpus/. Run once after changing
it; the files it writes are kept in the repository.

settings/     Scrimble.ini as the program writes it, as people edit it, in
              code page 932, and the default file with each line broken in
              turn (a value that cannot apply, and the line cut inside its key).
conversions/  number texts for the conversions target; the bytes at the end
              become its integers and locale (the target takes them from there).
"""
import pathlib

HERE = pathlib.Path(__file__).resolve().parent
KEYS = ["FormTop   :", "FormLeft  :", "TimerKind :", "TimerTime :", "Clip      :",
        "AutoSave  :", "Path      :", "File      :", "No        :", "Up        :",
        "Format    :", "KeyScreen :", "KeyWindow :", "KeyRegion :", "OnScreen  :", "OnWindow  :", "OnRegion  :",
        "ToTray    :", "Cursor    :", "KeyLast   :", "OnLast    :", "Region    :"]
DEFAULTS = ["10", "10", "1", "5", "1", "1", "C:\\", "Screen", "01", "10",
            "BMP", "PrtSc", "Alt+PrtSc", "Ctrl+PrtSc", "1", "1", "1", "0", "0", "Shift+PrtSc", "1", ""]
# Per line, a value the reader cannot apply, or for the texts one that only
# just fits its control or is cut by it; for the format and the options, one
# that reads as its default.
BROKEN = ["abc", "1E+39", "4", "-1", "3", "x", "D:\\" + "p" * 150, "\x82\xa0" * 60 + "\x95", "1234567", "12345",
          "GIF", "Meta+Q", "Alt+", "Ctrl+F99", "yes", "2", "-1", "on", "1.0", "Shift", "y", "5,5,5,9"]


def ini(values, ending="\r\n"):
    return "".join(k + v + ending for k, v in zip(KEYS, values)).encode("latin-1")


def cp932(text):
    return text.encode("cp932").decode("latin-1")


def settings():
    files = {
        "default-c.ini": ini(DEFAULTS),
        "default-a.ini": ini(DEFAULTS[:6] + ["A:\\"] + DEFAULTS[7:]),
        "custom.ini": ini(["300", "450", "2", "3", "0", "0", "D:\\Shots\\", "Cap", "007", "5", "PNG", "Ctrl+F1",
                           "shift+f12", " Alt + F5 ", "0", "1", "0", "1", "1", "Ctrl+F3", "0", "-100,5,300,250"]),
        "first-version.ini": ini(DEFAULTS[:10]),
        "position.ini": ini(["-15.25", "1234.5", "0", "7", "2", "0", "C:\\", "name ", "00042", "-3"]),
        "cp932-names.ini": ini(DEFAULTS[:6] + [cp932(" F:\\画像 ソ\\表示\\"), cp932("画面ｶﾞｿﾞｳ"), "01", "10"]),
        # Hand-edited: greyed check box, a repeated key (the last one counts),
        # keys in another case or without their padding, blanks round a number.
        "hand-edited.ini": ini(["1234.5", "-60", "3", "9", "2", "0", cp932("D:\\画像\\"), " Shot", "1234567", "5"])
        + b"Up        :25\r\nclip      :7\r\nClip:1\r\nTimerTime : 5.5 \r\n",
        "lf-only.ini": ini(DEFAULTS, "\n"),
        "cr-only.ini": ini(DEFAULTS, "\r"),
        "no-final-line-end.ini": ini(DEFAULTS)[:-2],
        "empty.ini": b"",
    }
    for i, key in enumerate(KEYS):
        name = key.split()[0].rstrip(":").lower()
        values = list(DEFAULTS)
        values[i] = BROKEN[i]
        files[f"broken-{i + 1:02}-{name}-value.ini"] = ini(values)
        lines = ini(DEFAULTS).split(b"\r\n")
        lines[i] = lines[i][: len(key) // 2]
        files[f"broken-{i + 1:02}-{name}-cut.ini"] = b"\r\n".join(lines)
    return files


def conversions():
    # Text, then 8 bytes of double, a mask length, a 64-bit and a 16-bit
    # integer and the locale, read from the end.
    def seed(text, tail=b"\x00" * 8 + b"\x04" + b"\x01" * 8 + b"\x7f\xff" + b"\x00"):
        return text.encode("latin-1") + tail

    texts = ["10", "12.5", " -3E+07 ", "\t+.5\t", "1e309", "-1e-400", "32767.5", "-32768.5", "0,5", "abc",
             "1,234", "5.", ".e5", "1e", "  ", "", "\x80" + "42" + "\x80", "0" * 40 + "1", "9" * 320]
    return {f"text-{i:02}": seed(t) for i, t in enumerate(texts)}


def main():
    for folder, files in (("settings", settings()), ("conversions", conversions())):
        target = HERE / "corpus" / folder
        target.mkdir(parents=True, exist_ok=True)
        for old in target.iterdir():
            old.unlink()
        for name, data in files.items():
            (target / name).write_bytes(data)


if __name__ == "__main__":
    main()
