"""halvex.convert against the golden cases and the C interface's promises:
a report, a cancel from the callback, an output folder, threads, a missing
model, path objects and UTF-8 names, misuse raising, statuses as the
header names them."""
import json
import os
import re
import shutil
import threading
from pathlib import Path

import pytest

import halvex
from halvex import Status

# The source tree, for the golden cases and the examples.
SOURCE = Path(os.environ.get("HALVEX_SOURCE_DIR", Path(__file__).resolve().parents[2]))
CASES = sorted(p for p in (SOURCE / "tests" / "cases").iterdir() if p.is_dir())


def expected(case: Path, model: Path):
    """Status, message lines and .qsx bytes (None: none written) of a case."""
    exit_file = case / "expected.exit"
    status = int(exit_file.read_text()) if exit_file.exists() else 0
    stdout_file = case / "expected.stdout"
    text = stdout_file.read_text(encoding="utf-8").replace("@MODEL@", str(model)) if stdout_file.exists() else ""
    lines = text[:-1].split("\n") if text else []
    qsx_file = case / "expected.qsx"
    return status, lines, qsx_file.read_bytes() if qsx_file.exists() else None


@pytest.mark.parametrize("case", CASES, ids=[c.name for c in CASES])
def test_golden_case(case, tmp_path):
    model = tmp_path / "model.hvt"
    if (case / "model.hvt").exists():
        shutil.copy(case / "model.hvt", model)
    status, lines, qsx = expected(case, model)
    r = halvex.convert(model)
    assert (r.status, r.messages) == (status, lines), r.errors
    assert isinstance(r.status, Status)
    if qsx is None:
        assert r.output_path is None
        assert sorted(os.listdir(tmp_path)) == (["model.hvt"] if model.exists() else [])
    else:
        assert r.output_path == tmp_path / "model.qsx"
        assert r.output_path.read_bytes() == qsx
        assert sorted(os.listdir(tmp_path)) == ["model.hvt", "model.qsx"]
    assert r.report is None


def copy_example(tmp_path: Path, name: str = "frame.hvt") -> Path:
    return Path(shutil.copy(SOURCE / "examples" / name, tmp_path / name))


@pytest.fixture(scope="module")
def example_qsx(tmp_path_factory):
    """The example's .qsx of a plain call on one thread: what a callback, more
    threads or other names must not change (the bytes themselves are the
    golden cases' business)."""
    r = halvex.convert(copy_example(tmp_path_factory.mktemp("plain")), threads=1)
    assert r.status == Status.DONE
    return r.output_path.read_bytes()


def test_report_output_folder_and_page(tmp_path, monkeypatch):
    case = SOURCE / "tests" / "report_cases" / "frame-with-problems"
    shutil.copy(case / "model.hvt", tmp_path / "model.hvt")
    (tmp_path / "out").mkdir()
    monkeypatch.chdir(tmp_path)
    r = halvex.convert("model.hvt", "out", report=True)
    assert r.status == Status.DONE
    assert r.output_path == tmp_path / "out" / "model.qsx"
    assert os.listdir(tmp_path / "out") == ["model.qsx"]
    want = json.loads((case / "expected.report.json").read_text(encoding="utf-8"))[0]
    want["output"] = str(tmp_path / "out" / "model.qsx")
    assert r.report == want
    assert r.errors[-1].startswith("model.hvt: not converted: 2 elements")
    paged = halvex.convert("model.hvt", "out", report=True, html=True)
    assert (paged.status, paged.messages, paged.errors, paged.report) == (r.status, r.messages, r.errors, r.report)
    assert sorted(os.listdir(tmp_path / "out")) == ["model.html", "model.qsx"]
    assert '<script type="application/json" id="hvx-report">' in (tmp_path / "out" / "model.html").read_text(
        encoding="utf-8")


def test_strict(tmp_path):
    assert halvex.convert(copy_example(tmp_path), strict=True).status == Status.DONE
    problems = copy_example(tmp_path, "frame-with-problems.hvt")
    assert halvex.convert(problems).status == Status.DONE
    r = halvex.convert(problems, strict=True)
    assert r.status == Status.LOSSY
    assert r.output_path == tmp_path / "frame-with-problems.qsx"


def test_cancel_from_the_callback_keeps_the_earlier_qsx(tmp_path, example_qsx):
    model = copy_example(tmp_path)
    (tmp_path / "frame.qsx").write_text("earlier")
    seen = []

    def progress(fraction):
        seen.append(fraction)
        return fraction > 0.5

    r = halvex.convert(model, report=True, progress=progress)
    assert r.status == Status.CANCELLED
    assert (r.output_path, r.report) == (None, None)
    assert seen and seen == sorted(seen) and 0 <= seen[0] and seen[-1] > 0.5
    assert (tmp_path / "frame.qsx").read_text() == "earlier"
    assert sorted(os.listdir(tmp_path)) == ["frame.hvt", "frame.qsx"]
    # A callback that returns nothing lets it run to the end.
    fractions = []
    done = halvex.convert(model, progress=fractions.append)
    assert done.status == Status.DONE and fractions[-1] == 1.0
    assert done.output_path.read_bytes() == example_qsx


def test_an_exception_in_the_callback_cancels_and_is_raised(tmp_path):
    model = copy_example(tmp_path)
    calls = []

    def progress(fraction):
        calls.append(fraction)
        raise KeyError("stop")

    with pytest.raises(KeyError):
        halvex.convert(model, progress=progress)
    assert len(calls) == 1
    assert os.listdir(tmp_path) == ["frame.hvt"]


def test_threads_give_the_same_file(tmp_path, example_qsx):
    want = example_qsx
    model = copy_example(tmp_path)
    for threads in (0, 1, 3, 1000):
        r = halvex.convert(model, threads=threads)
        assert r.status == Status.DONE
        assert r.output_path.read_bytes() == want, threads
    # Conversions on several Python threads at once, in one folder.
    models = [Path(shutil.copy(model, tmp_path / f"m{i}.hvt")) for i in range(4)]
    results = {}
    workers = [threading.Thread(target=lambda m=m: results.__setitem__(m, halvex.convert(m, threads=2)))
               for m in models]
    for w in workers:
        w.start()
    for w in workers:
        w.join()
    for m in models:
        assert results[m].status == Status.DONE
        assert results[m].output_path.read_bytes() == want


def test_missing_model_and_bad_arguments(tmp_path):
    gone = tmp_path / "gone.hvt"
    r = halvex.convert(gone, report=True)
    assert r.status == Status.MISSING
    assert (r.output_path, r.messages) == (None, [])
    # halvex.h promises no report for a missing model; the library gives one
    # that says so. Either way nothing claims an output.
    assert r.report is None or (r.report["status"], r.report["output"]) == (3, None)
    assert f"model file not found: {gone}" in r.errors
    assert halvex.convert("").status == Status.BAD_ARGUMENTS
    assert halvex.convert(copy_example(tmp_path), tmp_path / "nowhere").status == Status.BAD_ARGUMENTS
    assert sorted(os.listdir(tmp_path)) == ["frame.hvt"]


def test_path_objects_and_utf8_names(tmp_path, example_qsx):
    folder = tmp_path / "Ünïcode 模型"
    folder.mkdir()
    out = folder / "結果"
    out.mkdir()
    model = Path(shutil.copy(SOURCE / "examples" / "frame.hvt", folder / "フレーム.hvt"))
    r = halvex.convert(model, out)
    assert r.status == Status.DONE
    assert r.output_path == out / "フレーム.qsx"
    assert r.output_path.read_bytes() == example_qsx
    assert halvex.convert(str(model)).output_path == folder / "フレーム.qsx"
    assert halvex.convert(os.fsencode(model), os.fsencode(out)).output_path == out / "フレーム.qsx"

    class Custom:
        def __fspath__(self):
            return str(model)

    assert halvex.convert(Custom()).status == Status.DONE


@pytest.mark.parametrize("call, error", [
    (lambda: halvex.convert(None), TypeError),
    (lambda: halvex.convert(42), TypeError),
    (lambda: halvex.convert("m.hvt", 3), TypeError),
    (lambda: halvex.convert("m.hvt", threads="2"), TypeError),
    (lambda: halvex.convert("m.hvt", threads=2.0), TypeError),
    (lambda: halvex.convert("m.hvt", threads=-1), ValueError),
    (lambda: halvex.convert("m.hvt", progress=5), TypeError),
    (lambda: halvex.convert("m\0.hvt"), ValueError),
    (lambda: halvex.convert("m.hvt", "out", True), TypeError),
])
def test_misuse_raises(call, error):
    with pytest.raises(error):
        call()


def test_statuses_and_version_as_the_header_has_them():
    header = (SOURCE / "api" / "halvex.h").read_text(encoding="utf-8")
    defined = {name: int(code) for name, code in re.findall(r"#define HALVEX_(\w+) (\d+)\s", header)}
    assert {s.name: s.value for s in Status} == {n: c for n, c in defined.items() if n in Status.__members__}
    assert len(Status) == 7 and [s.value for s in Status] == list(range(7))
    assert re.fullmatch(r"\d+\.\d+\.\d+", halvex.__version__)
    project = re.search(r"project\(halvex2qsx VERSION (\S+)", (SOURCE / "CMakeLists.txt").read_text())
    assert halvex.__version__ == project.group(1)


def test_installed_package_carries_its_library():
    """Under wheel_test.sh: the package and the library it loaded are the wheel's."""
    if not os.environ.get("HALVEX_EXPECT_INSTALLED"):
        pytest.skip("not the installed wheel")
    from importlib import metadata
    from halvex import _library
    package = Path(halvex.__file__).parent
    assert "site-packages" in package.parts
    assert _library.path == package / "libConvertHalvex.so.1"
    assert (package / "libConvertmsg.so").is_file() and (package / "py.typed").is_file()
    assert metadata.version("halvex") == halvex.__version__
