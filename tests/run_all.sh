#!/usr/bin/env bash
# Builds and runs every test: the normal build (with the model page's browser
# tests in headless Chromium), the shared acceptance sample,
# a one-minute fuzz smoke run (when clang is there), the sanitizer build
# (AddressSanitizer + UndefinedBehaviorSanitizer), the ThreadSanitizer build
# (the tests that run code on more than one thread) and the Windows stage (the
# MinGW cross build and its installer, its exported names, the golden cases,
# the host program's dialog scenarios and the installer under Wine). Installs
# the build dependencies on a fresh machine.
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
# Locale sources, for the tests that make a German or Japanese locale.
[ -f /usr/share/i18n/locales/ja_JP ] || need+=(locales)
# The Windows stage: cross compiler, Wine (64-bit), a virtual X display.
command -v x86_64-w64-mingw32-g++-posix >/dev/null 2>&1 || need+=(g++-mingw-w64-x86-64-posix)
dpkg -s mingw-w64-tools >/dev/null 2>&1 || need+=(mingw-w64-tools)
command -v wine >/dev/null 2>&1 || need+=(wine)
[ -x /usr/lib/wine/wine64 ] || command -v wine64 >/dev/null 2>&1 || need+=(wine64)
command -v Xvfb >/dev/null 2>&1 || need+=(xvfb)
command -v xwd >/dev/null 2>&1 || need+=(x11-apps)
[ -x /usr/bin/import ] || need+=(imagemagick)
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

if command -v clang++ >/dev/null 2>&1; then
  echo "== fuzz smoke run"
  tests/fuzz/run.sh 60 2>&1 | tail -n 12
fi

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

echo "== Windows cross build (MinGW-w64)"
cmake --preset windows >/dev/null
cmake --build --preset windows
cmake --build --preset windows --target msi
tests/windows/run.sh build-windows
