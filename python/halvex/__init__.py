"""Halvex model files (.hvt) to QSX command text (.qsx), from Python.

    import halvex
    result = halvex.convert("tower.hvt", report=True)
    print(result.status.name, result.output_path, result.messages)

A front end of the halvex2qsx plug-in library's C interface: the library
the package carries, else the system's (the Debian package's).
"""
from ._convert import Result, convert
from ._library import version as _version
from ._status import Status

__version__: str = _version()
__all__ = ["Result", "Status", "convert", "__version__"]
