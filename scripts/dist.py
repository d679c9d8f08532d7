#!/usr/bin/env python3
"""`make dist`: the release zips, one per architecture, and their checksums.

    dist/Scrimble-<version>-x86.zip   Scrimble.exe (i686), はじめにお読みください.txt, LICENSE.txt
    dist/Scrimble-<version>-x64.zip   the same for x86-64
    dist/SHA256SUMS

Each exe is built afresh in build/dist/<arch>; the build strips it. The zips are
reproducible: the same commit gives the same bytes on any machine and in any
folder (fixed order, the commit's time on every entry, fixed attributes).
The readme is UTF-8 with a byte-order mark and CR LF line ends, so that
Notepad on a Japanese Windows shows it right.
"""

import hashlib
import os
import shutil
import subprocess
import sys
import time
import zipfile

ROOT = os.path.abspath(os.path.join(os.path.dirname(__file__), ".."))
DIST = os.path.join(ROOT, "dist")
README = "はじめにお読みください.txt"

# (name in the zip file name, toolchain file)
ARCHES = [("x86", "toolchain-mingw32.cmake"), ("x64", "toolchain-mingw64.cmake")]


def run(*args, **kwargs):
    return subprocess.run(args, check=True, cwd=ROOT, **kwargs)


def version():
    return run("sh", "scripts/version.sh", capture_output=True, text=True).stdout.strip()


def source_epoch():
    """SOURCE_DATE_EPOCH, else the commit's time, else VERSION's."""
    if os.environ.get("SOURCE_DATE_EPOCH"):
        return int(os.environ["SOURCE_DATE_EPOCH"])
    result = subprocess.run(["git", "-C", ROOT, "log", "-1", "--format=%ct"], capture_output=True,
                            text=True)
    if result.returncode == 0 and result.stdout.strip():
        return int(result.stdout.strip())
    return int(os.path.getmtime(os.path.join(ROOT, "VERSION")))


def build_exe(arch, toolchain):
    build = os.path.join(ROOT, "build", "dist", arch)
    shutil.rmtree(build, ignore_errors=True)
    # The build itself strips the exe (its symbols go to Scrimble.exe.debug,
    # which stays out of the zip).
    run("cmake", "-S", ".", "-B", build, "-G", "Ninja", "-DCMAKE_BUILD_TYPE=Release",
        f"-DCMAKE_TOOLCHAIN_FILE={os.path.join(ROOT, 'cmake', toolchain)}", stdout=subprocess.DEVNULL)
    run("cmake", "--build", build, "--target", "Scrimble")
    return os.path.join(build, "Scrimble.exe")


def text_for_windows(path, replacements=()):
    with open(path, encoding="utf-8") as f:
        text = f.read()
    for old, new in replacements:
        text = text.replace(old, new)
    return "\ufeff".encode("utf-8") + text.replace("\r\n", "\n").replace("\n", "\r\n").encode("utf-8")


def write_zip(path, entries, epoch):
    stamp = time.gmtime(max(epoch, 315532800))[:6]  # zip times start in 1980
    with zipfile.ZipFile(path + ".partial", "w") as archive:
        for name, data in entries:
            info = zipfile.ZipInfo(name, date_time=stamp)
            # Unix attributes (rw-r--r--) beside the DOS archive bit: unzip
            # then takes the UTF-8 name as it is, where with DOS attributes it
            # would read it as an OEM code page.
            info.create_system = 3
            info.external_attr = (0o100644 << 16) | 0x20
            info.compress_type = zipfile.ZIP_DEFLATED
            archive.writestr(info, data, compresslevel=9)
    os.replace(path + ".partial", path)


def main():
    ver = version()
    epoch = source_epoch()
    os.makedirs(DIST, exist_ok=True)
    for name in os.listdir(DIST):
        if name.startswith("Scrimble-") and name.endswith(".zip") or name == "SHA256SUMS":
            os.remove(os.path.join(DIST, name))
    with open(os.path.join(ROOT, "LICENSE"), "rb") as f:
        licence = f.read().replace(b"\r\n", b"\n").replace(b"\n", b"\r\n")
    sums = []
    for arch, toolchain in ARCHES:
        exe = build_exe(arch, toolchain)
        with open(exe, "rb") as f:
            program = f.read()
        readme = text_for_windows(os.path.join(ROOT, "docs", README),
                                  [("@VERSION@", ver), ("@ARCH@", arch)])
        zip_name = f"Scrimble-{ver}-{arch}.zip"
        write_zip(os.path.join(DIST, zip_name),
                  [("Scrimble.exe", program), (README, readme), ("LICENSE.txt", licence)], epoch)
        with open(os.path.join(DIST, zip_name), "rb") as f:
            sums.append(f"{hashlib.sha256(f.read()).hexdigest()}  {zip_name}\n")
        print(f"dist: {zip_name} ({len(program):,} bytes of Scrimble.exe)")
    with open(os.path.join(DIST, "SHA256SUMS"), "w") as f:
        f.writelines(sums)
    sys.stdout.write("".join(sums))


if __name__ == "__main__":
    main()
