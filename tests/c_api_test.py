#!/usr/bin/env python3
"""The C interface (halvex.h) as another language binds it: Python's ctypes,
standard library only, against the built libConvertHalvex.so.

Two golden cases (tests/cases; every case runs through the conversion in
tests/cases_test.cpp) through halvex_convert: the .qsx byte for byte, the
message lines and the status; a missing model; a cancel over an
earlier .qsx; a report; an output folder; bad arguments; HALVEX_STRICT; a
model never written over; two threads converting two models of one folder at
once.

usage: c_api_test.py BUILD_DIR SOURCE_DIR
"""
import ctypes
import json
import os
import shutil
import subprocess
import sys
import tempfile
import threading
import unittest

BUILD, SOURCE = (os.path.abspath(a) for a in sys.argv[1:3])
del sys.argv[1:3]

lib = ctypes.CDLL(os.path.join(BUILD, "libConvertHalvex.so"))
PROGRESS = ctypes.CFUNCTYPE(ctypes.c_int, ctypes.c_double, ctypes.c_void_p)
lib.halvex_convert.argtypes = [ctypes.c_char_p, ctypes.c_char_p, ctypes.c_uint, PROGRESS, ctypes.c_void_p,
                               ctypes.POINTER(ctypes.c_void_p)]
lib.halvex_convert.restype = ctypes.c_int
for name in ("output_path", "messages", "errors", "report_json"):
    f = getattr(lib, "halvex_result_" + name)
    f.argtypes = [ctypes.c_void_p]
    f.restype = ctypes.c_char_p
lib.halvex_result_free.argtypes = [ctypes.c_void_p]
lib.halvex_version.restype = ctypes.c_char_p

HALVEX_REPORT = 1
HALVEX_HTML = 2
HALVEX_STRICT = 4


def HALVEX_THREADS(n):
    return n << 8


NO_PROGRESS = PROGRESS()


def convert(model, output_dir=None, flags=0, progress=NO_PROGRESS):
    """Status and the result's texts (report None when there is none)."""
    handle = ctypes.c_void_p()
    status = lib.halvex_convert(model.encode() if model is not None else None,
                                output_dir.encode() if output_dir is not None else None,
                                flags, progress, None, ctypes.byref(handle))
    assert handle.value, "no result handed back"
    report = lib.halvex_result_report_json(handle)
    out = dict(status=status,
               output=lib.halvex_result_output_path(handle).decode(),
               messages=lib.halvex_result_messages(handle).decode(),
               errors=lib.halvex_result_errors(handle).decode(),
               report=None if report is None else report.decode())
    lib.halvex_result_free(handle)
    return out


def read(path, mode="rb"):
    with open(path, mode) as f:
        return f.read()


class CInterface(unittest.TestCase):
    def setUp(self):
        self.dir = tempfile.mkdtemp(prefix="hvxctypes-")

    def tearDown(self):
        shutil.rmtree(self.dir)

    def path(self, *names):
        return os.path.join(self.dir, *names)

    def test_golden_cases(self):
        cases = os.path.join(SOURCE, "tests", "cases")
        for name in ("load-block-read-error", "missing-model-file"):
            with self.subTest(case=name):
                case = os.path.join(cases, name)
                work = self.path(name)
                os.mkdir(work)
                model = os.path.join(work, "model.hvt")
                if os.path.exists(os.path.join(case, "model.hvt")):
                    shutil.copy(os.path.join(case, "model.hvt"), model)
                # One thread per core, one thread, three threads.
                for flags in (0, HALVEX_THREADS(1), HALVEX_THREADS(3)):
                    r = convert(model, flags=flags)
                    expected_exit = 0
                    if os.path.exists(os.path.join(case, "expected.exit")):
                        expected_exit = int(read(os.path.join(case, "expected.exit"), "r"))
                    self.assertEqual(expected_exit, r["status"], r["errors"])
                    stdout = b""
                    if os.path.exists(os.path.join(case, "expected.stdout")):
                        stdout = read(os.path.join(case, "expected.stdout")).replace(b"@MODEL@", model.encode())
                    self.assertEqual(stdout.decode(), r["messages"])
                    qsx = os.path.join(work, "model.qsx")
                    if os.path.exists(os.path.join(case, "expected.qsx")):
                        self.assertEqual(read(os.path.join(case, "expected.qsx")), read(qsx))
                        self.assertEqual(qsx, r["output"])
                        os.remove(qsx)
                    else:
                        self.assertFalse(os.path.exists(qsx))
                        self.assertEqual("", r["output"])
                    # Nothing but the .qsx is written: no log, no temporary file.
                    left = set(os.listdir(work)) - {"model.hvt"}
                    self.assertEqual(set(), left)

    def test_missing_model_and_bad_arguments(self):
        r = convert(self.path("gone.hvt"))
        self.assertEqual(3, r["status"])
        self.assertEqual("", r["output"])
        self.assertIn("model file not found: " + self.path("gone.hvt"), r["errors"])
        self.assertIsNone(r["report"])
        for model, folder in ((None, None), ("", None), (self.path("gone.hvt"), self.path("nowhere"))):
            with self.subTest(model=model, folder=folder):
                self.assertEqual(1, convert(model, folder)["status"])
        self.assertEqual([], os.listdir(self.dir))

    def test_cancel_over_an_earlier_qsx(self):
        shutil.copy(os.path.join(SOURCE, "examples", "frame.hvt"), self.path("m.hvt"))
        with open(self.path("m.qsx"), "w") as f:
            f.write("earlier")
        calls = []

        def cancel_when_writing(fraction, user):
            calls.append(fraction)
            return 1 if fraction > 0.7 else 0

        r = convert(self.path("m.hvt"), progress=PROGRESS(cancel_when_writing))
        self.assertEqual(6, r["status"])
        self.assertEqual("", r["output"])
        self.assertEqual(calls, sorted(calls))
        self.assertEqual("earlier", read(self.path("m.qsx"), "r"))
        self.assertEqual(["m.hvt", "m.qsx"], sorted(os.listdir(self.dir)))

    def test_report_and_output_folder(self):
        case = os.path.join(SOURCE, "tests", "report_cases", "frame-with-problems")
        os.mkdir(self.path("out"))
        shutil.copy(os.path.join(case, "model.hvt"), self.path("model.hvt"))
        cwd = os.getcwd()
        os.chdir(self.dir)
        try:
            r = convert("model.hvt", "out", HALVEX_REPORT)
        finally:
            os.chdir(cwd)
        self.assertEqual(0, r["status"])
        self.assertEqual(self.path("out", "model.qsx"), r["output"])
        self.assertEqual(["model.hvt", "out"], sorted(os.listdir(self.dir)))
        self.assertEqual(["model.qsx"], os.listdir(self.path("out")))
        # The report's object is the tool's for the same model, naming the
        # file written.
        expected = json.loads(read(os.path.join(case, "expected.report.json"), "r"))
        expected[0]["output"] = self.path("out", "model.qsx")
        self.assertEqual(expected, [json.loads(r["report"])])
        self.assertIsNone(convert(self.path("model.hvt"))["report"])
        # HALVEX_HTML: the page beside the .qsx in the output folder; the rest as before.
        os.chdir(self.dir)
        try:
            paged = convert("model.hvt", "out", HALVEX_REPORT | HALVEX_HTML)
        finally:
            os.chdir(cwd)
        self.assertEqual([r[k] for k in ("status", "output", "messages", "errors")],
                         [paged[k] for k in ("status", "output", "messages", "errors")])
        self.assertEqual(["model.html", "model.qsx"], sorted(os.listdir(self.path("out"))))
        self.assertIn('<script type="application/json" id="hvx-report">',
                      read(self.path("out", "model.html"), "r"))

    def test_strict_and_the_model_never_written(self):
        shutil.copy(os.path.join(SOURCE, "examples", "frame.hvt"), self.path("clean.hvt"))
        shutil.copy(os.path.join(SOURCE, "examples", "frame-with-problems.hvt"), self.path("problems.hvt"))
        shutil.copy(os.path.join(SOURCE, "examples", "frame.hvt"), self.path("x.qsx"))
        # Two links to one model: the .qsx of the one would be the other.
        os.symlink("clean.hvt", self.path("linked.hvt"))
        os.symlink("clean.hvt", self.path("linked.qsx"))
        summary = (self.path("problems.hvt") + ": not converted: 2 elements, 1 material, "
                   "3 static loads; 1 unknown block; 7 lines outside blocks; reading stopped at line 1151; "
                   "2 dangling references (see --report)\n")
        cases = (
            ("clean.hvt", HALVEX_STRICT, 0, ""),
            ("problems.hvt", 0, 0, summary),
            ("problems.hvt", HALVEX_STRICT, 5, summary),
            ("x.qsx", HALVEX_STRICT, 4,
             "The file {0} is not written: it is the model file {0}.\n"
             "could not write the result of {0}\n".format(self.path("x.qsx"))),
            ("linked.hvt", 0, 4,
             "The file {0} is not written: it is the model file {1}.\n"
             "could not write the result of {1}\n".format(self.path("linked.qsx"),
                                                                    self.path("linked.hvt"))),
        )
        for model, flags, status, errors in cases:
            with self.subTest(model=model, flags=flags):
                before = {n: read(self.path(n)) for n in os.listdir(self.dir) if n.endswith(".hvt") or n == "x.qsx"}
                r = convert(self.path(model), flags=flags)
                self.assertEqual(status, r["status"])
                self.assertEqual(errors, r["errors"])
                for name, text in before.items():
                    self.assertEqual(text, read(self.path(name)), name)
        self.assertTrue(os.path.islink(self.path("linked.qsx")))

    def test_errors_are_what_the_tool_prints(self):
        # The same model through the tool and the C interface: the errors
        # text is the tool's standard error less its name before each line.
        for example, copy in (("frame-with-problems.hvt", "problems.hvt"), ("frame.hvt", "x.qsx")):
            with self.subTest(model=copy):
                shutil.copy(os.path.join(SOURCE, "examples", example), self.path(copy))
                tool = subprocess.run([os.path.join(BUILD, "halvex2qsx"), self.path(copy)], capture_output=True,
                                      env=dict(os.environ, LC_ALL="C"))
                printed = tool.stderr.decode()
                self.assertTrue(printed)
                self.assertTrue(all(line.startswith(("halvex2qsx: ", "The file ")) for line in printed.splitlines()))
                r = convert(self.path(copy))
                self.assertEqual(tool.returncode, r["status"])
                self.assertEqual(printed.replace("halvex2qsx: ", ""), r["errors"])

    def test_two_threads_in_one_folder(self):
        models = []
        for name in ("frame", "frame-with-problems"):
            shutil.copy(os.path.join(SOURCE, "examples", name + ".hvt"), self.path(name + ".hvt"))
            models.append(self.path(name + ".hvt"))
        alone = []
        for m in models:
            alone.append((convert(m, flags=HALVEX_REPORT), read(m[:-4] + ".qsx")))
        for _ in range(5):
            together = [None, None]

            def run(i):
                together[i] = convert(models[i], flags=HALVEX_REPORT)

            threads = [threading.Thread(target=run, args=(i,)) for i in range(2)]
            for t in threads:
                t.start()
            for t in threads:
                t.join()
            for i, m in enumerate(models):
                self.assertEqual(alone[i][0], together[i])
                self.assertEqual(alone[i][1], read(m[:-4] + ".qsx"))
        self.assertEqual(4, len(os.listdir(self.dir)))

    def test_version(self):
        version = read(os.path.join(SOURCE, "CMakeLists.txt"), "r").split("project(halvex2qsx VERSION ")[1].split()[0]
        self.assertEqual(version, lib.halvex_version().decode())


if __name__ == "__main__":
    unittest.main(verbosity=1)
