"""The plug-in library's C interface (halvex.h) through ctypes: found in the
package's own folder first (a wheel carries it), then where the system finds
libraries (the Debian package's multiarch folder, say)."""
import ctypes
import os
import sys
from pathlib import Path
from typing import List, Optional, Tuple

if sys.platform == "win32":
    NAMES = ("ConvertHalvex.dll",)
elif sys.platform == "darwin":
    NAMES = ("libConvertHalvex.1.dylib", "libConvertHalvex.dylib")
else:
    NAMES = ("libConvertHalvex.so.1",)

# Flags of halvex_convert.
REPORT = 1
HTML = 2
STRICT = 4
THREADS_SHIFT = 8
MAX_THREADS = 64  # the library uses at most this many

PROGRESS = ctypes.CFUNCTYPE(ctypes.c_int, ctypes.c_double, ctypes.c_void_p)


def _open() -> Tuple[ctypes.CDLL, Optional[Path]]:
    """The library and the file it was loaded from (None: by the system's search)."""
    here = Path(__file__).resolve().parent
    for name in NAMES:
        path = here / name
        if path.is_file():
            if sys.platform == "win32":
                # The catalogue beside it is loaded by name.
                os.add_dll_directory(str(here))
            return ctypes.CDLL(str(path)), path
    tried: List[str] = [str(here / NAMES[0])]
    for name in NAMES:
        try:
            return ctypes.CDLL(name), None
        except OSError as error:
            tried.append(f"{name} ({error})")
    raise ImportError("halvex: the plug-in library was not found; tried " + ", ".join(tried))


lib, path = _open()
lib.halvex_convert.argtypes = [ctypes.c_char_p, ctypes.c_char_p, ctypes.c_uint, PROGRESS, ctypes.c_void_p,
                               ctypes.POINTER(ctypes.c_void_p)]
lib.halvex_convert.restype = ctypes.c_int
for _name in ("output_path", "messages", "errors", "report_json"):
    _f = getattr(lib, "halvex_result_" + _name)
    _f.argtypes = [ctypes.c_void_p]
    _f.restype = ctypes.c_char_p
lib.halvex_result_free.argtypes = [ctypes.c_void_p]
lib.halvex_result_free.restype = None
lib.halvex_version.argtypes = []
lib.halvex_version.restype = ctypes.c_char_p


def version() -> str:
    return lib.halvex_version().decode("utf-8")
