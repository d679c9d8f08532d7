"""Printing end to end: Ctrl+P after a capture goes through the system's
print dialog to a real printer (CUPS with a PDF printer, a server of the
test's own), and the page carries the capture, fitted and centred, on a
landscape page for a wide capture, the job named after the picture. Without
any printer the user is told so.
"""

import os

import printing
import rig
from capture_tools import CMD_FULL_SCREEN, Driver, OtherWindow, drive_c_folder, read_bmp, settings

SCREEN = (1024, 768)
PRINT_TIMEOUT = 600  # the 32-bit Wine starts its print spooler through qemu here


def captured_session(**options):
    app = rig.Session(start=False, ini=settings(clip=0, auto_save=1, path="C:\\shots"), **options)
    os.makedirs(drive_c_folder(app, "shots"))
    app.launch()
    d = Driver(app)
    d.set_root((0x33, 0x66, 0xCC))
    with OtherWindow(app, "Printed window", 300, 200, 400, 300, (0xC0, 0x30, 0x20)):
        d.run_command(lambda: d.click(CMD_FULL_SCREEN))
        app.wait_until(lambda: "Screen01.bmp" in d.status_text(), 60, "the capture to be saved")
    return app, d


def test_print_puts_the_capture_on_a_landscape_page_named_after_it():
    app, d = captured_session(printer="pdf")
    try:
        app.key("ctrl+p")
        dialogs = app.wait_until(app.msgboxes, PRINT_TIMEOUT, "the print dialog")
        app.key("Return")  # OK: the default printer, one copy
        app.wait_until(lambda: not app.msgboxes(), 60, "the print dialog to close")
        pdf = printing.wait_for_pdf(app.cups, PRINT_TIMEOUT)

        checks = rig.Checks()
        checks.equal(len(dialogs), 1, f"one dialog: {dialogs}")
        info = printing.pdf_info(pdf)
        checks.equal(info.get("Pages"), "1", "pages")
        width, height = (float(v) for v in info["Page size"].split()[0:3:2])
        turned = info.get("Page rot", "0") in ("90", "270")
        checks.true((width > height) != turned,
                    f"a landscape page for a wide capture: {info['Page size']}, turned {info.get('Page rot')}")
        checks.equal(printing.pdf_title(pdf), "Screen01", "the job is named after the picture")
        images = printing.pdf_images(pdf)
        checks.equal([(w, h) for w, h, _ in images], [SCREEN], "one image, the capture's size")
        if images:
            expected = read_bmp(os.path.join(drive_c_folder(app, "shots"), "Screen01.bmp")).to_image()
            pixels = printing.png_pixels(images[0][2])
            wanted = [tuple(expected.data[i:i + 3]) for i in range(0, len(expected.data), 3)]
            # The page may keep the rows as the bitmap has them, bottom-up,
            # and draw them turned over.
            rows = [wanted[y * SCREEN[0]:(y + 1) * SCREEN[0]] for y in range(SCREEN[1])]
            upside_down = [p for row in reversed(rows) for p in row]
            differing = min(sum(1 for a, b in zip(pixels, w) if a != b) for w in (wanted, upside_down))
            checks.equal(differing, 0, "pixels of the printed image that differ from the capture")
        checks.done()
    finally:
        app.stop()


def test_print_without_a_printer_is_told():
    app, d = captured_session()  # the rig's default: no printer at all
    try:
        d.click(rig.CONTROL_IDS["cmdPrint"])
        dialogs = app.wait_until(app.msgboxes, 120, "the message")
        checks = rig.Checks()
        checks.equal([box["texts"][-1:] for box in dialogs],
                     [["484 : 印刷できませんでした。プリンターが設定されていません。"]], "the message")
        app.press_msgbox("OK")
        checks.equal(app.alive(), True, "the program goes on")
        checks.done()
    finally:
        app.stop()
