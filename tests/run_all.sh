#!/usr/bin/env bash
# Builds and runs every test: the normal build (with the model page's browser
# tests in headless Chromium), the Debian package (lintian, then installed on
# this machine and removed again) and the Python wheel (in a fresh virtual
# environment), the shared acceptance sample,
# a one-minute fuzz smoke run (both conversion targets), the sanitizer build
# (AddressSanitizer + UndefinedBehaviorSanitizer), the ThreadSanitizer build
# (the tests that run code on more than one thread) and the Windows stage (the
# MinGW cross builds for x64 and x86, their exported names, the golden cases
# and the host program's dialog scenarios under 64-bit and 32-bit Wine, the
# installers of both under Wine, the zip of both). Installs the build dependencies
# on a fresh machine.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."

need=()
command -v cmake >/dev/null 2>&1 || need+=(cmake)
command -v g++ >/dev/null 2>&1 || need+=(g++)
# Python: the include-layer test and the C interface bound through ctypes.
command -v python3 >/dev/null 2>&1 || need+=(python3)
[ -f /usr/include/gtest/gtest.h ] || need+=(libgtest-dev)
[ -f /usr/include/CLI/CLI.hpp ] || need+=(libcli11-dev)
[ -f /usr/include/nlohmann/json.hpp ] || need+=(nlohmann-json3-dev)
# The model page's browser tests (ctest page_browser): headless Chromium.
command -v chromium >/dev/null 2>&1 || need+=(chromium)
# The fuzz smoke run: clang and its libFuzzer (19: far faster than 14's).
command -v clang++-19 >/dev/null 2>&1 || need+=(clang-19)
dpkg -s libclang-rt-19-dev >/dev/null 2>&1 || need+=(libclang-rt-19-dev)
# Locale sources, for the tests that make a German or Japanese locale.
[ -f /usr/share/i18n/locales/ja_JP ] || need+=(locales)
# The Windows stage: cross compilers, Wine (64-bit and 32-bit), a virtual X
# display. The 32-bit Wine is a package of the i386 architecture.
command -v x86_64-w64-mingw32-g++-posix >/dev/null 2>&1 || need+=(g++-mingw-w64-x86-64-posix)
command -v i686-w64-mingw32-g++-posix >/dev/null 2>&1 || need+=(g++-mingw-w64-i686-posix)
dpkg -s mingw-w64-tools >/dev/null 2>&1 || need+=(mingw-w64-tools)
command -v wine >/dev/null 2>&1 || need+=(wine)
[ -x /usr/lib/wine/wine64 ] || command -v wine64 >/dev/null 2>&1 || need+=(wine64)
if ! dpkg -s wine32:i386 >/dev/null 2>&1; then
  dpkg --print-foreign-architectures | grep -qx i386 || dpkg --add-architecture i386
  need+=(wine32:i386)
fi
command -v Xvfb >/dev/null 2>&1 || need+=(xvfb)
command -v xwd >/dev/null 2>&1 || need+=(x11-apps)
[ -x /usr/bin/import ] || need+=(imagemagick)
# The packages: the Debian package's checks (lintian, dpkg-shlibdeps, man),
# the wheel built and tested with Debian's Python tools.
for p in lintian dpkg-dev man-db python3-pip python3-pytest python3-venv python3-setuptools python3-wheel; do
  dpkg -s "$p" >/dev/null 2>&1 || need+=("$p")
done
# The Windows installer: wixl, and msibuild and msiinfo (msitools).
command -v wixl >/dev/null 2>&1 || need+=(wixl)
command -v msibuild >/dev/null 2>&1 || need+=(msitools)
if [ "${#need[@]}" -gt 0 ]; then
  echo "installing: ${need[*]}"
  apt-get update -qq && DEBIAN_FRONTEND=noninteractive apt-get install -y -qq "${need[@]}"
fi

jobs=$(nproc 2>/dev/null || echo 2)

echo "== release build and tests"
cmake -S . -B build -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build -j"$jobs"
ctest --test-dir build --output-on-failure -j"$jobs"

echo "== packages: Debian package and Python wheel"
rm -f build/halvex2qsx_*.deb
(cd build && cpack -G DEB | tail -n 1)
lintian --fail-on error build/halvex2qsx_*.deb
cmake --build build --target wheel
# Installs the Debian package on this machine and removes it again.
tests/packaging/deb_test.sh build .
tests/packaging/wheel_test.sh build .

echo "== fuzz smoke run"
tests/fuzz/run.sh 45 2>&1 | tail -n 12
tests/fuzz/run.sh 15 fuzz_convert_threads 2>&1 | tail -n 3

acceptance=../shared/acceptance-sample/run.sh
echo "== acceptance sample"
if [ -x "$acceptance" ]; then
  LC_ALL=C "$acceptance" build/halvex2qsx
elif [ -e "$acceptance" ]; then
  echo "acceptance sample skipped: $(cd .. && pwd -P)/shared/acceptance-sample/run.sh is not executable"
else
  echo "acceptance sample skipped: no $(cd .. && pwd -P)/shared/acceptance-sample beside this checkout"
fi

echo "== sanitizer build and tests"
cmake -S . -B build-sanitize -DCMAKE_BUILD_TYPE=Debug -DHALVEX_SANITIZE=ON >/dev/null
cmake --build build-sanitize -j"$jobs"
ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 \
  ctest --test-dir build-sanitize --output-on-failure -j"$jobs"

echo "== ThreadSanitizer build, the tests labelled threads"
cmake --preset tsan >/dev/null
cmake --build --preset tsan --target halvex_tests halvex2qsx Convertmsg ConvertHalvex
TSAN_OPTIONS=halt_on_error=1 ctest --test-dir build-tsan -L threads --output-on-failure -j"$jobs"

echo "== Windows cross build (MinGW-w64), x64"
cmake --preset windows >/dev/null
cmake --build --preset windows
cmake --build --preset windows --target msi
tests/windows/run.sh build-windows

echo "== Windows cross build (MinGW-w64), x86"
cmake --preset windows-x86 >/dev/null
cmake --build --preset windows-x86
cmake --build --preset windows-x86 --target msi
tests/windows/run.sh build-windows-x86

echo "== Windows zip of both architectures"
tests/windows/zip_test.sh build-windows build-windows-x86
