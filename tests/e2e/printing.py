"""A real printer for the e2e tests: a private CUPS scheduler with one
cups-pdf queue, ScrimblePDF, the default. Wine's winspool asks libcups for
printers, so a Wine process whose environment has `cups.env` (CUPS_SERVER =
the scheduler's socket) sees it, and prints to it through Wine's PostScript
driver; cups-pdf turns each job into a PDF in `cups.out`.

    cups = start_cups(workdir)          # as root; own socket, spool and logs
    env = dict(session_env, **cups.env)  # for every Wine process, from the first
    ...print...
    pdf = wait_for_pdf(cups, 120)       # the next finished PDF
    pdf_images(pdf)                     # [(width, height, png), ...]
    pdf_title(pdf)                      # the job's document name
    stop_cups(cups)

no_printer_env(workdir) points libcups at a socket where nothing listens: Wine
then has no printer at all.

Wine copies the CUPS printers into the prefix once per wineserver, in the
first process that loads winspool, and drops those CUPS no longer has; so
every Wine process of a session needs the same CUPS_SERVER, or none sees the
queue.

Everything lives under workdir/cups except one file: cups-pdf reads its
settings from /etc/cups/cups-pdf-<queue device>.conf only, so start_cups
writes one there under a name of its own and stop_cups removes it.
"""

import glob
import os
import re
import shutil
import signal
import subprocess
import time
from types import SimpleNamespace

QUEUE = "ScrimblePDF"
CUPSD = "/usr/sbin/cupsd"
CUPS_PDF_PPD = "/usr/share/ppd/cups-pdf/CUPS-PDF_opt.ppd"

CUPSD_CONF = """\
LogLevel {log_level}
Listen {socket}
Browsing No
BrowseLocalProtocols none
DefaultShared No
WebInterface No
DefaultAuthType None
PreserveJobHistory No
PreserveJobFiles No
<Location />
  Order allow,deny
  Allow all
</Location>
<Policy default>
  <Limit All>
    Order deny,allow
  </Limit>
</Policy>
"""

CUPS_FILES_CONF = """\
ServerRoot {root}/etc
RequestRoot {root}/spool
TempDir {root}/spool/tmp
CacheDir {root}/cache
StateDir {root}/state
AccessLog {root}/log/access_log
ErrorLog {root}/log/error_log
PageLog {root}/log/page_log
User lp
Group lp
SystemGroup root
FileDevice No
"""

# Out and AnonDirName: one folder whichever user the job has; Grp root: the
# lpadmin group that cups-pdf would otherwise switch to is not needed.
CUPS_PDF_CONF = """\
Out {root}/pdf
AnonDirName {root}/pdf
Spool {root}/cups-pdf-spool
Log {root}/log
Grp root
UserUMask 0022
LogType 3
"""


def no_printer_env(workdir):
    return {"CUPS_SERVER": os.path.join(os.path.abspath(workdir), "no-cups.sock")}


def _traversable(path):
    """Filters run as user lp and open the spooled job by its path."""
    path = os.path.abspath(path)
    while path != "/":
        mode = os.stat(path).st_mode
        if not mode & 0o001:
            os.chmod(path, (mode & 0o7777) | 0o001)
        path = os.path.dirname(path)


def _client(handle, *args, check=True):
    result = subprocess.run(list(args), env=dict(os.environ, **handle.env), capture_output=True,
                            text=True, timeout=60)
    if check and result.returncode != 0:
        raise RuntimeError(f"{' '.join(args)}: {result.stderr.strip()}\n{_error_log(handle)}")
    return result.stdout


def _error_log(handle):
    try:
        with open(os.path.join(handle.root, "log", "error_log")) as f:
            return f.read()[-3000:]
    except OSError:
        return ""


def _remove_stale_pdf_confs():
    """Those of runs that were killed before stop_cups."""
    for conf in glob.glob("/etc/cups/cups-pdf-scrimble*x*.conf"):
        pid = re.match(r"cups-pdf-scrimble(\d+)x", os.path.basename(conf))
        if pid and not os.path.exists(f"/proc/{pid.group(1)}"):
            os.remove(conf)


def start_cups(workdir, log_level="warn"):
    """Starts cupsd on workdir/cups/cups.sock with ScrimblePDF as default
    printer. Returns a handle: env (for Wine and CUPS clients), out (where
    PDFs land), root, and what stop_cups needs."""
    if os.geteuid() != 0:
        raise RuntimeError("start_cups needs root: cupsd runs the cups-pdf backend as root")
    root = os.path.join(os.path.abspath(workdir), "cups")
    shutil.rmtree(root, ignore_errors=True)
    for sub in ("etc/ppd", "spool/tmp", "cache", "state", "log", "pdf", "cups-pdf-spool"):
        os.makedirs(os.path.join(root, sub))
    os.chmod(os.path.join(root, "pdf"), 0o777)
    os.chmod(os.path.join(root, "cups-pdf-spool"), 0o1777)
    _traversable(root)
    socket = os.path.join(root, "cups.sock")
    with open(os.path.join(root, "etc", "cupsd.conf"), "w") as f:
        f.write(CUPSD_CONF.format(socket=socket, log_level=log_level))
    with open(os.path.join(root, "etc", "cups-files.conf"), "w") as f:
        f.write(CUPS_FILES_CONF.format(root=root))
    _remove_stale_pdf_confs()
    device = f"scrimble{os.getpid()}x{int(time.time() * 1000) % 100000}"
    pdf_conf = f"/etc/cups/cups-pdf-{device}.conf"
    with open(pdf_conf, "w") as f:
        f.write(CUPS_PDF_CONF.format(root=root))
    log = open(os.path.join(root, "log", "cupsd.out"), "ab")
    proc = subprocess.Popen([CUPSD, "-f", "-c", os.path.join(root, "etc", "cupsd.conf"),
                             "-s", os.path.join(root, "etc", "cups-files.conf")],
                            stdout=log, stderr=log, stdin=subprocess.DEVNULL, start_new_session=True)
    log.close()
    handle = SimpleNamespace(root=root, out=os.path.join(root, "pdf"), socket=socket, proc=proc,
                             pdf_conf=pdf_conf, env={"CUPS_SERVER": socket}, seen=set())
    try:
        deadline = time.time() + 30
        while "is running" not in _client(handle, "lpstat", "-r", check=False):
            if proc.poll() is not None or time.time() > deadline:
                raise RuntimeError(f"cupsd did not start\n{_error_log(handle)}")
            time.sleep(0.1)
        _client(handle, "lpadmin", "-p", QUEUE, "-E", "-v", f"cups-pdf:/{device}", "-P", CUPS_PDF_PPD,
                "-o", "printer-error-policy=abort-job")
        _client(handle, "lpadmin", "-d", QUEUE)
    except BaseException:
        stop_cups(handle)
        raise
    return handle


def stop_cups(handle):
    if handle.proc.poll() is None:
        handle.proc.terminate()
        try:
            handle.proc.wait(15)
        except subprocess.TimeoutExpired:
            os.killpg(handle.proc.pid, signal.SIGKILL)
            handle.proc.wait()
    try:
        os.remove(handle.pdf_conf)
    except FileNotFoundError:
        pass


def wait_for_pdf(handle, timeout=120):
    """The next PDF cups-pdf has finished (no job left in the queue), which an
    earlier call has not returned."""
    deadline = time.time() + timeout
    while time.time() < deadline:
        new = sorted(set(glob.glob(os.path.join(handle.out, "*.pdf"))) - handle.seen,
                     key=os.path.getmtime)
        if new and not _client(handle, "lpstat", "-o", QUEUE, check=False).strip():
            handle.seen.add(new[0])
            return new[0]
        time.sleep(0.3)
    raise TimeoutError(f"no PDF in {handle.out} after {timeout} s; jobs: "
                       f"{_client(handle, 'lpstat', '-W', 'all', '-o', check=False)!r}\n"
                       f"{_error_log(handle)}")


def pdf_images(path):
    """The images on the PDF's pages, extracted as PNG files beside it:
    [(width, height, png_path), ...] in page order."""
    stem = os.path.splitext(path)[0] + "-img"
    subprocess.run(["pdfimages", "-png", path, stem], check=True, timeout=60)
    listing = subprocess.run(["pdfimages", "-list", path], check=True, capture_output=True,
                             text=True, timeout=60).stdout.splitlines()[2:]
    pngs = sorted(glob.glob(glob.escape(stem) + "-*.png"))
    return [(int(row.split()[3]), int(row.split()[4]), png) for row, png in zip(listing, pngs)]


def pdf_info(path):
    """pdfinfo's fields as a dict (Title, Pages, Page size, ...)."""
    out = subprocess.run(["pdfinfo", path], check=True, capture_output=True, text=True,
                         timeout=60).stdout
    return {k.strip(): v.strip() for k, _, v in (line.partition(":") for line in out.splitlines())}


def pdf_title(path, codepage="cp932"):
    """The document name the program gave StartDoc, as the PDF keeps it.
    Wine's PostScript driver writes it into %%Title in the ANSI code page
    (932 under the rig's ja_JP locale), in parentheses when it is not plain
    ASCII, and GhostScript copies those bytes into the PDF's /Title as they
    are; pdfinfo would show them as PDFDocEncoding (mojibake). So the raw
    string is read and decoded here."""
    with open(path, "rb") as f:
        data = f.read()
    start = data.rfind(b"/Title(")
    if start < 0:
        return ""
    raw, i, depth = bytearray(), start + 7, 1
    escapes = {ord("n"): 10, ord("r"): 13, ord("t"): 9, ord("b"): 8, ord("f"): 12}
    while i < len(data):
        c = data[i]
        i += 1
        if c == ord("\\"):
            digits = re.match(rb"[0-7]{1,3}", data[i:i + 3])
            if digits:
                raw.append(int(digits.group(), 8) & 0xFF)
                i += len(digits.group())
            elif data[i] in b"\r\n":
                i += 1  # a line continuation
            else:
                raw.append(escapes.get(data[i], data[i]))
                i += 1
            continue
        depth += (c == ord("(")) - (c == ord(")"))
        if depth == 0:
            break
        raw.append(c)
    if raw.startswith(b"\xfe\xff"):
        return raw[2:].decode("utf-16-be", errors="replace")
    if raw.startswith(b"(") and raw.endswith(b")") and max(raw) >= 0x80:
        raw = raw[1:-1]
    return raw.decode(codepage, errors="replace")


def png_pixels(path):
    """[(r, g, b), ...] row by row, via ImageMagick."""
    out = subprocess.run(["convert", path, "-depth", "8", "rgb:-"], check=True,
                         capture_output=True, timeout=60).stdout
    return [tuple(out[i:i + 3]) for i in range(0, len(out), 3)]
