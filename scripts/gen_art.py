#!/usr/bin/env python3
"""Turns Scrimble's text art (src/ui/art/*.art) into .bmp and .ico files.

An art file is plain text:

    # comment lines start with '#'
    kind bitmap                 (or: kind icon)
    colour . C0C0C0             one legend entry: a character and RRGGBB
    colour - transparent        icons only: pixels shown through the mask
    image 21x19                 followed by 19 rows of 21 characters each
    ...

A bitmap has exactly one image and becomes a 24-bit bottom-up BMP. An icon
has one image per size (each size at most once) and becomes one .ico whose
entries are 4-bit (16-colour) DIBs with an AND mask; every image may use at
most 16 opaque colours, black included, since transparent pixels are stored
as black under a set mask bit.

Every input is checked before anything is written, and each output replaces
its predecessor only once it is complete, so a bad art file leaves the
previous build's files untouched.

Usage:
    gen_art.py --out-dir DIR FILE.art...        write FILE.bmp / FILE.ico
    gen_art.py --check FILE.art...              validate only
    gen_art.py --preview DIR [--scale N] FILE.art...
                                                enlarged PNGs for review
"""

import argparse
import os
import re
import struct
import sys
import tempfile
import zlib

TRANSPARENT = None  # legend value of the icon's see-through character
BLACK = (0, 0, 0)
MAX_ICON_COLOURS = 16
# Shown behind transparent icon pixels in previews, so holes stand out.
PREVIEW_HOLE = (255, 0, 255)


class ArtError(Exception):
    """A fault in an art file, with the file and line it was found on."""

    def __init__(self, path, line, message):
        where = f"{path}:{line}" if line else path
        super().__init__(f"{where}: {message}")


class Image:
    def __init__(self, width, height, rows, line):
        self.width = width
        self.height = height
        self.rows = rows  # list of strings, top row first
        self.line = line  # line of the 'image' directive, for messages


class Art:
    def __init__(self, path):
        self.path = path
        self.name = os.path.splitext(os.path.basename(path))[0]
        self.kind = None
        self.legend = {}
        self.images = []

    def colour_of(self, ch):
        return self.legend[ch]


def parse_colour(path, lineno, text):
    if text.lower() == "transparent":
        return TRANSPARENT
    if not re.fullmatch(r"[0-9A-Fa-f]{6}", text):
        raise ArtError(path, lineno, f"colour '{text}' is not RRGGBB hex or 'transparent'")
    return tuple(int(text[i:i + 2], 16) for i in (0, 2, 4))


def parse(path):
    try:
        with open(path, encoding="utf-8") as f:
            lines = f.read().split("\n")
    except (OSError, UnicodeDecodeError) as e:
        raise ArtError(path, 0, f"cannot read: {e}")

    art = Art(path)
    i = 0
    while i < len(lines):
        lineno = i + 1
        line = lines[i].rstrip("\r")
        i += 1
        stripped = line.strip()
        if not stripped or stripped.startswith("#"):
            continue
        words = stripped.split()
        keyword = words[0]
        if keyword == "kind":
            if len(words) != 2 or words[1] not in ("bitmap", "icon"):
                raise ArtError(path, lineno, "expected 'kind bitmap' or 'kind icon'")
            if art.kind is not None:
                raise ArtError(path, lineno, "kind given twice")
            art.kind = words[1]
        elif keyword == "colour":
            if len(words) != 3 or len(words[1]) != 1:
                raise ArtError(path, lineno, "expected 'colour C RRGGBB' with a single character C")
            ch = words[1]
            if ch == "#":
                raise ArtError(path, lineno, "'#' starts a comment and cannot be a pixel character")
            if ch in art.legend:
                raise ArtError(path, lineno, f"character '{ch}' is in the legend twice")
            art.legend[ch] = parse_colour(path, lineno, words[2])
        elif keyword == "image":
            m = re.fullmatch(r"image\s+(\d+)x(\d+)", stripped)
            if not m:
                raise ArtError(path, lineno, "expected 'image WIDTHxHEIGHT'")
            width, height = int(m.group(1)), int(m.group(2))
            if not (1 <= width <= 256 and 1 <= height <= 256):
                raise ArtError(path, lineno, f"size {width}x{height} is outside 1..256")
            # The grid runs to the next blank line or the end of the file.
            rows = []
            while i < len(lines) and lines[i].strip():
                rows.append(lines[i].rstrip("\r").rstrip())
                i += 1
            art.images.append(Image(width, height, rows, lineno))
        else:
            raise ArtError(path, lineno, f"unknown directive '{keyword}'")

    validate(art)
    return art


def validate(art):
    path = art.path
    if art.kind is None:
        raise ArtError(path, 0, "missing 'kind bitmap' or 'kind icon'")
    if not art.images:
        raise ArtError(path, 0, "no 'image' section")
    if art.kind == "bitmap" and len(art.images) != 1:
        raise ArtError(path, art.images[1].line, "a bitmap has exactly one image")
    if art.kind == "bitmap" and TRANSPARENT in art.legend.values():
        raise ArtError(path, 0, "a bitmap cannot have transparent pixels")

    sizes = set()
    for img in art.images:
        if (img.width, img.height) in sizes:
            raise ArtError(path, img.line, f"size {img.width}x{img.height} appears twice")
        sizes.add((img.width, img.height))
        if len(img.rows) != img.height:
            raise ArtError(path, img.line,
                           f"image declared {img.width}x{img.height} has {len(img.rows)} rows")
        for r, row in enumerate(img.rows):
            lineno = img.line + 1 + r
            if len(row) != img.width:
                raise ArtError(path, lineno,
                               f"row is {len(row)} pixels wide, image declared {img.width}")
            for c, ch in enumerate(row):
                if ch not in art.legend:
                    raise ArtError(path, lineno,
                                   f"column {c + 1}: character '{ch}' is not in the legend")
        if art.kind == "icon":
            colours = icon_palette(art, img)
            if len(colours) > MAX_ICON_COLOURS:
                raise ArtError(path, img.line,
                               f"icon image {img.width}x{img.height} uses {len(colours)} colours "
                               f"(black included), at most {MAX_ICON_COLOURS} allowed")


def icon_palette(art, img):
    """Opaque colours of one icon image, black first so masked pixels are black."""
    used = {art.colour_of(ch) for row in img.rows for ch in row}
    used.discard(TRANSPARENT)
    used.discard(BLACK)
    return [BLACK] + sorted(used)


def pixel_rows(art, img):
    return [[art.colour_of(ch) for ch in row] for row in img.rows]


def bmp_bytes(art):
    img = art.images[0]
    stride = (img.width * 3 + 3) & ~3
    pixels = bytearray()
    for row in reversed(pixel_rows(art, img)):
        for (r, g, b) in row:
            pixels += bytes((b, g, r))
        pixels += bytes(stride - img.width * 3)
    info = struct.pack("<IiiHHIIiiII", 40, img.width, img.height, 1, 24, 0,
                       len(pixels), 3780, 3780, 0, 0)
    offset = 14 + len(info)
    header = struct.pack("<2sIHHI", b"BM", offset + len(pixels), 0, 0, offset)
    return header + info + pixels


def icon_entry_dib(art, img):
    palette = icon_palette(art, img)
    index = {colour: i for i, colour in enumerate(palette)}
    rows = pixel_rows(art, img)

    xor_stride = ((img.width * 4 + 31) // 32) * 4
    and_stride = ((img.width + 31) // 32) * 4
    xor = bytearray()
    mask = bytearray()
    for row in reversed(rows):
        nibbles = [index[BLACK] if c is TRANSPARENT else index[c] for c in row]
        if len(nibbles) % 2:
            nibbles.append(0)
        packed = bytes((nibbles[k] << 4) | nibbles[k + 1] for k in range(0, len(nibbles), 2))
        xor += packed + bytes(xor_stride - len(packed))
        bits = bytearray(and_stride)
        for x, c in enumerate(row):
            if c is TRANSPARENT:
                bits[x // 8] |= 0x80 >> (x % 8)
        mask += bits

    colour_table = b"".join(bytes((b, g, r, 0)) for (r, g, b) in palette)
    colour_table += bytes(4 * (MAX_ICON_COLOURS - len(palette)))
    # An icon DIB declares twice its height: the colour image, then the mask.
    info = struct.pack("<IiiHHIIiiII", 40, img.width, img.height * 2, 1, 4, 0,
                       len(xor) + len(mask), 0, 0, MAX_ICON_COLOURS, 0)
    return info + colour_table + bytes(xor) + bytes(mask)


def ico_bytes(art):
    images = sorted(art.images, key=lambda im: im.width * im.height)
    dibs = [icon_entry_dib(art, img) for img in images]
    header = struct.pack("<HHH", 0, 1, len(images))
    offset = len(header) + 16 * len(images)
    entries = b""
    for img, dib in zip(images, dibs):
        entries += struct.pack("<BBBBHHII", img.width % 256, img.height % 256,
                               MAX_ICON_COLOURS, 0, 1, 4, len(dib), offset)
        offset += len(dib)
    return header + entries + b"".join(dibs)


def png_bytes(art, img, scale):
    rows = pixel_rows(art, img)
    raw = bytearray()
    for row in rows:
        line = bytearray()
        for c in row:
            line += bytes(PREVIEW_HOLE if c is TRANSPARENT else c) * scale
        for _ in range(scale):
            raw += b"\x00" + line

    def chunk(tag, data):
        body = tag + data
        return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body))

    ihdr = struct.pack(">IIBBBBB", img.width * scale, img.height * scale, 8, 2, 0, 0, 0)
    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", ihdr)
            + chunk(b"IDAT", zlib.compress(bytes(raw), 9)) + chunk(b"IEND", b""))


def write_atomically(path, data):
    directory = os.path.dirname(os.path.abspath(path))
    fd, tmp = tempfile.mkstemp(dir=directory, prefix=".tmp-", suffix=os.path.basename(path))
    try:
        with os.fdopen(fd, "wb") as f:
            f.write(data)
        # mkstemp creates owner-only files; give the output the usual mode.
        umask = os.umask(0)
        os.umask(umask)
        os.chmod(tmp, 0o666 & ~umask)
        os.replace(tmp, path)
    except BaseException:
        try:
            os.unlink(tmp)
        except OSError:
            pass
        raise


def main(argv):
    parser = argparse.ArgumentParser(description="Build Scrimble's pictures from text art.")
    mode = parser.add_mutually_exclusive_group(required=True)
    mode.add_argument("--out-dir", help="write .bmp/.ico files here")
    mode.add_argument("--check", action="store_true", help="validate only")
    mode.add_argument("--preview", metavar="DIR", help="write enlarged PNGs here")
    parser.add_argument("--scale", type=int, default=8, help="preview enlargement (default 8)")
    parser.add_argument("files", nargs="+", metavar="FILE.art")
    args = parser.parse_args(argv)

    try:
        arts = [parse(p) for p in args.files]
    except ArtError as e:
        print(f"gen_art: error: {e}", file=sys.stderr)
        return 1
    names = [a.name for a in arts]
    duplicates = sorted({n for n in names if names.count(n) > 1})
    if duplicates:
        print(f"gen_art: error: several art files named {', '.join(duplicates)}", file=sys.stderr)
        return 1
    if args.check:
        return 0

    try:
        if args.out_dir:
            os.makedirs(args.out_dir, exist_ok=True)
            for art in arts:
                if art.kind == "bitmap":
                    write_atomically(os.path.join(args.out_dir, art.name + ".bmp"), bmp_bytes(art))
                else:
                    write_atomically(os.path.join(args.out_dir, art.name + ".ico"), ico_bytes(art))
        else:
            if args.scale < 1:
                print("gen_art: error: --scale must be at least 1", file=sys.stderr)
                return 1
            os.makedirs(args.preview, exist_ok=True)
            for art in arts:
                for img in art.images:
                    suffix = f"_{img.width}x{img.height}" if len(art.images) > 1 else ""
                    write_atomically(os.path.join(args.preview, f"{art.name}{suffix}.png"),
                                     png_bytes(art, img, args.scale))
    except OSError as e:
        print(f"gen_art: error: cannot write output: {e}", file=sys.stderr)
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
