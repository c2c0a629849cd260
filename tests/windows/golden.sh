#!/usr/bin/env bash
# Runs the golden cases through halvex2qsx.exe under Wine: tests/cases/* and,
# when present, the shared acceptance sample. Each model is copied into a
# fresh folder and converted twice, by its Windows path and by its Unix path
# (as a script under Wine may give it), and once more by the C program that
# embeds the converter through its C interface (examples/convert.c); the written model.qsx must equal
# expected.qsx byte for byte, standard output must equal expected.stdout
# (@MODEL@ standing for the path given) apart from the
# console's CRLF line ends, and the exit status must equal expected.exit.
# Then all of tests/cases as one batch with -j 1 and with -j 3 must give the
# same files, output and exit status. HALVEX_GOLDEN_STYLES may name fewer of
# the three ways (windows, unix, c-interface).
#
#   tests/windows/golden.sh [BUILD_DIR]      (default build-windows)
set -uo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/../.."
build="$(cd "${1:-build-windows}" && pwd -P)"
for exe in "$build/halvex2qsx.exe" "$build/halvex_c_example.exe"; do
  [ -f "$exe" ] || { echo "golden.sh: $exe not built" >&2; exit 1; }
done

source tests/windows/wine_env.sh "$build/wine-tests"
tmp="$(mktemp -d "$build/wine-tests/golden.XXXXXX")"
wine_env_on_exit 'rm -rf "$tmp"'

# Wine maps drive Z: to the Unix root.
winpath() { local p="$1"; printf 'Z:%s' "${p//\//\\}"; }

roots=(tests/cases)
[ -d ../shared/acceptance-sample/cases ] && roots+=(../shared/acceptance-sample/cases)

pass=0 fail=0 n=0
for style in ${HALVEX_GOLDEN_STYLES:-windows unix c-interface}; do
exe="$build/halvex2qsx.exe"
[ "$style" = c-interface ] && exe="$build/halvex_c_example.exe"
for root in "${roots[@]}"; do
  for dir in "$root"/*/; do
    n=$((n + 1))
    name="$(basename "$(dirname "$root")")/$(basename "$dir") ($style path)"
    work="$tmp/$n"
    mkdir -p "$work"
    [ -f "$dir/model.hvt" ] && cp "$dir/model.hvt" "$work/"
    model="$work/model.hvt"
    [ "$style" != unix ] && model="$(winpath "$model")"
    (cd "$work" && timeout 60 wine "$exe" "$model" >"$tmp/$n.out" 2>"$tmp/$n.err")
    rc=$?
    sed -i 's/\r$//' "$tmp/$n.out"
    if [ -f "$dir/expected.stdout" ]; then
      M="$model" awk 'BEGIN { m = ENVIRON["M"] } { o = ""; s = $0
        while ((i = index(s, "@MODEL@")) > 0) { o = o substr(s, 1, i - 1) m; s = substr(s, i + 7) }
        print o s }' "$dir/expected.stdout" >"$tmp/$n.exp"
    else
      : >"$tmp/$n.exp"
    fi
    exp_rc=0
    [ -f "$dir/expected.exit" ] && exp_rc="$(tr -d ' \r\n' <"$dir/expected.exit")"

    bad=()
    if [ -f "$dir/expected.qsx" ]; then
      if [ ! -f "$work/model.qsx" ]; then bad+=("no model.qsx written")
      elif ! cmp -s "$dir/expected.qsx" "$work/model.qsx"; then bad+=("model.qsx differs"); fi
    elif [ -e "$work/model.qsx" ]; then bad+=("model.qsx written but none expected"); fi
    cmp -s "$tmp/$n.exp" "$tmp/$n.out" || bad+=("stdout differs")
    [ "$rc" = "$exp_rc" ] || bad+=("exit status $rc, expected $exp_rc")
    for log in ReadErr.msg halvexcvt.msg; do [ -e "$work/$log" ] && bad+=("$log left behind"); done

    if [ "${#bad[@]}" -eq 0 ]; then
      pass=$((pass + 1))
    else
      fail=$((fail + 1))
      echo "FAIL $name: $(IFS=';'; echo "${bad[*]}")"
      [ -f "$work/model.qsx" ] && [ -f "$dir/expected.qsx" ] &&
        diff -u --label expected --label actual "$dir/expected.qsx" "$work/model.qsx" | head -n 12 | sed 's/^/    /'
      diff -u --label expected.stdout --label stdout "$tmp/$n.exp" "$tmp/$n.out" | head -n 12 | sed 's/^/    /'
      head -n 3 "$tmp/$n.err" | sed 's/^/    stderr: /'
    fi
  done
done
done

# The same models as one batch, one after the other and three at a time
# (-j 3; each model's output kept and written through the console layer in
# command-line order): files, standard output and error and the exit status
# must be the same bytes.
batch() {
  local out="$tmp/batch$1" args=() dir
  mkdir -p "$out"
  for dir in tests/cases/*/; do
    [ -f "$dir/model.hvt" ] && cp "$dir/model.hvt" "$out/$(basename "$dir").hvt"
    args+=("$(basename "$dir").hvt")
  done
  (cd "$out" && timeout 300 wine "$build/halvex2qsx.exe" "${@:2}" "${args[@]}" >"$out.out" 2>"$out.err")
  echo "exit $?" >>"$out.err"
  local w; w="$(winpath "$out")"
  sed -i "s|${w//\\/\\\\}|@DIR@|g" "$out.out" "$out.err"
}
batch 1 -j 1
batch 3 -j 3
n=$((n + 1))
if diff -r "$tmp/batch1" "$tmp/batch3" >/dev/null && cmp -s "$tmp/batch1.out" "$tmp/batch3.out" &&
   cmp -s "$tmp/batch1.err" "$tmp/batch3.err" && grep -qx "exit 3" "$tmp/batch1.err"; then
  pass=$((pass + 1))
else
  fail=$((fail + 1))
  echo "FAIL tests/cases as one batch: -j 3 differs from -j 1"
  diff -r "$tmp/batch1" "$tmp/batch3" | head -n 5 | sed 's/^/    /'
  diff "$tmp/batch1.out" "$tmp/batch3.out" | head -n 5 | sed 's/^/    stdout: /'
  diff "$tmp/batch1.err" "$tmp/batch3.err" | head -n 5 | sed 's/^/    stderr: /'
fi
echo "golden cases under Wine: $pass passed, $fail failed"
[ "$fail" -eq 0 ] && [ "$n" -gt 0 ]
