"""halvex.convert: one model through halvex_convert, its result copied into
Python objects and the C result freed whatever happens."""
import ctypes
import json
import os
from dataclasses import dataclass
from pathlib import Path
from typing import Any, Callable, Dict, List, Optional, Union

from . import _library
from ._library import lib
from ._status import Status

PathArg = Union[str, bytes, "os.PathLike[str]", "os.PathLike[bytes]"]
Progress = Callable[[float], Optional[bool]]


@dataclass(frozen=True)
class Result:
    """What a conversion did."""

    status: Status
    """DONE, or what went wrong (the command-line tool's exit status for the model)."""
    output_path: Optional[Path]
    """The .qsx written; None when nothing was written."""
    messages: List[str]
    """The lines the plug-in's message window shows."""
    errors: List[str]
    """Message-box texts, then notes: a model not found, a file not written, the
    summary line when something was not converted or dangles."""
    report: Optional[Dict[str, Any]]
    """With report=True, the conversion report as the tool's --report-json has
    it for one model; None without (or after a bad argument or a cancel)."""


def _path(value: Any, name: str) -> bytes:
    """A path argument as the UTF-8 bytes the C interface takes."""
    if not isinstance(value, (str, bytes, os.PathLike)):
        raise TypeError(f"{name} must be a str, bytes or os.PathLike path, not {type(value).__name__}")
    path = os.fspath(value)
    encoded = os.fsencode(path) if isinstance(path, str) else path
    if b"\0" in encoded:
        raise ValueError(f"{name} contains a NUL character")
    return encoded


def _lines(text: Optional[bytes]) -> List[str]:
    """Lines that each end in a newline, without it; an empty text: none."""
    if not text:
        return []
    return text.decode("utf-8", "replace").removesuffix("\n").split("\n")


def convert(model: PathArg, output_dir: Optional[PathArg] = None, *, report: bool = False,
            html: bool = False, strict: bool = False, threads: int = 0,
            progress: Optional[Progress] = None) -> Result:
    """Convert the Halvex model file at ``model`` into a .qsx file.

    The .qsx goes beside the model (its extension replaced by .qsx), or into
    the existing folder ``output_dir`` under that name. ``report`` fills
    Result.report; ``html`` also writes the model page beside the .qsx;
    ``strict`` makes a conversion that lost something Status.LOSSY;
    ``threads`` is the threads of the conversion (0: one per core, 1: this
    thread alone; the output is the same with any). ``progress`` is called
    on this thread with the fraction done (0 to 1, never decreasing); a true
    return value cancels the conversion (Status.CANCELLED, the folder as it
    was). An exception raised by ``progress`` cancels the conversion and is
    raised again from here.

    Every outcome of the conversion is a status of the Result; exceptions
    are raised only for arguments of the wrong type (TypeError) or value
    (ValueError).
    """
    model_arg = _path(model, "model")
    dir_arg = None if output_dir is None else _path(output_dir, "output_dir")
    if not isinstance(threads, int) or isinstance(threads, bool):
        raise TypeError(f"threads must be an int, not {type(threads).__name__}")
    if threads < 0:
        raise ValueError("threads must be 0 (one per core) or more")
    if progress is not None and not callable(progress):
        raise TypeError(f"progress must be callable or None, not {type(progress).__name__}")
    flags = ((_library.REPORT if report else 0) | (_library.HTML if html else 0)
             | (_library.STRICT if strict else 0)
             | (min(threads, _library.MAX_THREADS) << _library.THREADS_SHIFT))

    raised: List[BaseException] = []
    if progress is None:
        callback = _library.PROGRESS()
    else:
        def on_progress(fraction: float, _user: Any) -> int:
            if raised:
                return 1
            try:
                return 1 if progress(fraction) else 0
            except BaseException as error:  # also KeyboardInterrupt: cancel, raise after
                raised.append(error)
                return 1
        callback = _library.PROGRESS(on_progress)

    handle = ctypes.c_void_p()
    try:
        code = lib.halvex_convert(model_arg, dir_arg, flags, callback, None, ctypes.byref(handle))
        output = lib.halvex_result_output_path(handle) if handle.value else None
        report_json = lib.halvex_result_report_json(handle) if handle.value else None
        result = Result(
            status=Status(code) if code in Status._value2member_map_ else code,
            output_path=Path(os.fsdecode(output)) if output else None,
            messages=_lines(lib.halvex_result_messages(handle) if handle.value else None),
            errors=_lines(lib.halvex_result_errors(handle) if handle.value else None),
            report=json.loads(report_json.decode("utf-8")) if report_json else None)
    finally:
        lib.halvex_result_free(handle)
    if raised:
        raise raised[0]
    return result
