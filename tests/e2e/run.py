#!/usr/bin/env python3
"""Runs the end-to-end tests: every function named test_* in
tests/e2e/test_*.py (or in the files given), in the order of definition.

A test that takes a parameter named `app` gets a Session shared by the tests
of its file that ask for one (the file may define make_app() to build it
differently); starting Scrimble under Wine is slow, so tests share it where
they can. A test that needs a fresh program creates its own Session.

    python3 tests/e2e/run.py [-k SUBSTRING] [FILE...]

Ends with the line "N passed, M failed"; exits 1 when any test failed or
none ran.
"""

import argparse
import glob
import importlib.util
import inspect
import os
import re
import sys
import time
import traceback

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, HERE)

import rig  # noqa: E402

ARTIFACTS = os.path.join(rig.BUILD, "e2e-artifacts")


def load(path):
    name = "e2e_" + os.path.splitext(os.path.basename(path))[0]
    spec = importlib.util.spec_from_file_location(name, path)
    module = importlib.util.module_from_spec(spec)
    spec.loader.exec_module(module)
    return module


def tests_of(module):
    found = [(name, f) for name, f in vars(module).items()
             if name.startswith("test_") and inspect.isfunction(f) and f.__module__ == module.__name__]
    return sorted(found, key=lambda item: item[1].__code__.co_firstlineno)


def save_failure_picture(app, name):
    if app is None or app.xvfb is None:
        return
    try:
        path = app.screenshot(os.path.join(ARTIFACTS, re.sub(r"[^\w.-]", "_", name) + ".png"),
                              whole_screen=True)
        print(f"    screen saved to {os.path.relpath(path, rig.ROOT)}")
    except Exception as error:  # a missing picture must not hide the failure
        print(f"    (no screenshot: {error})")


def run_file(path, keyword, counts):
    module = load(path)
    tests = [(n, f) for n, f in tests_of(module) if not keyword or keyword in n]
    shared = None
    shared_error = None  # a session that failed to start is not tried again
    try:
        for name, func in tests:
            label = f"{os.path.basename(path)}::{name}"
            started = time.time()
            args = {}
            try:
                if "app" in inspect.signature(func).parameters:
                    if shared_error is not None:
                        raise rig.RigError(f"shared session did not start: {shared_error}")
                    if shared is None or not shared.alive():
                        if shared is not None:
                            shared.stop()
                            shared = None
                        try:
                            shared = getattr(module, "make_app", rig.Session)()
                        except Exception as error:
                            shared_error = error
                            raise
                    args["app"] = shared
                func(**args)
            except Exception as error:
                counts["failed"] += 1
                print(f"FAIL {label} ({time.time() - started:.1f} s)")
                kind = "" if isinstance(error, AssertionError) else type(error).__name__ + ": "
                print("    " + (kind + str(error)).replace("\n", "\n    "))
                if not isinstance(error, (AssertionError, rig.RigError)):
                    print("    " + traceback.format_exc().replace("\n", "\n    "))
                save_failure_picture(args.get("app") or shared, label)
            else:
                counts["passed"] += 1
                print(f"ok   {label} ({time.time() - started:.1f} s)")
            sys.stdout.flush()
    finally:
        if shared is not None:
            shared.stop()


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("-k", dest="keyword", help="run only tests whose name contains this")
    parser.add_argument("files", nargs="*")
    options = parser.parse_args()
    files = options.files or sorted(glob.glob(os.path.join(HERE, "test_*.py")))
    counts = {"passed": 0, "failed": 0}
    started = time.time()
    for path in files:
        try:
            run_file(path, options.keyword, counts)
        except Exception:
            counts["failed"] += 1
            print(f"FAIL {os.path.basename(path)} (could not run)")
            print("    " + traceback.format_exc().replace("\n", "\n    "))
    print(f"e2e: {time.time() - started:.0f} s")
    print(f"{counts['passed']} passed, {counts['failed']} failed")
    return 1 if counts["failed"] or not counts["passed"] else 0


if __name__ == "__main__":
    sys.exit(main())
