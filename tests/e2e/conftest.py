"""pytest glue for the end-to-end suite: which Scrimble.exe runs (--arch,
--exe), the program session that the tests of one module share, and a
picture of the whole test screen when a test fails.

A test that takes `app` gets the module's shared session, built by the
module's make_app() (rig.Session() when it has none) the first time it is
asked for, and again after a test has ended the program. A test that needs a
program of its own makes its own rig.Session. A test that runs at several
display scales asks for them with
@pytest.mark.parametrize("dpi", [96, 144], indirect=True): its module's
make_app(dpi=...) builds one shared session per scale.
"""

import os
import re

import pytest

import rig

ARTIFACTS = os.path.join(rig.BUILD, "e2e-artifacts")


def pytest_addoption(parser):
    group = parser.getgroup("scrimble")
    group.addoption("--arch", choices=("32", "64"), default="64",
                    help="test build/win32 (i686) or build/win64 (x86-64) Scrimble.exe; default 64")
    group.addoption("--exe", help="test this Scrimble.exe instead (e.g. one unpacked from a zip)")


def pytest_configure(config):
    exe = config.getoption("--exe") or os.path.join(rig.BUILD, f"win{config.getoption('--arch')}",
                                                    "Scrimble.exe")
    rig.SCRIMBLE_EXE = os.path.abspath(exe)
    rig.RUN_IN_EXE_FOLDER = bool(config.getoption("--exe"))


def pytest_report_header(config):
    if not os.path.exists(rig.SCRIMBLE_EXE):
        return f"Scrimble.exe: {rig.SCRIMBLE_EXE} (missing: run `make build`)"
    bits = 64 if rig.loader_for(rig.SCRIMBLE_EXE) == rig.WINE64 else 32
    return f"Scrimble.exe: {os.path.relpath(rig.SCRIMBLE_EXE)} ({bits}-bit, {rig.wine_version()})"


@pytest.fixture(scope="module")
def dpi(request):
    """The display scale of the module's shared session; None leaves the
    prefix's own (96 DPI)."""
    return getattr(request, "param", None)


@pytest.fixture(scope="module")
def shared_session(dpi):
    holder = {"session": None, "error": None}
    yield holder
    if holder["session"] is not None:
        holder["session"].stop()


@pytest.fixture
def app(request, shared_session, dpi):
    if shared_session["error"] is not None:
        raise rig.RigError(f"the module's session did not start: {shared_session['error']}")
    session = shared_session["session"]
    if session is None or not session.alive():
        if session is not None:
            session.stop()
            shared_session["session"] = None
        try:
            make_app = getattr(request.module, "make_app", rig.Session)
            session = make_app() if dpi is None else make_app(dpi=dpi)
        except Exception as error:
            shared_session["error"] = error  # not tried again for every later test
            raise
        shared_session["session"] = session
    request.node.scrimble_session = session
    return session


@pytest.hookimpl(hookwrapper=True)
def pytest_runtest_makereport(item, call):
    outcome = yield
    report = outcome.get_result()
    session = getattr(item, "scrimble_session", None)
    if report.when != "call" or not report.failed or session is None or session.xvfb is None:
        return
    name = re.sub(r"[^\w.-]", "_", item.nodeid)
    try:
        path = session.screenshot(os.path.join(ARTIFACTS, name + ".png"), whole_screen=True)
        report.sections.append(("screen", f"saved to {os.path.relpath(path, rig.ROOT)}"))
    except Exception as error:  # a missing picture must not hide the failure
        report.sections.append(("screen", f"no picture: {error}"))
