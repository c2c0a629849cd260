#!/usr/bin/env bash
# The Windows installer under Wine, as IT deploys it with msiexec /qn:
#  1. an older version (built here from the same files with a lower version
#     number and another README) with every feature into a chosen folder
#     (INSTALLDIR), then the build's installer over it without naming the
#     folder: one entry in "Apps and features", of the new version, in the
#     same folder, the new files, the folder once on PATH; the installed
#     halvex2qsx.exe converting golden cases and the example, the installed
#     plug-in driven by the host test program (its version resources too);
#  2. the older one again: refused by the launch condition that says why;
#  3. removed by its product code as "Apps and features" does: no file,
#     folder, entry, registry value or PATH entry of it left;
#  4. the build's installer alone: the default feature's files in the default
#     folder, PATH untouched, the entry's version, publisher, size and folder;
#     removed with its installer, leaving nothing.
#
#   tests/windows/msi_test.sh [BUILD_DIR]      (default build-windows)
#
# BUILD_DIR holds the Windows build, host_test.exe and the installer (target
# msi); its architecture (x64 or x86) is the installer's.
set -uo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/../.."
repo="$PWD"
build="$(cd "${1:-build-windows}" && pwd -P)"
t0=${EPOCHREALTIME/./}

version="$(sed -n 's/.*HALVEX_VERSION_TEXT *"\(.*\)".*/\1/p' "$build/generated/halvex_version.h" 2>/dev/null)"
msi=""
for arch in x64 x86; do
  [ -f "$build/halvex2qsx-$version-$arch.msi" ] && { msi="$build/halvex2qsx-$version-$arch.msi"; break; }
done
if [ -z "$version" ] || [ -z "$msi" ] || [ ! -f "$build/host_test.exe" ]; then
  echo "msi_test.sh: no installer or host_test.exe in $build (cmake --build ... --target msi host_test)" >&2
  exit 1
fi
if [ "$arch" = x64 ]; then view=/reg:64 program_files='C:\Program Files'
else view=/reg:32 program_files='C:\Program Files (x86)'; fi
name="halvex2qsx ($arch)"

source tests/windows/wine_env.sh "$build/wine-tests"
# A 32-bit prefix (x86 builds, see run.sh) has one Program Files.
[ "${WINEARCH:-}" = win32 ] && program_files='C:\Program Files'
tmp="$(mktemp -d "$build/wine-tests/msi.XXXXXX")"
wine_env_on_exit 'rm -rf "$tmp"'
winpath() { local p="$1"; printf 'Z:%s' "${p//\//\\}"; }
# A Windows path of drive C: as the Unix path of the prefix.
unixpath() { local p="${1#[Cc]:}"; printf '%s' "$WINEPREFIX/dosdevices/c:${p//\\//}"; }

fail=0 checks=0
check() {  # check WHAT COMMAND...: one line per check
  checks=$((checks + 1))
  if "${@:2}"; then echo "ok   $1"; else echo "FAIL $1"; fail=$((fail + 1)); fi
}
# all 'TEST' 'TEST'...: every bracket test holds (for check).
all() { local t; for t in "$@"; do eval "[ $t ]" || { echo "    not: $t"; return 1; }; done; }

# msiexec ARGS...: its exit status in $rc, its log in $tmp/msiexec.log.
msiexec() {
  rm -f "$tmp/msiexec.log"
  wine msiexec "$@" /qn /l*v "$(winpath "$tmp/msiexec.log")" >/dev/null 2>>"$tmp/wine.err"
  rc=$?
}
downgrade_row="$(printf '%s\t%s' 'NOT WIX_DOWNGRADE_DETECTED' \
  'A newer version of [ProductName] is already installed. Remove it first to install version [ProductVersion].')"

uninstall_key='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall'
env_key='HKLM\System\CurrentControlSet\Control\Session Manager\Environment'
# reg KEY ARGS...: the query's text without CRs (the product's registry view).
reg() { wine reg query "$1" "${@:2}" "$view" 2>/dev/null | tr -d '\r'; }
system_path() { wine reg query "$env_key" /v PATH 2>/dev/null | tr -d '\r' | sed -n 's/^ *PATH *REG_[A-Z_]* *//p'; }
# The entries of a PATH, one a line (an empty entry is none).
path_entries() { tr ';' '\n' <<<"$1" | sed '/^$/d'; }
# The product codes of the entries in "Apps and features" with our name.
entries() {
  reg "$uninstall_key" /s | awk -v n="$name" '/^HKEY_/ { k = $0 } $1 == "DisplayName" && substr($0, index($0, "REG_SZ") + 10) == n {
    sub(/.*\\/, "", k); print k }'
}
entry_value() { reg "$uninstall_key\\$1" /v "$2" | sed -n "s/^ *$2 *REG_[A-Z_]* *//p"; }
entry_number() { local v; v="$(entry_value "$@")"; echo "$(( ${v:-0} ))"; }
# The product's view of HKLM\Software as text (PATH is compared apart),
# less the keys Wine fills in of the machine itself whenever it first looks
# (the network cards), which differ between one snapshot and the next.
snapshot() {
  wine reg export 'HKLM\Software' "$(winpath "$tmp/$1.sw")" /y "$view" >/dev/null 2>&1
  iconv -f UTF-16LE -t UTF-8 "$tmp/$1.sw" | tr -d '\r' | sed 's/^\xef\xbb\xbf//' |
    awk '/^\[/ { skip = index($0, "\\Windows NT\\CurrentVersion\\NetworkCards") > 0 } !skip' >"$tmp/$1.reg"
}
# What the second snapshot has that the first has not, and the reverse; the
# Windows Installer's own empty folders of registrations may stay.
registry_same() {
  diff "$tmp/$1.reg" "$tmp/$2.reg" | grep '^[<>]' |
    grep -Ev '^> \[HKEY_LOCAL_MACHINE\\Software\\(Classes|Microsoft\\Windows\\CurrentVersion)\\Installer(\\(Features|Products|UpgradeCodes|UserData|S-1-5-18|Components))*\]$' |
    grep -v '^[<>] *$' >"$tmp/regdiff"
  [ ! -s "$tmp/regdiff" ] || { head -n 20 "$tmp/regdiff" | sed 's/^/    /'; return 1; }
}
# The files of a folder, relative, sorted.
files_of() { (cd "$1" 2>/dev/null && find . -type f | sed 's|^\./||' | LC_ALL=C sort); }
same_files() {  # same_files DIR FILE...: DIR holds exactly these, as built
  local dir="$1"; shift
  local want; want="$(printf '%s\n' "$@" | LC_ALL=C sort)"
  [ "$(files_of "$dir")" = "$want" ] || { echo "    $dir holds: $(files_of "$dir" | tr '\n' ' ')"; return 1; }
  local f src
  for f in "$@"; do
    case "$f" in
      LICENSE.txt) src="$repo/LICENSE" ;;
      README.md) src="$build/doc/README.md" ;;
      include/halvex.h) src="$repo/api/halvex.h" ;;
      include/exports.h) src="$repo/plugin/exports.h" ;;
      lib/ConvertHalvex.def) src="$repo/plugin/ConvertHalvex.def" ;;
      lib/ConvertHalvex.dll.a) src="$build/lib/ConvertHalvex.dll.a" ;;
      lib/*) src="$build/${f#lib/}" ;;
      *) src="$build/$f" ;;
    esac
    cmp -s "$src" "$dir/$f" || { echo "    $f is not the build's $src"; return 1; }
  done
}
program=(ConvertHalvex.dll Convertmsg.dll halvex2qsx.exe LICENSE.txt README.md)
development=(include/halvex.h include/exports.h lib/ConvertHalvex.lib lib/ConvertHalvex.dll.a lib/ConvertHalvex.def)

# The older version: the same files but for the README, a version number
# below this one's (1.0.0 -> 0.9.9, 1.2.3 -> 1.2.2).
IFS=. read -r major minor patch <<<"$version"
if [ "$patch" -gt 0 ]; then old="$major.$minor.$((patch - 1))"
elif [ "$minor" -gt 0 ]; then old="$major.$((minor - 1)).9"
else old="$((major - 1)).9.9"; fi
src="$tmp/old-source"
mkdir -p "$src/api" "$src/plugin" "$src/packaging"
for f in LICENSE api/halvex.h plugin/exports.h plugin/ConvertHalvex.def packaging/windows; do ln -s "$repo/$f" "$src/$f"; done
echo "halvex2qsx $old" >"$src/README.md"
old_msi="$tmp/halvex2qsx-$old-$arch.msi"
if ! cmake -DSOURCE_DIR="$src" -DBUILD_DIR="$build" -DARCH="$arch" -DVERSION="$old" -DOUTPUT="$old_msi" \
     -P packaging/windows/msi.cmake >"$tmp/old-msi.log" 2>&1; then
  cat "$tmp/old-msi.log" >&2
  exit 1
fi

default_dir="$(unixpath "$program_files\\halvex2qsx")"
chosen='C:\Hosts\Frame\plug-ins'
chosen_dir="$(unixpath "$chosen")"
path_before="$(system_path)"
snapshot before

echo "== $old with every feature into $chosen, then $version over it ($(basename "$msi"))"
msiexec /i "$(winpath "$old_msi")" INSTALLDIR="$chosen" ADDLOCAL=ALL
check "$old installed" [ "$rc" = 0 ]
check "$old: its entry" [ "$(entry_value "$(entries)" DisplayVersion)" = "$old" ]
check "$old: the folder at the end of PATH" [ "$(system_path)" = "$path_before;$chosen\\" ]
# The same command as the first but for the folder, which the installer
# finds itself. (Windows would keep the features without ADDLOCAL; Wine's
# installer does not carry them over.)
msiexec /i "$(winpath "$msi")" ADDLOCAL=ALL
check "$version over $old: installed" [ "$rc" = 0 ]
code="$(entries)"
check "$version over $old: one entry, of $version, in $chosen" all '"$(wc -l <<<"$code")" = 1' \
  '"$(entry_value "$code" DisplayVersion)" = "$version"' '"$(entry_value "$code" InstallLocation)" = "$chosen\\"'
check "$version over $old: the new files, with the C interface" \
  same_files "$chosen_dir" "${program[@]}" "${development[@]}"
check "$version over $old: the folder once on PATH" \
  [ "$(path_entries "$(system_path)" | grep -cxF "$chosen\\")" = 1 ]
check "$version over $old: nothing in $program_files" [ ! -e "$default_dir" ]

# The installed tool, started from a folder of its own: golden cases, and
# the example as the build's tool converts it.
work="$tmp/convert"
mkdir -p "$work/built"
for c in nodes-order-and-number-format read-fail-element-line; do
  mkdir -p "$work/$c"
  cp "tests/cases/$c/model.hvt" "$work/$c/"
  model="$(winpath "$work/$c/model.hvt")"
  (cd "$work/$c" && wine "$chosen\\halvex2qsx.exe" "$model" >out 2>/dev/null; echo "exit $?" >>out)
  M="$model" awk '{ gsub(/@MODEL@/, ENVIRON["M"]); print }' "tests/cases/$c/expected.stdout" >"$work/$c/want" 2>/dev/null
  echo "exit $(cat "tests/cases/$c/expected.exit" 2>/dev/null || echo 0)" >>"$work/$c/want"
  check "installed halvex2qsx.exe: $c, the .qsx" cmp -s "tests/cases/$c/expected.qsx" "$work/$c/model.qsx"
  check "installed halvex2qsx.exe: $c, messages and exit status" cmp -s "$work/$c/want" <(tr -d '\r' <"$work/$c/out")
done
cp examples/frame.hvt "$work/built/" && cp examples/frame.hvt "$work/"
(cd "$work/built" && wine "$build/halvex2qsx.exe" frame.hvt >/dev/null 2>&1)
(cd "$work" && wine "$chosen\\halvex2qsx.exe" frame.hvt >/dev/null 2>&1)
check "installed halvex2qsx.exe: the example" all '-s "$work/frame.qsx"' \
  '"$(cmp "$work/built/frame.qsx" "$work/frame.qsx" && echo same)" = same'
# English, file names in UTF-8 on the Unix side (as host_test.sh runs it).
(cd "$tmp" && LC_ALL=C.UTF-8 timeout 300 wine "$build/host_test.exe" "$(winpath "$repo/tests/cases")" "$(winpath "$tmp/host")" \
  --plugin-dir "$chosen" 2>>"$tmp/wine.err" | tr -d '\r' | sed 's/^/    /')
rc=$?
check "host test scenarios on the installed plug-in" [ "$rc" = 0 ]

echo "== $old over $version"
msiexec /i "$(winpath "$old_msi")"
# 1603, the installation failed (Wine's exit status keeps its low 8 bits).
check "$old over $version: refused" [ "$rc" = $((1603 % 256)) ]
# Windows shows and logs the launch condition's message; Wine's installer
# shows it only with a user interface, so it is read from the package.
check "$old over $version: refused by the launch condition that says why" all \
  '"$(msiinfo export "$old_msi" LaunchCondition | tail -n +4 | tr -d "\r")" = "$downgrade_row"' \
  '"$(tr -d "\r\0" <"$tmp/msiexec.log" | grep -c "^Action start.*InstallValidate")" = 0'
check "$old over $version: $version still installed" [ "$(entry_value "$(entries)" DisplayVersion)" = "$version" ]
check "$old over $version: the files unchanged" same_files "$chosen_dir" "${program[@]}" "${development[@]}"

echo "== removed by its product code, as \"Apps and features\" does"
msiexec /x "$code"
check "removed" [ "$rc" = 0 ]
check "removed: no folder left" [ ! -e "$chosen_dir" ]
check "removed: no entry" [ -z "$(entries)" ]
# Wine leaves the separator of a removed PATH part; the entries must be the same.
check "removed: PATH's entries as before" [ "$(path_entries "$(system_path)")" = "$(path_entries "$path_before")" ]
snapshot removed
check "removed: the registry as before" registry_same before removed

echo "== $version alone, nothing chosen"
path_before="$(system_path)"
msiexec /i "$(winpath "$msi")"
check "installed" [ "$rc" = 0 ]
check "the default feature's files in $program_files\\halvex2qsx, and only they" \
  same_files "$default_dir" "${program[@]}"
check "PATH unchanged" [ "$(system_path)" = "$path_before" ]
code="$(entries)"
# Wine keeps the size given (ARPSIZE) as "Size"; Windows as "EstimatedSize".
check "its entry: version, publisher, folder, size, no Modify button" all \
  '"$(entry_value "$code" DisplayVersion)" = "$version"' \
  '"$(entry_value "$code" Publisher)" = "The halvex2qsx developers"' \
  '"$(entry_value "$code" InstallLocation)" = "$program_files\\halvex2qsx\\"' \
  '"$(( $(entry_number "$code" EstimatedSize) + $(entry_number "$code" Size) ))" -gt 1000' \
  '"$(entry_number "$code" NoModify)" = 1'
msiexec /x "$(winpath "$msi")"
check "removed with its installer" [ "$rc" = 0 ]
check "removed: no folder left" [ ! -e "$default_dir" ]
snapshot removed2
check "removed: the registry as before" registry_same before removed2

ms=$(( (${EPOCHREALTIME/./} - t0) / 1000 ))
echo "installer under Wine: $((checks - fail)) passed, $fail failed ($((ms / 1000)).$((ms % 1000 / 100)) s)"
[ "$fail" -eq 0 ]
