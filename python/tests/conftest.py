"""The package's tests run against the `halvex` on sys.path: the installed
wheel (tests/packaging/wheel_test.sh), or the staged package of the build
(PYTHONPATH=build/python/stage). The expected texts are English, and the
catalogue reads the language when the library first converts: set here,
before any test imports the package."""
import os

os.environ["LC_ALL"] = "C"
