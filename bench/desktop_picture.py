#!/usr/bin/env python3
"""A picture of a working desktop, the same every time for a given size: a
coloured background, a task bar, and overlapping windows with title bars and
many lines of anti-aliased text, drawn by ImageMagick's `convert` with a font
of this machine. The PNG table paints the X root with it, so that a capture
compresses as a real screen does, not as one flat colour.

    python3 bench/desktop_picture.py 1920x1080 out.png    # to look at it
"""

import os
import random
import subprocess
import sys

WORDS = ("the window shows each capture as it was taken and saves it to the folder "
         "chosen in the settings with a number that counts up file name path timer "
         "delay active screen picture format clipboard print preview status bar line "
         "text column table report draft meeting notes budget review schedule build "
         "test release branch merge commit change fix error warning value result "
         "figure size width height colour font button list check box label frame").split()

BACKGROUND = "#2d6a8a"
TASK_BAR = "#1f262e"
TITLE_BARS = ("#3465a4", "#4e7a3a", "#7a4e8c", "#a4653a", "#3a7a7a")


def font_file(family, bold=False):
    """The file fontconfig picks for the family: the same glyphs on every run."""
    pattern = family + (":bold" if bold else "")
    out = subprocess.run(["fc-match", "--format=%{file}", pattern], capture_output=True, text=True)
    if out.returncode != 0 or not out.stdout:
        raise SystemExit(f"no font for {pattern!r} (fc-match)")
    return out.stdout


def _quoted(text):
    return "'" + text.replace("\\", "\\\\").replace("'", "\\'") + "'"


def drawing(width, height, regular, bold):
    """The picture as MVG drawing commands."""
    rnd = random.Random(f"{width}x{height}")  # the size alone decides the picture
    out = [f"viewbox 0 0 {width} {height}",
           f"fill '{BACKGROUND}'", f"rectangle 0,0 {width},{height}"]
    line = 17
    windows = max(3, width * height // 350_000)
    for n in range(windows):
        w = rnd.randint(width // 4, width // 2)
        h = rnd.randint(height // 4, height * 2 // 3)
        x = rnd.randint(0, width - w - 1)
        y = rnd.randint(0, height - h - 41)
        out += ["stroke 'none'", "fill '#00000040'", f"rectangle {x + 4},{y + 4} {x + w + 4},{y + h + 4}",
                "stroke '#6b6b6b'", "stroke-width 1", "fill '#ffffff'", f"rectangle {x},{y} {x + w},{y + h}",
                "stroke 'none'", f"fill '{TITLE_BARS[n % len(TITLE_BARS)]}'",
                f"rectangle {x + 1},{y + 1} {x + w - 1},{y + 26}",
                f"font {_quoted(bold)}", "font-size 13", "fill '#ffffff'",
                f"text {x + 8},{y + 18} {_quoted(' '.join(rnd.choice(WORDS) for _ in range(3)).title())}",
                f"font {_quoted(regular)}", "font-size 13", "fill '#1e1e1e'"]
        for ty in range(y + 26 + line + 4, y + h - 6, line):
            words, used = [], 0
            budget = (w - 20) // 7 - rnd.randint(0, (w - 20) // 14)  # about 7 px a letter, ragged ends
            while True:
                word = rnd.choice(WORDS)
                if used + len(word) + 1 > budget:
                    break
                words.append(word)
                used += len(word) + 1
            if words and rnd.random() > 0.12:  # now and then an empty line between paragraphs
                out.append(f"text {x + 10},{ty} {_quoted(' '.join(words))}")
    out += [f"fill '{TASK_BAR}'", f"rectangle 0,{height - 40} {width},{height}",
            f"font {_quoted(regular)}", "font-size 13", "fill '#e0e0e0'",
            f"text {width - 60},{height - 15} '16:05'"]
    for n in range(6):
        out += [f"fill '{TITLE_BARS[n % len(TITLE_BARS)]}'",
                f"rectangle {8 + n * 44},{height - 34} {40 + n * 44},{height - 6}"]
    return "\n".join(out) + "\n"


def make(width, height, path):
    """Writes the picture to path (a PNG) and returns path."""
    mvg = path + ".mvg"
    with open(mvg, "w") as f:
        f.write(drawing(width, height, font_file("DejaVu Sans"), font_file("DejaVu Sans", bold=True)))
    try:
        subprocess.run(["convert", "-size", f"{width}x{height}", f"mvg:{mvg}", "-depth", "8",
                        "-type", "TrueColor", path], check=True)
    finally:
        os.remove(mvg)
    return path


def paint_root(display, path):
    """Makes the picture the X root window's background: what a capture of
    the screen shows where no window is. `display` exits with 1 even when it
    has set the background, so the caller checks the pixels instead."""
    subprocess.run(["display", "-display", display, "-window", "root", path],
                   stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, timeout=60)


if __name__ == "__main__":
    size, target = sys.argv[1], sys.argv[2]
    w, h = (int(v) for v in size.split("x"))
    make(w, h, target)
